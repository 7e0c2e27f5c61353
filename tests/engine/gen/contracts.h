// Hand-built contracts for generator tests: small constructors for the
// records, and the contracts of the documented worked examples.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ir.h"

namespace vantrel::engine::gen::testing {

inline model::SymbolId id(std::string_view kind, std::string_view name) { return model::SymbolId::from_parts(kind, {name}); }

inline model::TypeExpr prim(model::Primitive p) { return model::TypeExpr::primitive(p); }
inline model::TypeExpr named(std::string_view kind, const std::string& name) {
  return model::TypeExpr::named(id(kind, name), name);
}

inline model::Field field(const std::string& owner, const std::string& wire_name, model::TypeExpr ty,
                          model::Optionality optionality = model::Optionality::Required,
                          std::optional<std::string> docs = std::nullopt) {
  model::Field f;
  f.id = id("field", owner + "." + wire_name);
  f.rust_name = wire_name;
  f.wire_name = wire_name;
  f.ty = std::move(ty);
  f.optionality = optionality;
  f.docs = std::move(docs);
  return f;
}

inline model::TypeDecl struct_decl(const std::string& name, std::vector<model::Field> fields,
                                   std::optional<std::string> docs = std::nullopt) {
  model::TypeDecl d;
  d.id = id("type", name);
  d.rust_path = {"crate", name};
  d.rust_name = name;
  d.ts_name = name;
  d.shape.value = model::TypeShape::Struct{std::move(fields)};
  d.docs = std::move(docs);
  d.spans.name = model::Span{"src/lib.rs", 0, static_cast<uint32_t>(name.size())};
  return d;
}

inline model::EnumVariant enum_variant(const std::string& owner, const std::string& rust_name,
                                       const std::string& wire_name, std::vector<model::Field> fields = {}) {
  model::EnumVariant v;
  v.id = id("enum_variant", owner + "::" + rust_name);
  v.rust_name = rust_name;
  v.wire_name = wire_name;
  v.fields = std::move(fields);
  return v;
}

inline model::TypeDecl enum_decl(const std::string& name, std::vector<model::EnumVariant> variants) {
  model::TypeDecl d = struct_decl(name, {});
  d.shape.value = model::TypeShape::Enum{std::move(variants)};
  return d;
}

inline model::TypeDecl newtype_decl(const std::string& name, model::TypeExpr inner) {
  model::TypeDecl d = struct_decl(name, {});
  d.shape.value = model::TypeShape::Newtype{std::move(inner)};
  return d;
}

inline model::ErrorVariant error_variant(const std::string& owner, const std::string& tag, uint16_t status,
                                         std::vector<model::Field> fields = {}) {
  model::ErrorVariant v;
  v.id = id("error_variant", owner + "::" + tag);
  v.rust_name = tag;
  v.tag = tag;
  v.status = status;
  v.fields = std::move(fields);
  return v;
}

inline model::ErrorDecl error_decl(const std::string& name, std::vector<model::ErrorVariant> variants) {
  model::ErrorDecl d;
  d.id = id("error", name);
  d.rust_path = {"crate", name};
  d.rust_name = name;
  d.ts_name = name;
  d.variants = std::move(variants);
  return d;
}

inline model::Param param(const std::string& endpoint, const std::string& name, model::TypeExpr ty, bool required) {
  model::Param p;
  p.id = id("param", endpoint + "." + name);
  p.name = name;
  p.ty = std::move(ty);
  p.required = required;
  return p;
}

/// The endpoint of the client example: getUser, GET /users/{id}, path
/// parameter id: u64, success Json(User), error UserError, "Fetch one user.".
inline model::Endpoint get_user_endpoint() {
  model::Endpoint e;
  e.id = id("endpoint", "getUser");
  e.rust_path = {"crate", "users", "get_user"};
  e.rust_name = "get_user";
  e.ts_module = "users";
  e.ts_name = "getUser";
  e.route = "/users/{id}";
  e.method = model::HttpMethod::Get;
  e.request.path_params.push_back(param("getUser", "id", prim(model::Primitive::U64), true));
  e.success.body.value = model::SuccessBody::Json{named("type", "User")};
  e.errors.push_back(model::ErrorRef{id("error", "UserError"), "UserError"});
  e.docs = "Fetch one user.";
  return e;
}

/// The package example: "@acme/api" with User, UserError { NotFound = 404 }
/// and getUser.
inline model::Contract acme_contract() {
  model::Contract c;
  c.package = model::PackageMeta{"@acme/api", "acme-api"};
  c.types.push_back(struct_decl(
      "User", {field("User", "id", prim(model::Primitive::U64)), field("User", "name", prim(model::Primitive::String))},
      "A user of the system."));
  c.errors.push_back(error_decl("UserError", {error_variant("UserError", "NotFound", 404)}));
  c.endpoints.push_back(get_user_endpoint());
  return c;
}

}  // namespace vantrel::engine::gen::testing
