// Path resolution: written in module M, what does the path P name? Answered
// purely from the module map — items, `mod` declarations, `use` and glob
// imports — plus a small table of outside types the contract supports and
// the crate names of the workspace packages in reach. The standard library,
// preludes and macros are unknown here. Lookups never fail loudly: every dead
// end (a missing module, an import cycle, a chain deeper than the depth
// limit) is `NotFound`, and the caller picks the diagnostic.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/extract/modules.h"
#include "model/ir.h"

namespace vantrel::engine::extract {

/// Lookups deeper than this yield `NotFound`; it cuts cycles of imports.
inline constexpr int kMaxResolveDepth = 32;

/// The answer of a lookup.
struct Entity {
  enum class Kind {
    Item,           ///< a struct, enum, type alias or function `name` defined directly in `module`
    Module,         ///< the module `module`
    External,       ///< a known outside type, `external`
    ExternalCrate,  ///< a known outside crate named `name`, at the start of a path
    NotFound,
  };
  Kind kind = Kind::NotFound;
  ModulePath module;
  std::string name;
  model::ExternalType external = model::ExternalType::Uuid;

  static Entity item(ModulePath module, std::string name) {
    return Entity{Kind::Item, std::move(module), std::move(name), {}};
  }
  static Entity module_of(ModulePath module) { return Entity{Kind::Module, std::move(module), {}, {}}; }
  static Entity external_type(model::ExternalType type) { return Entity{Kind::External, {}, {}, type}; }
  static Entity external_crate(std::string name) { return Entity{Kind::ExternalCrate, {}, std::move(name), {}}; }
  static Entity not_found() { return Entity{}; }

  bool is(Kind k) const { return kind == k; }
  bool operator==(const Entity&) const = default;
};

/// `uuid::Uuid`, `chrono::DateTime`, `rust_decimal::Decimal` and
/// `serde_json::Value` (exactly two segments); nothing otherwise.
std::optional<Entity> known_external(const std::vector<std::string>& segments);

/// Whether `name` is one of the known outside crates (`serde_json`,
/// `rust_decimal`, `uuid`, `chrono`).
bool is_known_external_crate(std::string_view name);

class Resolver {
 public:
  /// `crates`: the crate names of every workspace package in reach, the
  /// package's own included. Borrows `modules`, which must outlive the
  /// resolver.
  Resolver(std::vector<std::string> crates, const ModuleMap& modules)
      : crates_(std::move(crates)), modules_(&modules) {}

  /// Resolves `segments` (identifiers only, generic arguments dropped) as
  /// written in `module`. Callers start with depth 0.
  Entity resolve_path_inner(const ModulePath& module, const std::vector<std::string>& segments, int depth) const;
  /// Resolves one name in `module`'s scope: child modules, then items, then
  /// imports, then glob imports, then outside and workspace crate names.
  Entity resolve_name(const ModulePath& module, std::string_view name, int depth) const;
  /// Walks `segments` starting in the known module `module`.
  Entity resolve_from_module(const ModulePath& module, const std::vector<std::string>& segments, int depth) const;

  const std::vector<std::string>& crates() const { return crates_; }
  const ModuleMap& modules() const { return *modules_; }

 private:
  bool is_crate(std::string_view name) const;

  std::vector<std::string> crates_;
  const ModuleMap* modules_;
};

}  // namespace vantrel::engine::extract
