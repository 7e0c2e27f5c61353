// The module map: for the package under extraction and every workspace
// package it reaches, the items each module holds and the names its `use`
// declarations bring into scope, read from the sources as written (nothing is
// compiled or expanded; `#[cfg(test)]` items are left out). The resolver
// answers every name lookup from it and the lowering stages iterate its items.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/extract/item_syntax.h"
#include "engine/workspace.h"
#include "model/diag.h"
#include "model/span.h"
#include "model/vfs.h"
#include "rustsyn/attribute.h"
#include "rustsyn/items.h"
#include "rustsyn/source_file.h"

namespace vantrel::engine::extract {

/// A module's path: the crate name (the package name with "-" as "_"), then
/// one segment per nested module. `std::vector`'s ordering compares segment by
/// segment in byte order with a prefix first, which is the order consumers
/// sort modules in.
using ModulePath = std::vector<std::string>;

/// A path as written in a `use` declaration: unresolved segment texts.
using UsePath = std::vector<std::string>;

/// Which of the two API derives an item carries.
enum class ApiKind { Api, ApiError };

/// The API derive of a struct or enum: the last `Api` or `ApiError` named (by
/// the last path segment) across its `#[derive(...)]` attributes, in order.
/// Nothing for other items and for items deriving neither.
std::optional<ApiKind> api_item_kind(const rustsyn::Item& item);

/// What one module holds.
struct ModuleData {
  /// Display path of the file holding the module's items (an inline module
  /// carries its enclosing file's).
  std::string file;
  /// The module's items in source order, without `mod` items and without
  /// test-only items. `use` items are kept. Each item keeps its parsed file
  /// alive.
  std::vector<rustsyn::Item> items;
  /// Prefix of every glob import, in source order (`use a::b::*;` is [a, b]).
  std::vector<UsePath> globs;
  /// Child module name to its module path (not test-only ones); a later
  /// declaration of the same name replaces an earlier one.
  std::map<std::string, ModulePath> mods;
  /// Local name to the path its `use` brings in, as written; the later import
  /// of a name wins.
  std::map<std::string, UsePath> uses;

  // Derived from `items` by `index_items`, so that name lookups (several per
  // type reference) cost a hash probe instead of a scan of the module's items
  // re-reading each one's name and derive attributes from the syntax tree.

  /// Name to the position in `items` of the first struct, enum, type alias or
  /// function of that name. Keys view the source text, which the items keep
  /// alive.
  std::unordered_map<std::string_view, size_t> named;
  /// `api_item_kind` of each item, parallel to `items`.
  std::vector<std::optional<ApiKind>> api_kinds;
  /// What lowering reads of each item (null for items it ignores), parallel
  /// to `items`; shared, since maps copy prepared modules.
  std::vector<std::shared_ptr<const ItemSyntax>> syntax;
};

/// Rebuilds `named`, `api_kinds` and `syntax` from `module.items`.
void index_items(ModuleData& module);

/// Whether lookups by name find items of this kind: the kinds that carry API
/// types or handlers.
bool is_named_kind(rustsyn::ItemKind kind);

/// One module as its file alone describes it, before the walk knows where the
/// module sits: the items kept, the imports and the indexes are final; the
/// walk fills in `data.file` and `data.mods` and follows `mod_decls`.
/// Preparing needs nothing but the syntax tree, so it can run on any thread.
struct PreparedModule {
  /// A `mod name` declaration (not test-only), in source order.
  struct ModDecl {
    std::string name;
    /// The declaration's attributes, which may carry `#[path]`.
    std::vector<rustsyn::Attribute> attrs;
    /// For an inline module, its position in `children`.
    std::optional<size_t> inline_child;
  };
  ModuleData data;
  std::vector<ModDecl> mod_decls;
  std::vector<PreparedModule> children;
};

/// Sorts one module's items: `mod` items become declarations (inline ones
/// prepared in turn), test-only items are dropped, `use` trees are flattened,
/// and the rest is kept and indexed.
PreparedModule prepare_module(std::vector<rustsyn::Item> items);

/// A parsed file and, when it parsed without errors, its prepared root module.
struct PreparedFile {
  std::shared_ptr<const rustsyn::SourceFile> tree;
  std::optional<PreparedModule> root;
};

/// Prepares the root module of `tree` unless the file has a syntax error.
PreparedFile prepare_file(std::shared_ptr<const rustsyn::SourceFile> tree);

/// Source files parsed and prepared ahead of extraction (for instance on other
/// threads), keyed by normalised path. An entry is only used for a file whose
/// text, as the provider serves it, is byte for byte the text the tree was
/// parsed from, so a stale entry (an unsaved editor buffer, a file changed
/// since) is ignored.
class ParsedFiles {
 public:
  /// Records the prepared file read from `path`; a later entry for the same
  /// path replaces the earlier one.
  void insert(const std::filesystem::path& path, PreparedFile file);
  /// Records `tree`, preparing it first.
  void insert(const std::filesystem::path& path, std::shared_ptr<const rustsyn::SourceFile> tree) {
    insert(path, prepare_file(std::move(tree)));
  }
  /// Whether some entry was recorded for `path`, whatever its text.
  bool contains(const std::filesystem::path& path) const;
  /// The entry recorded for `path` if it was parsed from exactly `text`, else null.
  const PreparedFile* find(const std::filesystem::path& path, std::string_view text) const;
  size_t size() const { return files_.size(); }

 private:
  /// Keyed by the normalised path's text: comparing strings is much cheaper
  /// than comparing paths component by component.
  std::map<std::string, PreparedFile> files_;
};

/// The modules of all packages walked during one extraction.
class ModuleMap {
 public:
  /// A map that parses and prepares every file it reads, or takes a copy of
  /// the prepared file from `parsed` (which must outlive the map) when it
  /// matches the text read.
  explicit ModuleMap(const ParsedFiles* parsed = nullptr) : parsed_(parsed) {}

  /// Walks one package from its crate root file, unless a module named by its
  /// crate name alone is already present (each crate is walked once per map).
  void walk_package(const std::filesystem::path& workspace_root, const Package& package,
                    const model::FileProvider& provider, std::vector<model::Diagnostic>& diagnostics);

  /// Reads and parses one file and records it as module `module_path` (and its
  /// children). An unreadable or unparsable file adds a diagnostic and no
  /// module. A file that is already being walked further up the same chain
  /// (a module that includes itself) is treated as missing and reported, so
  /// the walk always ends.
  void walk_file(const std::filesystem::path& workspace_root, const std::filesystem::path& file,
                 const ModulePath& module_path, const model::FileProvider& provider,
                 std::vector<model::Diagnostic>& diagnostics);

  /// Records one prepared module (found in `file`, shown as `display`):
  /// places its inline modules and walks the files of `mod name;`, in
  /// declaration order. Children are inserted before their parent.
  void add_module(const std::filesystem::path& workspace_root, const std::filesystem::path& file,
                  const std::string& display, const ModulePath& module_path, PreparedModule prepared,
                  const model::FileProvider& provider, std::vector<model::Diagnostic>& diagnostics);

  /// The module at `path`, or null.
  const ModuleData* find(const ModulePath& path) const;
  bool contains(const ModulePath& path) const { return find(path) != nullptr; }
  /// Every module, in module-path order.
  const std::map<ModulePath, ModuleData>& modules() const { return modules_; }
  size_t size() const { return modules_.size(); }

  /// Inserts or replaces one module (for tests and tools building maps by hand).
  /// Indexes the items of `data` first.
  void insert(ModulePath path, ModuleData data) {
    index_items(data);
    store(std::move(path), std::move(data));
  }

 private:
  /// Hashes every segment: lookups by path happen for every name resolved,
  /// and comparing paths segment by segment down a tree showed in profiles.
  struct PathHash {
    size_t operator()(const ModulePath& path) const noexcept;
  };

  /// Inserts or replaces one module and keeps `by_path_` in step.
  void store(ModulePath path, ModuleData data);

  std::map<ModulePath, ModuleData> modules_;
  /// The same modules by hashed path; map nodes never move, so the pointers
  /// stay valid.
  std::unordered_map<ModulePath, const ModuleData*, PathHash> by_path_;
  /// Files prepared ahead of the walk, or null.
  const ParsedFiles* parsed_ = nullptr;
  /// Normalised paths of the files on the current walking chain.
  std::set<std::filesystem::path> walking_;
  /// Module files read so far; bounded so that fan-out cannot explode.
  size_t files_walked_ = 0;
};

/// Flattens one `use` tree into `module.uses` and `module.globs`; `prefix`
/// holds the segments before the tree (empty for a whole `use` item). A
/// leading `::` is not recorded.
void collect_use_tree(const rustsyn::UseTree& tree, UsePath& prefix, ModuleData& module);

/// Whether the attributes mark their item as test-only: some `#[cfg(...)]`
/// whose top-level entries (read up to the first one that is not a plain
/// path or `path = literal`) include exactly `test`.
bool is_cfg_test(const std::vector<rustsyn::Attribute>& attrs);

/// The display path of `file`: relative to `workspace_root` when it lies
/// below it (compared lexically after normalising both), else as given; UTF-8
/// with invalid sequences replaced; "/"-separated.
std::string display_path(const std::filesystem::path& workspace_root, const std::filesystem::path& file);

/// Spans in file `display`. Items, fields and variants start at their first
/// outer attribute or doc comment; everything else covers its node.
model::Span span_of(const std::string& display, rustsyn::Range range);
model::Span span_of(const std::string& display, const rustsyn::Node& node);
model::Span span_of(const std::string& display, const rustsyn::Item& item);
model::Span span_of(const std::string& display, const rustsyn::Field& field);
model::Span span_of(const std::string& display, const rustsyn::Variant& variant);
model::Span span_of(const std::string& display, const rustsyn::Attribute& attr);
model::Span span_of(const std::string& display, const rustsyn::Ident& ident);
model::Span span_of(const std::string& display, const rustsyn::Type& type);

}  // namespace vantrel::engine::extract
