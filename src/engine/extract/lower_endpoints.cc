// Endpoint lowering. A handler whose attribute or signature breaks a rule is
// left out with the syntax layer's message; once both are accepted the
// handler is always emitted, and a parameter, body or error type that cannot
// be represented is dropped with its own diagnostic.
#include "engine/extract/lower_endpoints.h"

#include <algorithm>

#include "syntax/api_attr.h"
#include "syntax/endpoint.h"
#include "syntax/rename.h"
#include "syntax/serde_attrs.h"
#include "syntax/syntax.h"

namespace vantrel::engine::extract {

namespace {

constexpr std::string_view kInvalidParamType =
    "path and query parameters must be primitives, Uuid, DateTime<Utc>, or Decimal";

std::string joined(const std::vector<std::string>& segments) {
  std::string out;
  for (const std::string& segment : segments) {
    if (!out.empty()) out += "::";
    out += segment;
  }
  return out;
}

model::HttpMethod http_method_of(syntax::ApiMethod method) {
  switch (method) {
    case syntax::ApiMethod::Get:
    case syntax::ApiMethod::Sse:
      return model::HttpMethod::Get;
    case syntax::ApiMethod::Post:
      return model::HttpMethod::Post;
    case syntax::ApiMethod::Put:
      return model::HttpMethod::Put;
    case syntax::ApiMethod::Patch:
      return model::HttpMethod::Patch;
    case syntax::ApiMethod::Delete:
      return model::HttpMethod::Delete;
  }
  return model::HttpMethod::Get;
}

/// Path and query parameters travel as strings: only scalars can.
bool is_param_type(const model::TypeExpr& ty) {
  if (std::holds_alternative<model::Primitive>(ty.value)) return true;
  const auto* external = std::get_if<model::ExternalType>(&ty.value);
  return external && *external != model::ExternalType::JsonValue;
}

/// Lowers the handlers of one module.
class EndpointLowerer {
 public:
  EndpointLowerer(Lowering& lowering, const ModulePath& module, const std::string& file)
      : lowering_(lowering), module_(module), file_(file) {}

  std::optional<model::Endpoint> lower(const rustsyn::Item& item, const EndpointSyntax& syntax);

 private:
  void lower_path_param(const syntax::EndpointParam& param, const std::string& rust_path,
                        model::RequestShape& request);
  void lower_query(const rustsyn::Type& ty, model::RequestShape& request);
  void lower_query_fields(const ModulePath& module, const std::string& name, const FoundItem& found,
                          model::RequestShape& request);
  std::optional<model::ErrorRef> lower_error(const rustsyn::Type& ty);
  model::SuccessChannel lower_success(const syntax::EndpointSignature& signature);

  Lowering& lowering_;
  const ModulePath& module_;
  const std::string& file_;
};

std::optional<model::Endpoint> EndpointLowerer::lower(const rustsyn::Item& item, const EndpointSyntax& read) {
  const auto& attr = read.attr;
  if (!attr.ok()) {
    lowering_.push_syn_error(file_, attr.error());
    return std::nullopt;
  }
  rustsyn::FnItem fn(item.node());
  const auto& signature = *read.signature;
  if (!signature.ok()) {
    lowering_.push_syn_error(file_, signature.error());
    return std::nullopt;
  }
  rustsyn::Ident name = fn.name();
  model::Endpoint endpoint;
  endpoint.rust_name = std::string(name.text);
  endpoint.rust_path = module_;
  endpoint.rust_path.push_back(endpoint.rust_name);
  endpoint.id = model::SymbolId::from_parts("endpoint", endpoint.rust_path);
  std::string rust_path = joined(endpoint.rust_path);

  for (const syntax::EndpointParam& param : signature->params) {
    switch (param.kind) {
      case syntax::ParamKind::Path:
        lower_path_param(param, rust_path, endpoint.request);
        break;
      case syntax::ParamKind::Query:
        lower_query(param.ty, endpoint.request);
        break;
      case syntax::ParamKind::Body: {
        std::optional<model::TypeExpr> ty = lowering_.lower_type(module_, file_, param.ty);
        endpoint.request.body.reset();
        if (ty) endpoint.request.body = model::RequestBody{model::RequestBody::Json{std::move(*ty)}};
        break;
      }
      case syntax::ParamKind::Binary:
        endpoint.request.body = model::RequestBody{model::RequestBody::Binary{}};
        break;
    }
  }
  endpoint.success = lower_success(*signature);
  if (signature->error_type) {
    if (std::optional<model::ErrorRef> ref = lower_error(*signature->error_type)) {
      endpoint.errors.push_back(std::move(*ref));
    }
  }

  endpoint.ts_module = syntax::default_ts_module(attr->path);
  endpoint.ts_name = syntax::to_camel_case(endpoint.rust_name);
  endpoint.route = attr->path;
  endpoint.method = http_method_of(attr->method);
  endpoint.docs = syntax::doc_string(item.attrs());
  endpoint.spans = model::DeclSpans{span_of(file_, name), span_of(file_, item),
                                    span_of(file_, item.attrs()[read.attr_index])};
  endpoint.allow_unused = attr->allow_unused;
  return endpoint;
}

void EndpointLowerer::lower_path_param(const syntax::EndpointParam& param, const std::string& rust_path,
                                       model::RequestShape& request) {
  std::optional<model::TypeExpr> ty = lowering_.lower_type(module_, file_, param.ty);
  if (!ty) return;
  if (!is_param_type(*ty)) {
    lowering_.diagnostics.push_back(
        model::Diagnostic::error("invalid-param-type", std::string(kInvalidParamType), span_of(file_, param.ty)));
    return;
  }
  model::Param out;
  out.id = model::SymbolId::from_parts("param", {rust_path, param.name});
  out.name = param.name;
  out.ty = std::move(*ty);
  out.required = true;
  out.span = span_of(file_, param.span);
  request.path_params.push_back(std::move(out));
}

void EndpointLowerer::lower_query(const rustsyn::Type& ty, model::RequestShape& request) {
  std::optional<rustsyn::TypePath> path =
      ty.kind() == rustsyn::TypeKind::Path ? ty.path() : std::optional<rustsyn::TypePath>();
  Entity entity;
  if (path && !path->qself) entity = lowering_.resolve_stripped(module_, *path);
  std::optional<FoundItem> found;
  if (entity.is(Entity::Kind::Item)) found = lowering_.find_item(entity.module, entity.name);
  if (!found) {
    lowering_.unresolved_type(file_, ty, "query structs must derive Api in this workspace");
    return;
  }
  constexpr std::string_view kMessage = "Query<T> requires a named-field struct deriving Api";
  if (found->item->kind() != rustsyn::ItemKind::Struct) {
    lowering_.diagnostics.push_back(
        model::Diagnostic::error("invalid-query-type", std::string(kMessage), span_of(file_, ty)));
    return;
  }
  rustsyn::StructItem item(found->item->node());
  if (item.fields().kind != rustsyn::FieldsKind::Named) {
    lowering_.diagnostics.push_back(
        model::Diagnostic::error("invalid-query-type", std::string(kMessage), span_of(*found->file, item.name())));
    return;
  }
  lower_query_fields(entity.module, entity.name, *found, request);
}

void EndpointLowerer::lower_query_fields(const ModulePath& module, const std::string& name, const FoundItem& found,
                                         model::RequestShape& request) {
  const std::string& file = *found.file;
  auto serde = syntax::SerdeAttrs::from_attrs(found.item->attrs());
  if (!serde.ok()) {
    lowering_.push_syn_error(file, serde.error());
    return;
  }
  std::vector<std::string> struct_path = module;
  struct_path.push_back(name);
  std::string owner = joined(struct_path);
  for (const rustsyn::Field& field : rustsyn::StructItem(found.item->node()).fields().list) {
    if (!field.name) continue;
    auto field_serde = syntax::SerdeAttrs::from_attrs(field.attrs);
    if (!field_serde.ok()) {
      lowering_.push_syn_error(file, field_serde.error());
      continue;
    }
    auto shape = syntax::FieldWireShape::from_type(field.ty, *field_serde);
    if (!shape.ok()) {
      lowering_.push_syn_error(file, shape.error());
      continue;
    }
    std::string wire_name =
        field_serde->rename ? *field_serde->rename : syntax::apply_rename_rule(field.name->text, serde->rename_all);
    std::optional<model::TypeExpr> ty = lowering_.lower_type(module, file, shape->ty);
    if (!ty) continue;
    if (!is_param_type(*ty)) {
      lowering_.diagnostics.push_back(
          model::Diagnostic::error("invalid-param-type", std::string(kInvalidParamType), span_of(file, shape->ty)));
      continue;
    }
    model::Param out;
    out.id = model::SymbolId::from_parts("param", {owner, wire_name});
    out.name = std::move(wire_name);
    out.ty = std::move(*ty);
    out.required = shape->optionality == model::Optionality::Required;
    out.span = span_of(file, *field.name);
    request.query_params.push_back(std::move(out));
  }
}

std::optional<model::ErrorRef> EndpointLowerer::lower_error(const rustsyn::Type& ty) {
  std::optional<rustsyn::TypePath> path =
      ty.kind() == rustsyn::TypeKind::Path ? ty.path() : std::optional<rustsyn::TypePath>();
  Entity entity;
  if (path && !path->qself) entity = lowering_.resolve_stripped(module_, *path);
  std::optional<FoundItem> found;
  if (entity.is(Entity::Kind::Item)) found = lowering_.find_item(entity.module, entity.name);
  if (!found) {
    lowering_.unresolved_type(file_, ty, "endpoint errors must derive ApiError");
    return std::nullopt;
  }
  // Only enums deriving ApiError are lowered into error declarations; a
  // struct deriving it would leave the reference pointing at nothing.
  if (found->api != ApiKind::ApiError || found->item->kind() != rustsyn::ItemKind::Enum) {
    lowering_.diagnostics.push_back(model::Diagnostic::error(
        "invalid-error-type", "`" + entity.name + "` is not an ApiError enum; derive ApiError on it",
        span_of(file_, ty)));
    return std::nullopt;
  }
  lowering_.queue.push_back(QueuedDecl{entity.module, entity.name});
  std::vector<std::string> parts = entity.module;
  parts.push_back(entity.name);
  return model::ErrorRef{model::SymbolId::from_parts("error", parts), entity.name};
}

model::SuccessChannel EndpointLowerer::lower_success(const syntax::EndpointSignature& signature) {
  model::SuccessChannel channel;
  auto lowered_body = [&]() -> std::optional<model::TypeExpr> {
    if (!signature.success_type) return std::nullopt;
    return lowering_.lower_type(module_, file_, *signature.success_type);
  };
  switch (signature.success) {
    case syntax::SuccessKind::NoContent:
      channel = model::SuccessChannel{model::Transport::Unary, 204, model::SuccessBody{model::SuccessBody::Empty{}}};
      break;
    case syntax::SuccessKind::Json:
    case syntax::SuccessKind::Created: {
      uint16_t status = signature.success == syntax::SuccessKind::Json ? 200 : 201;
      channel = model::SuccessChannel{model::Transport::Unary, status, model::SuccessBody{model::SuccessBody::Empty{}}};
      if (std::optional<model::TypeExpr> ty = lowered_body()) {
        channel.body.value = model::SuccessBody::Json{std::move(*ty)};
      }
      break;
    }
    case syntax::SuccessKind::Sse:
      channel = model::SuccessChannel{model::Transport::Sse, 200, model::SuccessBody{model::SuccessBody::Empty{}}};
      if (std::optional<model::TypeExpr> ty = lowered_body()) {
        channel.body.value = model::SuccessBody::Stream{std::move(*ty)};
      }
      break;
    case syntax::SuccessKind::Binary:
      channel = model::SuccessChannel{model::Transport::BinaryDownload, 200,
                                      model::SuccessBody{model::SuccessBody::Binary{}}};
      break;
  }
  bool binary_upload = std::any_of(signature.params.begin(), signature.params.end(), [](const auto& param) {
    return param.kind == syntax::ParamKind::Binary;
  });
  if (binary_upload) channel.transport = model::Transport::BinaryUpload;
  return channel;
}

}  // namespace

std::vector<model::Endpoint> lower_endpoints(Lowering& lowering) {
  std::vector<model::Endpoint> endpoints;
  for (const auto& [module, data] : lowering.modules().modules()) {
    EndpointLowerer lowerer(lowering, module, data.file);
    for (size_t i = 0; i < data.items.size(); ++i) {
      const ItemSyntax* read = data.syntax[i].get();
      if (!read || !read->endpoint) continue;
      if (std::optional<model::Endpoint> endpoint = lowerer.lower(data.items[i], *read->endpoint)) {
        endpoints.push_back(std::move(*endpoint));
      }
    }
  }
  return endpoints;
}

}  // namespace vantrel::engine::extract
