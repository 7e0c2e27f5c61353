// Scanning the app's TypeScript sources for mentions of one package's
// generated names. A file's imports of the generated package bind local
// names; a walk over the whole file then records every mention of those
// names, every route constant, and every error tag passed to `catchTag` or
// `catchTags`. Nothing is type-checked and no module is resolved on disk: the
// package is recognised by its npm name in import specifiers alone.
#pragma once

#include <tree_sitter/api.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "engine/usage/symbol_table.h"
#include "engine/usage/ts_grammar.h"
#include "engine/usage/usage_index.h"
#include "model/ir.h"

namespace vantrel::engine::usage {

/// What a name imported by the file being scanned stands for: one generated
/// name, or a namespace over a part of the package.
using Binding = std::variant<NameTarget, SpecifierScope>;

/// One app source: its path as the caller names it, and its text.
using SourceText = std::pair<std::string, std::string>;

/// Builds the symbol table of `contract` once and scans each file in order
/// into one index. Never fails: unparsable text contributes what the parser
/// recovers.
UsageIndex scan_files(const model::Contract& contract, const std::vector<SourceText>& files);

/// Scans one file into `index`.
void scan_with_table(const SymbolTable& table, std::string_view path, std::string_view text, UsageIndex& index);

/// The state of scanning one file: its bindings (from its own top-level
/// imports only) and the two depth counters of the weakness rule. A mention
/// is weak — not a use — unless it names a route constant or an error tag,
/// or it sits outside every type and inside a use context (a call, a `new`,
/// a variable declarator, a `return` or `yield` argument).
///
/// The walk is iterative (an explicit work list), so deeply nested
/// expressions cannot overflow the stack; the hooks below record what a node
/// itself mentions, and the walk raises and lowers the counters around each
/// node's children.
class Scanner {
 public:
  /// Borrows everything; `text` must be the text `tree`s are parsed from.
  Scanner(const SymbolTable& table, const TsGrammar& grammar, std::string_view path, std::string_view text,
          UsageIndex& index);

  /// Binds the imports of `program`'s top-level statements, then walks it.
  void scan(TSNode program);

  /// Binds the names of top-level imports of the generated package and
  /// records their import and re-export specifiers as weak mentions.
  void collect_imports(TSNode program);
  /// Walks every node below `root` with the hooks.
  void walk(TSNode root);

  /// Records a mention of `target` at [start, end).
  void push_ref(const NameTarget& target, uint32_t start, uint32_t end, bool weak);
  /// Records a strong `ErrorTag` mention when `text` is a variant's tag.
  void record_tag(std::string_view text, uint32_t start, uint32_t end);
  /// The scope an expression denotes: an identifier bound to a namespace, or
  /// `ns.module` where `ns` is bound to the package root and `module` is an
  /// endpoint module.
  std::optional<SpecifierScope> resolve_namespace(TSNode expression) const;

  /// Error tags in `catchTag("Tag", ...)` and `catchTags({ Tag: ... })`.
  void visit_call_expression(TSNode call);
  /// A mention of a name bound to a generated name.
  void visit_identifier_reference(TSNode identifier);
  /// `ns.name` where `ns` resolves to a scope that has `name`.
  void visit_static_member_expression(TSNode member);
  /// `ns.Name` in a type (a qualified type name): as a member expression.
  void visit_qualified_type_name(TSNode nested);

  /// Whether a mention of `kind` at the current position is weak.
  bool is_weak(UsageKind kind) const;

  const TextMap<Binding>& bindings() const { return bindings_; }
  int type_depth() const { return type_depth_; }
  int use_depth() const { return use_depth_; }

 private:
  std::string_view text_of(TSNode node) const;
  /// The value of a string literal node (escapes decoded).
  std::string string_value(TSNode node) const;
  /// The package scope an import or re-export statement's source names, or
  /// nothing when it is not one of the generated package's modules.
  std::optional<SpecifierScope> source_scope(TSNode statement) const;
  /// An import or export specifier's name: a string (`"a b" as x`) or an
  /// identifier.
  std::string specifier_name(TSNode name) const;
  void bind_import(TSNode import_statement);
  void record_reexport(TSNode export_statement);
  void record_catch_tags(TSNode object);

  const SymbolTable& table_;
  const TsGrammar& grammar_;
  std::string path_;
  std::string_view text_;
  UsageIndex& index_;
  TextMap<Binding> bindings_;
  int type_depth_ = 0;
  int use_depth_ = 0;
};

}  // namespace vantrel::engine::usage
