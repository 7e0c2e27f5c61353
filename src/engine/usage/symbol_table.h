// The generated names of one package's client, as the app can import them:
// endpoint functions and route constants per endpoint module, type names,
// error unions, error classes and error tags. Built from the contract with
// the generator's naming rules, so the scanner recognises the package without
// reading the generated files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "model/ir.h"

namespace vantrel::engine::usage {

/// What kind of generated name a mention names; the numeric values are stable.
enum class UsageKind : uint8_t {
  EndpointFunction = 0,  ///< an endpoint's client function, `ts_name`
  RouteConstant = 1,     ///< an endpoint's route constant, `ts_name` + "Route"
  TypeName = 2,          ///< an API type
  ErrorName = 3,         ///< an API error union
  ErrorClass = 4,        ///< an error variant's class, named by its tag
  ErrorTag = 5,          ///< a string equal to an error variant's tag in an error-handling call
};

/// What a generated name stands for: the contract item's `SymbolId` text and
/// the kind of name. Endpoint functions and route constants carry the
/// endpoint's id, error classes and tags the variant's id.
struct NameTarget {
  std::string symbol;
  UsageKind kind = UsageKind::EndpointFunction;

  bool operator==(const NameTarget&) const = default;
};

/// Which part of the generated package an import specifier denotes.
struct SpecifierScope {
  enum class Kind : uint8_t { Root, Module, Schemas, Errors };

  Kind kind = Kind::Root;
  std::string module;  ///< the endpoint module's name, for kind Module only

  static SpecifierScope root() { return {Kind::Root, {}}; }
  static SpecifierScope endpoint_module(std::string name) { return {Kind::Module, std::move(name)}; }
  static SpecifierScope schemas() { return {Kind::Schemas, {}}; }
  static SpecifierScope errors() { return {Kind::Errors, {}}; }

  bool operator==(const SpecifierScope&) const = default;
};

/// String hashing that also accepts string views, so lookups by a slice of
/// the source text allocate nothing.
struct TextHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

template <class V>
using TextMap = std::unordered_map<std::string, V, TextHash, std::equal_to<>>;

/// Every generated name of one package, built once per scan from its contract.
class SymbolTable {
 public:
  /// Collects the names of `contract`: endpoints, then types, then errors,
  /// in contract order; a later name replaces an earlier one of the same
  /// spelling in the same map.
  explicit SymbolTable(const model::Contract& contract);

  /// The scope an import specifier denotes: exactly the package name, or it
  /// followed by "/schemas", "/errors" or "/endpoints/{known module}". Exact
  /// and case-sensitive; everything else has none.
  std::optional<SpecifierScope> scope_for_specifier(std::string_view specifier) const;

  /// The target of `name` within `scope`, or nothing.
  const NameTarget* lookup(const SpecifierScope& scope, std::string_view name) const;

  /// Whether `name` is an endpoint module (and so re-exported by the package
  /// root under that name).
  bool is_module(std::string_view name) const { return modules_.find(name) != modules_.end(); }

  /// The variant id whose tag is `tag`, or null.
  const std::string* variant_for_tag(std::string_view tag) const;
  bool has_error_tags() const { return !error_tags_.empty(); }

  const std::string& package() const { return package_; }
  const TextMap<NameTarget>& all() const { return all_; }
  const TextMap<TextMap<NameTarget>>& modules() const { return modules_; }
  const TextMap<NameTarget>& types() const { return types_; }
  const TextMap<NameTarget>& errors() const { return errors_; }
  const TextMap<std::string>& error_tags() const { return error_tags_; }

 private:
  std::string package_;
  TextMap<NameTarget> all_;
  TextMap<TextMap<NameTarget>> modules_;
  TextMap<NameTarget> types_;
  TextMap<NameTarget> errors_;
  TextMap<std::string> error_tags_;
};

}  // namespace vantrel::engine::usage
