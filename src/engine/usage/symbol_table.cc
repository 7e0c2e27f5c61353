// Building the name tables from a contract and answering which scope an
// import specifier names. The rules mirror the generator's: a route constant
// is the function name followed by "Route", an error class is named by its
// tag, and the package root re-exports every endpoint module under its name.
#include "engine/usage/symbol_table.h"

namespace vantrel::engine::usage {

namespace {

void put(TextMap<NameTarget>& map, const std::string& name, const NameTarget& target) {
  map.insert_or_assign(name, target);
}

const NameTarget* find_in(const TextMap<NameTarget>& map, std::string_view name) {
  auto it = map.find(name);
  return it == map.end() ? nullptr : &it->second;
}

}  // namespace

SymbolTable::SymbolTable(const model::Contract& contract) : package_(contract.package.ts_package) {
  for (const model::Endpoint& endpoint : contract.endpoints) {
    TextMap<NameTarget>& module = modules_[endpoint.ts_module];
    const NameTarget function{endpoint.id.str(), UsageKind::EndpointFunction};
    const NameTarget route{endpoint.id.str(), UsageKind::RouteConstant};
    const std::string route_name = endpoint.ts_name + "Route";
    put(module, endpoint.ts_name, function);
    put(all_, endpoint.ts_name, function);
    put(module, route_name, route);
    put(all_, route_name, route);
  }
  for (const model::TypeDecl& type : contract.types) {
    const NameTarget target{type.id.str(), UsageKind::TypeName};
    put(types_, type.ts_name, target);
    put(all_, type.ts_name, target);
  }
  for (const model::ErrorDecl& error : contract.errors) {
    const NameTarget target{error.id.str(), UsageKind::ErrorName};
    put(errors_, error.ts_name, target);
    put(all_, error.ts_name, target);
    for (const model::ErrorVariant& variant : error.variants) {
      const NameTarget cls{variant.id.str(), UsageKind::ErrorClass};
      put(errors_, variant.tag, cls);
      put(all_, variant.tag, cls);
      error_tags_.insert_or_assign(variant.tag, variant.id.str());
    }
  }
}

std::optional<SpecifierScope> SymbolTable::scope_for_specifier(std::string_view specifier) const {
  if (!specifier.starts_with(package_)) return std::nullopt;
  std::string_view rest = specifier.substr(package_.size());
  if (rest.empty()) return SpecifierScope::root();
  if (rest == "/schemas") return SpecifierScope::schemas();
  if (rest == "/errors") return SpecifierScope::errors();
  constexpr std::string_view kEndpoints = "/endpoints/";
  if (rest.starts_with(kEndpoints)) {
    std::string_view module = rest.substr(kEndpoints.size());
    if (is_module(module)) return SpecifierScope::endpoint_module(std::string(module));
  }
  return std::nullopt;
}

const NameTarget* SymbolTable::lookup(const SpecifierScope& scope, std::string_view name) const {
  switch (scope.kind) {
    case SpecifierScope::Kind::Root:
      return find_in(all_, name);
    case SpecifierScope::Kind::Module: {
      auto it = modules_.find(scope.module);
      return it == modules_.end() ? nullptr : find_in(it->second, name);
    }
    case SpecifierScope::Kind::Schemas:
      return find_in(types_, name);
    case SpecifierScope::Kind::Errors:
      return find_in(errors_, name);
  }
  return nullptr;
}

const std::string* SymbolTable::variant_for_tag(std::string_view tag) const {
  auto it = error_tags_.find(tag);
  return it == error_tags_.end() ? nullptr : &it->second;
}

}  // namespace vantrel::engine::usage
