// A small hand-made contract for the usage tests: package "@acme/api" with
// endpoint modules "users" (getUser, listUsers) and "orders" (createOrder),
// types User and Order, and the error UserError with the variants NotFound
// and Conflict.
#pragma once

#include <map>
#include <string>

#include "model/ir.h"

namespace vantrel::engine::usage::testing {

inline model::Endpoint make_endpoint(const std::string& module, const std::string& ts_name,
                                     const std::string& rust_name, model::HttpMethod method,
                                     const std::string& route) {
  model::Endpoint e;
  e.id = model::SymbolId::from_parts("endpoint", {module, rust_name});
  e.rust_path = {"api", module, rust_name};
  e.rust_name = rust_name;
  e.ts_module = module;
  e.ts_name = ts_name;
  e.route = route;
  e.method = method;
  return e;
}

inline model::Contract acme_contract() {
  model::Contract c;
  c.package = {"@acme/api", "acme-api"};
  c.endpoints = {
      make_endpoint("users", "getUser", "get_user", model::HttpMethod::Get, "/users/{id}"),
      make_endpoint("users", "listUsers", "list_users", model::HttpMethod::Get, "/users"),
      make_endpoint("orders", "createOrder", "create_order", model::HttpMethod::Post, "/orders"),
  };
  for (const char* name : {"User", "Order"}) {
    model::TypeDecl t;
    t.id = model::SymbolId::from_parts("type", {name});
    t.rust_name = t.ts_name = name;
    c.types.push_back(t);
  }
  model::ErrorDecl error;
  error.id = model::SymbolId::from_parts("error", {"UserError"});
  error.rust_name = error.ts_name = "UserError";
  for (auto [tag, status] : {std::pair{"NotFound", 404}, std::pair{"Conflict", 409}}) {
    model::ErrorVariant v;
    v.id = model::SymbolId::from_parts("error_variant", {"UserError", tag});
    v.rust_name = v.tag = tag;
    v.status = static_cast<uint16_t>(status);
    error.variants.push_back(v);
  }
  c.errors.push_back(error);
  return c;
}

/// The id of a contract item by its TypeScript name (endpoints by function
/// name, variants by tag).
inline std::string acme_id(const std::string& name) {
  static const std::map<std::string, std::string> ids = [] {
    std::map<std::string, std::string> out;
    const model::Contract c = acme_contract();
    for (const auto& e : c.endpoints) out[e.ts_name] = e.id.str();
    for (const auto& t : c.types) out[t.ts_name] = t.id.str();
    for (const auto& e : c.errors) {
      out[e.ts_name] = e.id.str();
      for (const auto& v : e.variants) out[v.tag] = v.id.str();
    }
    return out;
  }();
  auto it = ids.find(name);
  return it == ids.end() ? "?" + name : it->second;
}

}  // namespace vantrel::engine::usage::testing
