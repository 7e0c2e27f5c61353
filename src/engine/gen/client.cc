// Client lowering of one endpoint. The generated function reads the API
// configuration from the `ApiConfig` service, builds a client with the
// runtime constructor that fits the endpoint's success channel and calls it
// with the arguments at once; the request configuration object tells the
// runtime how to fill the route, encode the request and decode the answers.
#include "engine/gen/client.h"

#include <optional>
#include <set>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "engine/gen/schemas.h"

namespace vantrel::engine::gen {

namespace {

/// How the endpoint's declared error appears in the generated text.
struct ErrorTypes {
  std::optional<std::string> reference;  ///< the error declaration's name
  std::string union_text;                ///< the function's error channel
  std::string parameter;                 ///< the constructor's error type argument
};

ErrorTypes error_types(const model::Endpoint& endpoint) {
  // Extraction records at most one error per endpoint; a second one would
  // have nowhere to go in the constructor's single error type argument.
  if (endpoint.errors.empty()) return ErrorTypes{std::nullopt, "ApiClientError", "never"};
  const std::string& name = endpoint.errors.front().name;
  return ErrorTypes{name, name + " | ApiClientError", name};
}

bool is_binary(const model::RequestBody& body) {
  return std::holds_alternative<model::RequestBody::Binary>(body.value);
}

/// The fields of the arguments interface: path parameters, query parameters
/// and the body, in that order.
std::vector<InterfaceField> args_fields(const Lowering& lowering, const model::Endpoint& endpoint,
                                        EndpointImports& imports) {
  std::vector<InterfaceField> fields;
  const model::RequestShape& request = endpoint.request;
  for (const model::Param& param : request.path_params) {
    fields.push_back(InterfaceField{object_key(param.name), lowering.ts_type(param.ty, imports), std::nullopt,
                                    mark(param.id, MarkKind::Param), false});
  }
  for (const model::Param& param : request.query_params) {
    fields.push_back(InterfaceField{object_key(param.name), lowering.ts_type(param.ty, imports), std::nullopt,
                                    mark(param.id, MarkKind::Param), !param.required});
  }
  if (request.body) {
    std::string ty;
    if (is_binary(*request.body)) {
      imports.runtime_types.insert("BinaryRequestBody");
      ty = "BinaryRequestBody";
    } else {
      ty = lowering.ts_type(std::get<model::RequestBody::Json>(request.body->value).ty, imports);
    }
    fields.push_back(InterfaceField{"body", std::move(ty), std::nullopt, std::nullopt, false});
  }
  return fields;
}

/// Reports every parameter whose name an earlier parameter (or, for "body",
/// the request body) already takes: both would become the same property of
/// the arguments object, which TypeScript rejects and which could not carry
/// two values anyway. Lowering goes on; the error keeps the package unwritten.
void check_distinct_args(const model::Endpoint& endpoint, std::vector<model::Diagnostic>& diagnostics) {
  const model::RequestShape& request = endpoint.request;
  std::set<std::string_view> taken;
  if (request.body) taken.insert("body");
  auto check = [&](const model::Param& param) {
    if (taken.insert(param.name).second) return;
    diagnostics.push_back(model::Diagnostic::error("name-collision",
                                                   "endpoint `" + endpoint.rust_name + "` has two arguments named `" +
                                                       param.name +
                                                       "`; the generated arguments object needs distinct names",
                                                   param.span));
  };
  for (const model::Param& param : request.path_params) check(param);
  for (const model::Param& param : request.query_params) check(param);
}

/// `{ key: args.key, ... }` over the given parameters.
Expr params_object(const std::vector<model::Param>& params) {
  std::vector<ObjectEntry> entries;
  for (const model::Param& param : params) {
    entries.push_back(ObjectEntry{object_key(param.name), std::nullopt, Expr::raw(args_access(param.name))});
  }
  return Expr::object(std::move(entries));
}

/// The `encode` arrow, or nothing when the request carries no arguments.
std::optional<Expr> encode_arrow(Lowering& lowering, const model::Endpoint& endpoint, EndpointImports& imports) {
  const model::RequestShape& request = endpoint.request;
  std::vector<ObjectEntry> entries;
  if (!request.path_params.empty()) {
    entries.push_back(ObjectEntry{"path", std::nullopt, params_object(request.path_params)});
  }
  if (!request.query_params.empty()) {
    entries.push_back(ObjectEntry{"query", std::nullopt, params_object(request.query_params)});
  }
  if (request.body) {
    if (is_binary(*request.body)) {
      entries.push_back(ObjectEntry{"body", std::nullopt, Expr::raw("args.body")});
      entries.push_back(ObjectEntry{"bodyKind", std::nullopt, Expr::str("binary")});
    } else {
      imports.runtime_values.insert("encodeWithSchema");
      const model::TypeExpr& ty = std::get<model::RequestBody::Json>(request.body->value).ty;
      entries.push_back(ObjectEntry{
          "body", std::nullopt,
          Expr::call("encodeWithSchema", exprs(Expr::raw("args.body"), lowering.schema_expr_imported(ty, imports)))});
    }
  }
  if (entries.empty()) return std::nullopt;
  return Expr::arrow({"args"}, Expr::object(std::move(entries)));
}

/// The `decodeSuccess` entry's value: a schema decode of the JSON body or of
/// each stream item, otherwise a function that yields undefined.
Expr decode_success(Lowering& lowering, const model::SuccessBody& body, EndpointImports& imports) {
  const model::TypeExpr* ty = nullptr;
  if (const auto* json = std::get_if<model::SuccessBody::Json>(&body.value)) ty = &json->ty;
  if (const auto* stream = std::get_if<model::SuccessBody::Stream>(&body.value)) ty = &stream->item;
  if (ty == nullptr) {
    imports.compat.insert("Effect");
    return Expr::raw("() => Effect.succeed(undefined)");
  }
  imports.runtime_values.insert("decodeWithSchema");
  return Expr::arrow({"input"}, Expr::call("decodeWithSchema", exprs(Expr::raw("input"),
                                                                      lowering.schema_expr_imported(*ty, imports))));
}

/// The request configuration object handed to the client constructor.
Expr request_config(Lowering& lowering, const model::Endpoint& endpoint, const ErrorTypes& errors,
                    EndpointImports& imports) {
  std::string method(model::http_method_upper(endpoint.method));
  std::vector<ObjectEntry> entries;
  entries.push_back(ObjectEntry{"method", std::nullopt, Expr::str(method)});
  entries.push_back(ObjectEntry{"path", std::nullopt, Expr::str(endpoint.route)});
  if (auto encode = encode_arrow(lowering, endpoint, imports)) {
    entries.push_back(ObjectEntry{"encode", std::nullopt, std::move(*encode)});
  }
  // A download hands the raw bytes to the caller; there is nothing to decode.
  if (endpoint.success.transport != model::Transport::BinaryDownload) {
    entries.push_back(
        ObjectEntry{"decodeSuccess", std::nullopt, decode_success(lowering, endpoint.success.body, imports)});
  }
  if (errors.reference) {
    entries.push_back(ObjectEntry{"decodeError", std::nullopt, Expr::raw("decode" + *errors.reference)});
  }
  return Expr::object(std::move(entries));
}

/// The client constructor chosen by the success channel, with the function's
/// return type.
struct Constructor {
  std::string text;         ///< the constructor with its type arguments
  std::string return_type;  ///< the client function's return type
  bool streams = false;     ///< the client yields a Stream rather than an Effect
};

Constructor constructor(const Lowering& lowering, const model::Endpoint& endpoint, const ErrorTypes& errors,
                        EndpointImports& imports) {
  const std::string args_type = has_args(endpoint) ? args_name(endpoint.ts_name) : "void";
  const model::SuccessChannel& success = endpoint.success;
  const auto* stream = std::get_if<model::SuccessBody::Stream>(&success.body.value);
  if (success.transport == model::Transport::Sse && stream != nullptr) {
    imports.compat.insert("Stream");
    imports.compat.insert("Effect");
    imports.runtime_values.insert("makeSseClient");
    const std::string item = lowering.ts_type(stream->item, imports);
    return Constructor{"makeSseClient<" + args_type + ", " + item + ", " + errors.parameter + ">",
                       "Stream.Stream<" + item + ", " + errors.union_text + ", ApiConfig>", true};
  }
  imports.compat.insert("Effect");
  if (success.transport == model::Transport::BinaryDownload) {
    imports.runtime_values.insert("makeBinaryDownloadClient");
    return Constructor{"makeBinaryDownloadClient<" + args_type + ", " + errors.parameter + ">",
                       "Effect.Effect<Uint8Array, " + errors.union_text + ", ApiConfig>", false};
  }
  std::string value = "void";
  if (const auto* json = std::get_if<model::SuccessBody::Json>(&success.body.value)) {
    value = lowering.ts_type(json->ty, imports);
  }
  const char* name =
      success.transport == model::Transport::BinaryUpload ? "makeBinaryUploadClient" : "makeUnaryHttpClient";
  imports.runtime_values.insert(name);
  return Constructor{std::string(name) + "<" + args_type + ", " + value + ", " + errors.parameter + ">",
                     "Effect.Effect<" + value + ", " + errors.union_text + ", ApiConfig>", false};
}

/// `ApiConfig.use((config) => ctor(config, {...})(args))`, wrapped for
/// streams as `Stream.unwrap(ApiConfig.use((config) => Effect.succeed(...)))`.
Expr client_body(const Constructor& ctor, Expr config, bool with_args) {
  Expr client = Expr::call(ctor.text, exprs(Expr::raw("config"), std::move(config)));
  Expr call = Expr::call_expr(std::move(client), exprs(Expr::raw(with_args ? "args" : "void 0")));
  if (!ctor.streams) return Expr::member_call("ApiConfig", "use", exprs(Expr::arrow({"config"}, std::move(call))));
  Expr effect = Expr::call("Effect.succeed", exprs(std::move(call)));
  Expr use = Expr::member_call("ApiConfig", "use", exprs(Expr::arrow({"config"}, std::move(effect))));
  return Expr::call("Stream.unwrap", exprs(std::move(use)));
}

}  // namespace

std::string args_access(std::string_view name) {
  std::string key = object_key(name);
  if (!key.empty() && key.front() == '"') return "args[" + key + "]";
  return "args." + std::string(name);
}

std::string args_name(std::string_view ts_name) {
  std::string name(ts_name);
  if (!name.empty() && name.front() >= 'a' && name.front() <= 'z')
    name.front() = static_cast<char>(name.front() - 'a' + 'A');
  return name + "Args";
}

std::string route_name(std::string_view ts_name) { return std::string(ts_name) + "Route"; }

bool has_args(const model::Endpoint& endpoint) {
  const model::RequestShape& request = endpoint.request;
  return !request.path_params.empty() || !request.query_params.empty() || request.body.has_value();
}

void Lowering::endpoint_items(const model::Endpoint& endpoint, EndpointImports& imports, std::vector<Item>& items) {
  const bool with_args = has_args(endpoint);
  const std::string args = args_name(endpoint.ts_name);
  if (with_args) {
    check_distinct_args(endpoint, diagnostics());
    std::vector<InterfaceField> fields = args_fields(*this, endpoint, imports);
    items.push_back(Item::blank());
    items.push_back(Item{Item::Interface{args, std::move(fields), std::nullopt, std::nullopt}});
  }

  items.push_back(Item::blank());
  std::vector<ObjectEntry> route;
  route.push_back(
      ObjectEntry{"method", std::nullopt, Expr::str(std::string(model::http_method_upper(endpoint.method)))});
  route.push_back(ObjectEntry{"path", std::nullopt, Expr::str(endpoint.route)});
  items.push_back(Item{
      Item::Const{route_name(endpoint.ts_name), std::nullopt, std::nullopt, Expr::object(std::move(route)), true}});

  items.push_back(Item::blank());
  const ErrorTypes errors = error_types(endpoint);
  Expr config = request_config(*this, endpoint, errors, imports);
  const Constructor ctor = constructor(*this, endpoint, errors, imports);
  std::vector<std::pair<std::string, std::string>> params;
  if (with_args) params.emplace_back("args", args);
  items.push_back(
      Item{Item::Function{endpoint.ts_name, std::move(params), ctor.return_type, endpoint.docs,
                          mark(endpoint.id, MarkKind::Endpoint), client_body(ctor, std::move(config), with_args)}});
}

}  // namespace vantrel::engine::gen
