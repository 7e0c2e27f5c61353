// Building the module map: each crate root file is parsed, `mod` declarations
// are followed into further files with the usual candidate rules (`#[path]`,
// `name.rs` then `name/mod.rs`, nested below the file stem outside crate
// roots and mod.rs files), and every module's items, `use` imports and glob
// imports are recorded. A bad file costs only its own module.
#include "engine/extract/modules.h"

#include <memory>
#include <utility>

#include "base/utf8.h"
#include "rustsyn/literal.h"
#include "rustsyn/tokens.h"

namespace vantrel::engine::extract {
namespace fs = std::filesystem;

namespace {

// A map never walks more module files than this. Modules that include the
// same file many times over (`#[path]` fan-out) would otherwise multiply
// without bound; real crates stay orders of magnitude below it.
constexpr size_t kMaxModuleFiles = 50000;

bool is_droppable_kind(rustsyn::ItemKind kind) {
  using rustsyn::ItemKind;
  switch (kind) {
    case ItemKind::Const:
    case ItemKind::Enum:
    case ItemKind::Fn:
    case ItemKind::Impl:
    case ItemKind::Static:
    case ItemKind::Struct:
    case ItemKind::Trait:
    case ItemKind::TypeAlias:
      return true;
    default:
      return false;
  }
}

// The value of the first `#[path = "..."]` attribute, if any. Other forms of
// `path` (a list, a non-string value) are ignored.
std::optional<std::string> path_attribute(const std::vector<rustsyn::Attribute>& attrs) {
  for (const rustsyn::Attribute& attr : attrs) {
    if (attr.is_doc_comment() || !attr.path_is("path") || attr.style() != rustsyn::AttrStyle::NameValue) continue;
    std::optional<rustsyn::Lit> lit = attr.value_lit();
    if (!lit || !lit->is_string()) continue;
    auto value = lit->string_value();
    if (value) return std::move(value).value();
  }
  return std::nullopt;
}

std::string path_utf8(const fs::path& path) {
  std::string text = base::lossy_utf8(path.string());
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  return text;
}

// The candidate files of `mod name;` declared in `file` for module `module_path`.
std::vector<fs::path> module_candidates(const fs::path& file, const ModulePath& module_path, const std::string& name,
                                        const std::vector<rustsyn::Attribute>& attrs) {
  fs::path dir = file.parent_path();
  if (std::optional<std::string> value = path_attribute(attrs)) return {dir / *value};
  fs::path stem = file.stem();
  if (module_path.size() == 1 || stem == "mod") return {dir / (name + ".rs"), dir / name / "mod.rs"};
  std::string stem_text = stem.string();
  if (!base::valid_utf8(stem_text)) stem_text.clear();
  return {dir / stem_text / (name + ".rs"), dir / stem_text / name / "mod.rs"};
}

}  // namespace

std::string display_path(const fs::path& workspace_root, const fs::path& file) {
  // Compared as text: both sides are normalised, so components are separated
  // by single "/"s, and this runs for every module file of a run.
  const std::string base = normalize(workspace_root).native();
  const std::string target = normalize(file).native();
  // Only a path of the same kind (both relative or both absolute) can be
  // compared lexically.
  auto absolute = [](const std::string& path) { return !path.empty() && path.front() == '/'; };
  if (absolute(base) != absolute(target)) return path_utf8(file);
  std::string_view rest = target;
  if (base == "/") {
    rest.remove_prefix(1);
  } else if (base != ".") {
    if (!rest.starts_with(base)) return path_utf8(file);
    rest.remove_prefix(base.size());
    if (!base.empty() && !rest.empty()) {
      if (rest.front() != '/') return path_utf8(file);
      rest.remove_prefix(1);
    }
  } else if (rest == ".." || rest.starts_with("../")) {
    return path_utf8(file);
  }
  if (rest.empty()) return path_utf8(file);
  return path_utf8(fs::path(rest));
}

model::Span span_of(const std::string& display, rustsyn::Range range) {
  return model::Span{display, range.start, range.end};
}
model::Span span_of(const std::string& display, const rustsyn::Node& node) {
  return node.is_null() ? model::Span{display, 0, 0} : span_of(display, node.range());
}
model::Span span_of(const std::string& display, const rustsyn::Item& item) {
  return span_of(display, item.full_range());
}
model::Span span_of(const std::string& display, const rustsyn::Field& field) {
  return span_of(display, field.full_range);
}
model::Span span_of(const std::string& display, const rustsyn::Variant& variant) {
  return span_of(display, variant.full_range());
}
model::Span span_of(const std::string& display, const rustsyn::Attribute& attr) {
  return span_of(display, attr.range());
}
model::Span span_of(const std::string& display, const rustsyn::Ident& ident) {
  return span_of(display, ident.range);
}
model::Span span_of(const std::string& display, const rustsyn::Type& type) {
  return span_of(display, type.node());
}

bool is_cfg_test(const std::vector<rustsyn::Attribute>& attrs) {
  for (const rustsyn::Attribute& attr : attrs) {
    if (attr.is_doc_comment() || !attr.path_is("cfg") || attr.style() != rustsyn::AttrStyle::List) continue;
    if (attr.delimiter() != rustsyn::Delimiter::Paren) continue;
    rustsyn::TokenCursor cursor = attr.args();
    while (!cursor.at_end()) {
      auto path = cursor.parse_path();
      if (!path) break;
      bool plain = cursor.at_end() || cursor.peek_punct(",") || cursor.peek_punct("=");
      if (!plain) break;  // `not(...)`, `all(...)` and friends end the reading
      if (path->is_ident("test")) return true;
      if (cursor.eat_punct("=") && !cursor.expect_lit()) break;
      if (cursor.at_end() || !cursor.eat_punct(",")) break;
    }
  }
  return false;
}

void collect_use_tree(const rustsyn::UseTree& tree, UsePath& prefix, ModuleData& module) {
  // Iterative: nesting of groups follows the input and may be deep. Each
  // entry carries the prefix length its tree starts from; siblings share it
  // and only ever extend the prefix beyond it.
  const size_t outer = prefix.size();
  std::vector<std::pair<const rustsyn::UseTree*, size_t>> work{{&tree, outer}};
  while (!work.empty()) {
    auto [node, base_len] = work.back();
    work.pop_back();
    prefix.resize(base_len);
    for (const rustsyn::Ident& segment : node->prefix) prefix.emplace_back(segment.text);
    switch (node->kind) {
      case rustsyn::UseTree::Kind::Name:
        if (node->name.text == "self") {
          if (!prefix.empty()) module.uses[prefix.back()] = prefix;
        } else {
          UsePath path = prefix;
          path.emplace_back(node->name.text);
          module.uses[std::string(node->name.text)] = std::move(path);
        }
        break;
      case rustsyn::UseTree::Kind::Rename: {
        UsePath path = prefix;
        path.emplace_back(node->name.text);
        module.uses[std::string(node->alias.text)] = std::move(path);
        break;
      }
      case rustsyn::UseTree::Kind::Glob:
        module.globs.push_back(prefix);
        break;
      case rustsyn::UseTree::Kind::Group:
        for (auto it = node->items.rbegin(); it != node->items.rend(); ++it) work.emplace_back(&*it, prefix.size());
        break;
    }
  }
  prefix.resize(outer);
}

bool is_named_kind(rustsyn::ItemKind kind) {
  return kind == rustsyn::ItemKind::Struct || kind == rustsyn::ItemKind::Enum ||
         kind == rustsyn::ItemKind::TypeAlias || kind == rustsyn::ItemKind::Fn;
}

/// Reads one `derive(...)` list: comma-separated paths, each optionally
/// starting with `::`. A path whose last segment is `Api` or `ApiError` sets
/// `kind`; a malformed entry ends the list, keeping what was read before it
/// (a complete path followed by something other than `,` still counts). The
/// leaves are scanned in place rather than through a token cursor because
/// this runs for every struct and enum and the cursor's token list showed up
/// in profiles.
void read_derive_list(const rustsyn::Node& tree, std::optional<ApiKind>& kind) {
  enum class Want { PathStart, Segment, AfterSegment };
  Want want = Want::PathStart;
  std::string_view last;
  auto record = [&] {
    if (last == "Api") kind = ApiKind::Api;
    if (last == "ApiError") kind = ApiKind::ApiError;
  };
  std::vector<rustsyn::Node> leaves = tree.children();
  // The first and last children of a token tree are its delimiters.
  size_t first = 0, end = leaves.size();
  if (tree.is("token_tree") && end >= 2) {
    first = 1;
    --end;
  }
  for (size_t i = first; i < end; ++i) {
    const rustsyn::Node& leaf = leaves[i];
    if (leaf.is_comment() || leaf.is_missing()) continue;
    bool ident = rustsyn::is_ident_token(leaf);
    std::string_view text = ident ? std::string_view() : leaf.text();
    switch (want) {
      case Want::PathStart:
        if (text == "::") {
          want = Want::Segment;
          break;
        }
        [[fallthrough]];
      case Want::Segment:
        if (!ident) return;
        last = leaf.text();
        want = Want::AfterSegment;
        break;
      case Want::AfterSegment:
        if (text == "::") {
          want = Want::Segment;
          break;
        }
        record();
        if (text != ",") return;
        want = Want::PathStart;
        break;
    }
  }
  if (want == Want::AfterSegment) record();
}

std::optional<ApiKind> api_item_kind(const rustsyn::Item& item) {
  if (item.kind() != rustsyn::ItemKind::Struct && item.kind() != rustsyn::ItemKind::Enum) return std::nullopt;
  std::optional<ApiKind> kind;
  for (const rustsyn::Attribute& attr : item.attrs()) {
    if (attr.is_doc_comment() || !attr.path_is("derive") || attr.style() != rustsyn::AttrStyle::List) continue;
    if (rustsyn::Node tree = attr.args_node()) read_derive_list(tree, kind);
  }
  return kind;
}

void index_items(ModuleData& module) {
  module.named.clear();
  module.api_kinds.clear();
  module.syntax.clear();
  module.api_kinds.reserve(module.items.size());
  module.syntax.reserve(module.items.size());
  for (size_t i = 0; i < module.items.size(); ++i) {
    const rustsyn::Item& item = module.items[i];
    std::optional<ApiKind> kind = api_item_kind(item);
    module.api_kinds.push_back(kind);
    module.syntax.push_back(read_item_syntax(item, kind.has_value(), kind == ApiKind::ApiError));
    if (!is_named_kind(item.kind())) continue;
    // emplace keeps the first item of a name, which is the one lookups find.
    if (std::optional<rustsyn::Ident> ident = item.ident()) module.named.emplace(ident->text, i);
  }
}

PreparedModule prepare_module(std::vector<rustsyn::Item> items) {
  PreparedModule prepared;
  ModuleData& data = prepared.data;
  data.items.reserve(items.size());
  UsePath prefix;
  for (rustsyn::Item& item : items) {
    switch (item.kind()) {
      case rustsyn::ItemKind::Use:
        if (is_cfg_test(item.attrs())) break;
        collect_use_tree(rustsyn::UseItem(item.node()).tree(), prefix, data);
        data.items.push_back(std::move(item));
        break;
      case rustsyn::ItemKind::Mod: {
        if (is_cfg_test(item.attrs())) break;
        rustsyn::ModItem mod(item.node());
        PreparedModule::ModDecl decl{std::string(mod.name().text), item.attrs(), std::nullopt};
        if (mod.has_body()) {
          decl.inline_child = prepared.children.size();
          prepared.children.push_back(prepare_module(mod.items()));
        }
        prepared.mod_decls.push_back(std::move(decl));
        break;
      }
      default:
        if (is_droppable_kind(item.kind()) && is_cfg_test(item.attrs())) break;
        data.items.push_back(std::move(item));
        break;
    }
  }
  index_items(data);
  return prepared;
}

PreparedFile prepare_file(std::shared_ptr<const rustsyn::SourceFile> tree) {
  PreparedFile file{std::move(tree), std::nullopt};
  if (file.tree && !file.tree->error()) file.root = prepare_module(rustsyn::items_of(file.tree->root()));
  return file;
}

void ParsedFiles::insert(const fs::path& path, PreparedFile file) {
  files_[normalize(path).native()] = std::move(file);
}

bool ParsedFiles::contains(const fs::path& path) const { return files_.count(normalize(path).native()) != 0; }

const PreparedFile* ParsedFiles::find(const fs::path& path, std::string_view text) const {
  auto it = files_.find(normalize(path).native());
  if (it == files_.end() || !it->second.tree || it->second.tree->text() != text) return nullptr;
  return &it->second;
}

size_t ModuleMap::PathHash::operator()(const ModulePath& path) const noexcept {
  size_t hash = path.size();
  for (const std::string& segment : path) hash = hash * 1000003u ^ std::hash<std::string>{}(segment);
  return hash;
}

void ModuleMap::store(ModulePath path, ModuleData data) {
  auto [it, inserted] = modules_.insert_or_assign(path, std::move(data));
  if (inserted) by_path_.emplace(std::move(path), &it->second);
}

const ModuleData* ModuleMap::find(const ModulePath& path) const {
  auto it = by_path_.find(path);
  return it == by_path_.end() ? nullptr : it->second;
}

void ModuleMap::walk_package(const fs::path& workspace_root, const Package& package,
                             const model::FileProvider& provider, std::vector<model::Diagnostic>& diagnostics) {
  ModulePath root_path{package.crate_name};
  if (contains(root_path)) return;
  walk_file(workspace_root, package.root, root_path, provider, diagnostics);
}

void ModuleMap::walk_file(const fs::path& workspace_root, const fs::path& file, const ModulePath& module_path,
                          const model::FileProvider& provider, std::vector<model::Diagnostic>& diagnostics) {
  std::string display = display_path(workspace_root, file);
  fs::path key = normalize(file);
  if (walking_.count(key) != 0) {
    // A module that includes its own file (or an ancestor's) would recurse
    // forever; the inner inclusion is treated as a missing file.
    diagnostics.push_back(model::Diagnostic::error(
        "missing-module-file", "module file " + display + " includes itself; the inner module is treated as missing"));
    return;
  }
  if (files_walked_ >= kMaxModuleFiles) {
    diagnostics.push_back(model::Diagnostic::error(
        "missing-module-file", "module file " + display + " not read: more than " +
                                   std::to_string(kMaxModuleFiles) + " module files in one extraction"));
    return;
  }
  ++files_walked_;
  model::SharedText text = provider.read(file);
  if (!text) {
    diagnostics.push_back(model::Diagnostic::error("missing-module-file", "module file not found: " + display));
    return;
  }
  const PreparedFile* found = parsed_ ? parsed_->find(file, *text) : nullptr;
  PreparedFile prepared_here;
  if (!found) {
    prepared_here = prepare_file(rustsyn::SourceFile::parse(*text));
    found = &prepared_here;
  }
  if (const auto& error = found->tree->error()) {
    diagnostics.push_back(model::Diagnostic::error(
        "parse-error", "failed to parse " + display + ": " + error->message, span_of(display, error->range)));
    return;
  }
  // A file found ahead of the walk may serve several extractions, so each
  // map takes its own copy; one prepared here is moved in.
  PreparedModule root = found == &prepared_here ? std::move(*prepared_here.root) : *found->root;
  walking_.insert(key);
  add_module(workspace_root, file, display, module_path, std::move(root), provider, diagnostics);
  walking_.erase(key);
}

void ModuleMap::add_module(const fs::path& workspace_root, const fs::path& file, const std::string& display,
                           const ModulePath& module_path, PreparedModule prepared,
                           const model::FileProvider& provider, std::vector<model::Diagnostic>& diagnostics) {
  ModuleData& data = prepared.data;
  data.file = display;
  for (PreparedModule::ModDecl& decl : prepared.mod_decls) {
    ModulePath child = module_path;
    child.push_back(decl.name);
    data.mods[decl.name] = child;
    if (decl.inline_child) {
      add_module(workspace_root, file, display, child, std::move(prepared.children[*decl.inline_child]), provider,
                 diagnostics);
      continue;
    }
    bool found = false;
    for (const fs::path& candidate : module_candidates(file, module_path, decl.name, decl.attrs)) {
      if (!provider.exists(candidate)) continue;
      walk_file(workspace_root, candidate, child, provider, diagnostics);
      found = true;
      break;
    }
    if (!found) {
      diagnostics.push_back(model::Diagnostic::warning(
          "missing-module-file", "file for module `" + decl.name + "` not found (from " + display + ")"));
    }
  }
  store(module_path, std::move(data));
}

}  // namespace vantrel::engine::extract
