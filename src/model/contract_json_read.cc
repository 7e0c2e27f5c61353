// Reading contract.json back into a Contract, for tests and tools that work on
// a written contract. Lenient where the writer is strict (key order, unknown
// keys), exact about types: a wrong type or a missing required key is an error
// naming the JSON path of the value.
#include <cstdint>

#include <nlohmann/json.hpp>

#include "model/contract_json.h"

namespace vantrel::model {
namespace {

using nlohmann::json;

/// Walks a parsed document and remembers the first problem it meets. After a
/// failure every read returns a default value, so callers need no checks.
/// A "path" names the value being read, like "$.endpoints[0].route".
class Reader {
 public:
  std::optional<std::string> error;

  void fail(const std::string& path, std::string_view what) {
    if (!error) error = path + ": " + std::string(what);
  }

  /// Reads the member `key` of the object `obj` with `read_value(reader,
  /// value, path)`; a missing member is an error unless `Optional` is asked.
  template <class ReadValue>
  auto field(const json& obj, std::string_view key, const std::string& path, ReadValue read_value)
      -> decltype(read_value(*this, obj, path)) {
    const json* value = find(obj, key, path, true);
    if (!value) return {};
    return read_value(*this, *value, path + "." + std::string(key));
  }

  /// Like `field`, but a missing member gives nothing.
  template <class ReadValue>
  auto optional_field(const json& obj, std::string_view key, const std::string& path, ReadValue read_value)
      -> std::optional<decltype(read_value(*this, obj, path))> {
    const json* value = find(obj, key, path, false);
    if (!value) return std::nullopt;
    return read_value(*this, *value, path + "." + std::string(key));
  }

  /// The tag and payload of a one-key object, as variants with a payload are
  /// written; nothing (and an error) for any other value.
  std::optional<std::pair<std::string, const json*>> tagged(const json& j, const std::string& path) {
    if (!j.is_object() || j.size() != 1) {
      fail(path, "expected an object with one key");
      return std::nullopt;
    }
    return std::make_pair(j.begin().key(), &j.begin().value());
  }

 private:
  const json* find(const json& obj, std::string_view key, const std::string& path, bool required) {
    if (error) return nullptr;
    if (!obj.is_object()) {
      fail(path, "expected an object");
      return nullptr;
    }
    auto it = obj.find(key);
    if (it == obj.end()) {
      if (required) fail(path, "missing key \"" + std::string(key) + "\"");
      return nullptr;
    }
    return &*it;
  }
};

std::string read_string(Reader& r, const json& j, const std::string& path) {
  if (!j.is_string()) {
    r.fail(path, "expected a string");
    return {};
  }
  return j.get<std::string>();
}

SymbolId read_symbol_id(Reader& r, const json& j, const std::string& path) {
  return SymbolId(read_string(r, j, path));
}

bool read_bool(Reader& r, const json& j, const std::string& path) {
  if (!j.is_boolean()) {
    r.fail(path, "expected true or false");
    return false;
  }
  return j.get<bool>();
}

template <uint64_t kMax>
uint64_t read_unsigned(Reader& r, const json& j, const std::string& path) {
  if (!j.is_number_unsigned() || j.get<uint64_t>() > kMax) {
    r.fail(path, "expected an integer from 0 to " + std::to_string(kMax));
    return 0;
  }
  return j.get<uint64_t>();
}

uint32_t read_u32(Reader& r, const json& j, const std::string& path) {
  return static_cast<uint32_t>(read_unsigned<UINT32_MAX>(r, j, path));
}

uint16_t read_u16(Reader& r, const json& j, const std::string& path) {
  return static_cast<uint16_t>(read_unsigned<UINT16_MAX>(r, j, path));
}

/// An enumeration written as its variant name.
template <auto& kAll, auto kName>
auto read_enum(Reader& r, const json& j, const std::string& path) {
  std::string text = read_string(r, j, path);
  for (auto value : kAll) {
    if (kName(value) == text) return value;
  }
  if (j.is_string()) r.fail(path, "unknown variant \"" + text + "\"");
  return kAll[0];
}

template <class ReadOne>
auto read_list(ReadOne read_one) {
  return [read_one](Reader& r, const json& j, const std::string& path) {
    std::vector<decltype(read_one(r, j, path))> out;
    if (!j.is_array()) {
      r.fail(path, "expected an array");
      return out;
    }
    for (size_t i = 0; i < j.size() && !r.error; ++i) {
      out.push_back(read_one(r, j[i], path + "[" + std::to_string(i) + "]"));
    }
    return out;
  };
}

Span read_span(Reader& r, const json& j, const std::string& path) {
  Span span;
  span.file = r.field(j, "file", path, read_string);
  span.start = r.field(j, "start", path, read_u32);
  span.end = r.field(j, "end", path, read_u32);
  return span;
}

DeclSpans read_decl_spans(Reader& r, const json& j, const std::string& path) {
  DeclSpans spans;
  spans.name = r.field(j, "name", path, read_span);
  spans.full = r.field(j, "full", path, read_span);
  spans.attr = r.optional_field(j, "attr", path, read_span);
  return spans;
}

TypeExpr read_type_expr(Reader& r, const json& j, const std::string& path) {
  auto tagged = r.tagged(j, path);
  if (!tagged) return {};
  const std::string& tag = tagged->first;
  const json& payload = *tagged->second;
  std::string inner = path + "." + tag;
  if (tag == "Primitive") return TypeExpr::primitive(read_enum<kPrimitives, primitive_name>(r, payload, inner));
  if (tag == "External") return TypeExpr::external(read_enum<kExternalTypes, external_type_name>(r, payload, inner));
  if (tag == "Option") return TypeExpr::option(read_type_expr(r, payload, inner));
  if (tag == "List") return TypeExpr::list(read_type_expr(r, payload, inner));
  if (tag == "Named") {
    SymbolId id = r.field(payload, "id", inner, read_symbol_id);
    return TypeExpr::named(std::move(id), r.field(payload, "name", inner, read_string));
  }
  if (tag == "Map") {
    TypeExpr key = r.field(payload, "key", inner, read_type_expr);
    return TypeExpr::map(std::move(key), r.field(payload, "value", inner, read_type_expr));
  }
  r.fail(path, "unknown variant \"" + tag + "\"");
  return {};
}

Field read_field(Reader& r, const json& j, const std::string& path) {
  Field field;
  field.id = r.field(j, "id", path, read_symbol_id);
  field.rust_name = r.field(j, "rust_name", path, read_string);
  field.wire_name = r.field(j, "wire_name", path, read_string);
  field.ty = r.field(j, "ty", path, read_type_expr);
  field.optionality = r.field(j, "optionality", path, read_enum<kOptionalities, optionality_name>);
  field.docs = r.optional_field(j, "docs", path, read_string);
  field.spans = r.field(j, "spans", path, read_decl_spans);
  return field;
}

EnumVariant read_enum_variant(Reader& r, const json& j, const std::string& path) {
  EnumVariant variant;
  variant.id = r.field(j, "id", path, read_symbol_id);
  variant.rust_name = r.field(j, "rust_name", path, read_string);
  variant.wire_name = r.field(j, "wire_name", path, read_string);
  variant.fields = r.field(j, "fields", path, read_list(read_field));
  variant.docs = r.optional_field(j, "docs", path, read_string);
  variant.spans = r.field(j, "spans", path, read_decl_spans);
  return variant;
}

TypeShape read_type_shape(Reader& r, const json& j, const std::string& path) {
  auto tagged = r.tagged(j, path);
  if (!tagged) return {};
  const std::string& tag = tagged->first;
  const json& payload = *tagged->second;
  std::string inner = path + "." + tag;
  if (tag == "Struct") return TypeShape{TypeShape::Struct{r.field(payload, "fields", inner, read_list(read_field))}};
  if (tag == "Enum") {
    return TypeShape{TypeShape::Enum{r.field(payload, "variants", inner, read_list(read_enum_variant))}};
  }
  if (tag == "Newtype") return TypeShape{TypeShape::Newtype{read_type_expr(r, payload, inner)}};
  r.fail(path, "unknown variant \"" + tag + "\"");
  return {};
}

TypeDecl read_type_decl(Reader& r, const json& j, const std::string& path) {
  TypeDecl decl;
  decl.id = r.field(j, "id", path, read_symbol_id);
  decl.rust_path = r.field(j, "rust_path", path, read_list(read_string));
  decl.rust_name = r.field(j, "rust_name", path, read_string);
  decl.ts_name = r.field(j, "ts_name", path, read_string);
  decl.shape = r.field(j, "shape", path, read_type_shape);
  decl.docs = r.optional_field(j, "docs", path, read_string);
  decl.spans = r.field(j, "spans", path, read_decl_spans);
  return decl;
}

ErrorVariant read_error_variant(Reader& r, const json& j, const std::string& path) {
  ErrorVariant variant;
  variant.id = r.field(j, "id", path, read_symbol_id);
  variant.rust_name = r.field(j, "rust_name", path, read_string);
  variant.tag = r.field(j, "tag", path, read_string);
  variant.status = r.field(j, "status", path, read_u16);
  variant.fields = r.field(j, "fields", path, read_list(read_field));
  variant.docs = r.optional_field(j, "docs", path, read_string);
  variant.spans = r.field(j, "spans", path, read_decl_spans);
  return variant;
}

ErrorDecl read_error_decl(Reader& r, const json& j, const std::string& path) {
  ErrorDecl decl;
  decl.id = r.field(j, "id", path, read_symbol_id);
  decl.rust_path = r.field(j, "rust_path", path, read_list(read_string));
  decl.rust_name = r.field(j, "rust_name", path, read_string);
  decl.ts_name = r.field(j, "ts_name", path, read_string);
  decl.variants = r.field(j, "variants", path, read_list(read_error_variant));
  decl.docs = r.optional_field(j, "docs", path, read_string);
  decl.spans = r.field(j, "spans", path, read_decl_spans);
  return decl;
}

ErrorRef read_error_ref(Reader& r, const json& j, const std::string& path) {
  ErrorRef ref;
  ref.id = r.field(j, "id", path, read_symbol_id);
  ref.name = r.field(j, "name", path, read_string);
  return ref;
}

Param read_param(Reader& r, const json& j, const std::string& path) {
  Param param;
  param.id = r.field(j, "id", path, read_symbol_id);
  param.name = r.field(j, "name", path, read_string);
  param.ty = r.field(j, "ty", path, read_type_expr);
  param.required = r.field(j, "required", path, read_bool);
  param.span = r.field(j, "span", path, read_span);
  return param;
}

RequestBody read_request_body(Reader& r, const json& j, const std::string& path) {
  if (j == "Binary") return RequestBody{RequestBody::Binary{}};
  if (j.is_object() && j.size() == 1 && j.contains("Json")) {
    return RequestBody{RequestBody::Json{read_type_expr(r, j["Json"], path + ".Json")}};
  }
  r.fail(path, "expected \"Binary\" or {\"Json\": type}");
  return {};
}

RequestShape read_request(Reader& r, const json& j, const std::string& path) {
  RequestShape request;
  request.path_params = r.field(j, "path_params", path, read_list(read_param));
  request.query_params = r.field(j, "query_params", path, read_list(read_param));
  request.body = r.optional_field(j, "body", path, read_request_body);
  return request;
}

SuccessBody read_success_body(Reader& r, const json& j, const std::string& path) {
  if (j == "Empty") return SuccessBody{SuccessBody::Empty{}};
  if (j == "Binary") return SuccessBody{SuccessBody::Binary{}};
  if (j.is_object() && j.size() == 1 && j.contains("Json")) {
    return SuccessBody{SuccessBody::Json{read_type_expr(r, j["Json"], path + ".Json")}};
  }
  if (j.is_object() && j.size() == 1 && j.contains("Stream")) {
    return SuccessBody{SuccessBody::Stream{read_type_expr(r, j["Stream"], path + ".Stream")}};
  }
  r.fail(path, "expected \"Empty\", \"Binary\", {\"Json\": type} or {\"Stream\": type}");
  return {};
}

SuccessChannel read_success(Reader& r, const json& j, const std::string& path) {
  SuccessChannel success;
  success.transport = r.field(j, "transport", path, read_enum<kTransports, transport_name>);
  success.status = r.field(j, "status", path, read_u16);
  success.body = r.field(j, "body", path, read_success_body);
  return success;
}

Endpoint read_endpoint(Reader& r, const json& j, const std::string& path) {
  Endpoint endpoint;
  endpoint.id = r.field(j, "id", path, read_symbol_id);
  endpoint.rust_path = r.field(j, "rust_path", path, read_list(read_string));
  endpoint.rust_name = r.field(j, "rust_name", path, read_string);
  endpoint.ts_module = r.field(j, "ts_module", path, read_string);
  endpoint.ts_name = r.field(j, "ts_name", path, read_string);
  endpoint.route = r.field(j, "route", path, read_string);
  endpoint.method = r.field(j, "method", path, read_enum<kHttpMethods, http_method_name>);
  endpoint.request = r.field(j, "request", path, read_request);
  endpoint.success = r.field(j, "success", path, read_success);
  endpoint.errors = r.field(j, "errors", path, read_list(read_error_ref));
  endpoint.docs = r.optional_field(j, "docs", path, read_string);
  endpoint.spans = r.field(j, "spans", path, read_decl_spans);
  endpoint.router_mounts = r.optional_field(j, "router_mounts", path, read_list(read_span)).value_or(std::vector<Span>{});
  endpoint.allow_unused = r.optional_field(j, "allow_unused", path, read_bool).value_or(false);
  return endpoint;
}

PackageMeta read_package(Reader& r, const json& j, const std::string& path) {
  PackageMeta package;
  package.ts_package = r.field(j, "ts_package", path, read_string);
  package.cargo_package = r.field(j, "cargo_package", path, read_string);
  return package;
}

Contract read_contract(Reader& r, const json& j, const std::string& path) {
  Contract contract;
  contract.schema_version = r.field(j, "schema_version", path, read_u32);
  contract.package = r.field(j, "package", path, read_package);
  contract.endpoints = r.field(j, "endpoints", path, read_list(read_endpoint));
  contract.types = r.field(j, "types", path, read_list(read_type_decl));
  contract.errors = r.field(j, "errors", path, read_list(read_error_decl));
  return contract;
}

}  // namespace

base::Result<Contract, std::string> contract_from_json(std::string_view text) {
  json document = json::parse(text, nullptr, /*allow_exceptions=*/false);
  if (document.is_discarded()) return base::err(std::string("not valid JSON"));
  Reader reader;
  Contract contract = read_contract(reader, document, "$");
  if (reader.error) return base::err(std::move(*reader.error));
  return contract;
}

}  // namespace vantrel::model
