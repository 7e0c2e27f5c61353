// Type lowering: Rust types written in API positions become contract type
// expressions, and every struct or enum they name becomes a TypeDecl (derive
// Api) or an ErrorDecl (derive ApiError). Declarations are found on demand: a
// type that names one queues it, and the queue is drained until empty. What
// cannot be represented faithfully is reported and left out; nothing is
// guessed.
#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/extract/item_syntax.h"
#include "engine/extract/modules.h"
#include "engine/extract/resolve.h"
#include "model/diag.h"
#include "model/ir.h"
#include "rustsyn/items.h"
#include "rustsyn/syn_error.h"
#include "rustsyn/types.h"
#include "syntax/rename.h"

namespace vantrel::engine::extract {

/// How deep type expressions and alias expansions may nest before lowering
/// gives up with a diagnostic; it keeps hostile input off the host stack.
inline constexpr int kMaxTypeDepth = 128;

/// A declaration as `find_item` finds it: the item, the display path of the
/// file that holds it and its API derive. Points into the module map, which
/// outlives the lowering, so finding an item copies nothing.
struct FoundItem {
  const rustsyn::Item* item;
  const std::string* file;
  std::optional<ApiKind> api;
  /// The item's syntax when it has an API derive, else null.
  const DeclSyntax* syntax;
};

/// A declaration waiting in the queue.
struct QueuedDecl {
  ModulePath module;
  std::string name;
};

/// The working state of one extraction's lowering. The driver creates it,
/// seeds declarations, lowers endpoints and drains the queue; the fields are
/// the results it reads afterwards.
class Lowering {
 public:
  /// Takes over the diagnostics found so far (those of the module map); new
  /// ones are appended in order of discovery.
  Lowering(Resolver resolver, std::vector<model::Diagnostic> diagnostics)
      : resolver(std::move(resolver)), diagnostics(std::move(diagnostics)) {}

  Resolver resolver;
  std::vector<model::Diagnostic> diagnostics;
  /// Declarations still to be lowered, oldest first.
  std::deque<QueuedDecl> queue;
  /// The aliases being expanded, innermost last.
  std::vector<QueuedDecl> alias_stack;
  /// Lowered declarations by id (provisional ones included).
  std::map<model::SymbolId, model::TypeDecl> types;
  std::map<model::SymbolId, model::ErrorDecl> errors;

  const ModuleMap& modules() const { return resolver.modules(); }

  /// Lowers `ty` written in module `module` of file `file`. Nothing means a
  /// diagnostic was recorded (here, or further down for an inner type).
  std::optional<model::TypeExpr> lower_type(const ModulePath& module, const std::string& file,
                                            const rustsyn::Type& ty);

  /// Records "cannot resolve `{type}` in an API position; {hint}".
  void unresolved_type(const std::string& file, const rustsyn::Type& ty, std::string_view hint);

  /// Lowers queued declarations until the queue is empty.
  void drain_type_queue();

  /// Takes over what `other` lowered on its own, as if this lowering had gone
  /// on to do it: its declarations (none of which this one holds), its
  /// diagnostics after these and its queue after this one.
  void absorb(Lowering other);

  /// Lowers the struct or enum `name` of `module` into `types` or `errors`,
  /// once: a declaration already present (even provisionally) is skipped.
  void lower_named_decl(const ModulePath& module, const std::string& name);

  /// The named fields of a struct or struct variant, with their syntax
  /// (parallel to `fields.list`); fields that break a rule are reported and
  /// left out. `owner_path` is the owner's Rust path joined
  /// with "::", `owner` the struct's or variant's name.
  std::vector<model::Field> lower_fields(const ModulePath& module, const std::string& file,
                                         const rustsyn::Fields& fields, const FieldsSyntax& read,
                                         std::optional<syntax::RenameRule> rule, const std::string& owner_path,
                                         const std::string& owner);

  /// One variant of an Api or ApiError enum (`label`); nothing when it breaks
  /// a rule (reported).
  std::optional<model::EnumVariant> lower_enum_variant(const ModulePath& module, const std::string& file,
                                                       const VariantSyntax& read,
                                                       std::optional<syntax::RenameRule> name_rule,
                                                       std::optional<syntax::RenameRule> field_rule,
                                                       const std::string& enum_path, std::string_view label);

  /// The first struct, type alias, enum or function of `module` called
  /// `name`, with the module's file.
  std::optional<FoundItem> find_item(const ModulePath& module, std::string_view name) const;

  /// Resolves a written path by its segment identifiers alone.
  Entity resolve_stripped(const ModulePath& module, const rustsyn::TypePath& path) const;

  /// Records a syntax-layer error as an "invalid-api-item" error in `file`.
  void push_syn_error(const std::string& file, const rustsyn::SynError& error);

 private:
  std::optional<model::TypeExpr> lower_generic(const ModulePath& module, const std::string& file,
                                               const rustsyn::Type& ty, const rustsyn::TypePath& path);
  std::optional<model::TypeExpr> lower_resolved(const ModulePath& module, const std::string& file,
                                                const rustsyn::Type& ty, const rustsyn::TypePath& path);
  std::optional<model::TypeExpr> expand_alias(const ModulePath& module, const std::string& name,
                                              const FoundItem& found, const std::string& file,
                                              const rustsyn::Type& ty);
  void lower_api_decl(const ModulePath& module, const std::string& name, const FoundItem& found);
  void lower_error_decl(const ModulePath& module, const std::string& name, const FoundItem& found);

  /// Current nesting of `lower_type` calls (type arguments and aliases).
  int depth_ = 0;
};

/// The segment identifiers of a written path.
std::vector<std::string> path_segments(const rustsyn::TypePath& path);

}  // namespace vantrel::engine::extract
