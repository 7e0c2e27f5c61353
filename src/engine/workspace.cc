// Workspace discovery. The root manifest names the member directories
// (literal paths and glob patterns, minus exact-text exclusions, plus the root
// itself when it is a package); each member's manifest gives a package, its
// crate root and its path dependencies, which are then resolved to the names
// of other members. Problems with a member are collected and the member is
// skipped, so one broken crate does not hide the others.
#include "engine/workspace.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "base/utf8.h"
#include "engine/toml_error.h"

namespace vantrel::engine {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kManifestName = "Cargo.toml";

// A package as read from its manifest, with its path dependencies not yet
// resolved to package names.
struct Member {
  Package package;
  std::vector<std::string> dependency_paths;
};

// Cargo treats a member as a pattern when it holds any glob metacharacter;
// "crates/[" must reach the matcher to be reported as a broken pattern.
bool is_pattern(std::string_view member) { return member.find_first_of("*?[") != std::string_view::npos; }

// The root written so that the matcher takes it literally: metacharacters in
// a directory name become one-character classes.
std::string glob_literal(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (c == '*' || c == '?' || c == '[') {
      out += '[';
      out += c;
      out += ']';
    } else {
      out += c;
    }
  }
  return out;
}

std::string path_text(const fs::path& path) { return base::lossy_utf8(path.string()); }

// The member directory as text relative to the root, "/"-separated, for the
// exact comparison with `exclude` entries.
std::string exclusion_text(const fs::path& dir, const fs::path& root) {
  fs::path base = normalize(root);
  auto it = dir.begin();
  bool prefixed = true;
  if (base != ".") {
    for (const fs::path& part : base) {
      if (it == dir.end() || *it != part) {
        prefixed = false;
        break;
      }
      ++it;
    }
  }
  fs::path rest;
  if (prefixed) {
    for (; it != dir.end(); ++it) rest /= *it;
  } else {
    rest = dir;
  }
  std::string text = path_text(rest);
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

std::vector<std::string> string_elements(const toml::node_view<const toml::node>& node) {
  std::vector<std::string> out;
  if (const toml::array* array = node.as_array()) {
    for (const toml::node& element : *array) {
      if (const auto* text = element.as_string()) out.push_back(text->get());
    }
  }
  return out;
}

// Step 3 of discovery: the directories that `workspace.members` names, minus
// the excluded ones, in the order written.
std::vector<fs::path> member_dirs(const fs::path& root, const toml::table& manifest,
                                  std::vector<model::Diagnostic>& diagnostics) {
  std::vector<fs::path> dirs;
  const toml::table* workspace = manifest["workspace"].as_table();
  if (workspace == nullptr) return dirs;
  std::vector<std::string> exclude = string_elements((*workspace)["exclude"]);
  for (const std::string& member : string_elements((*workspace)["members"])) {
    std::vector<fs::path> found;
    if (is_pattern(member)) {
      auto expanded = expand_member_glob(root, member);
      if (!expanded) {
        diagnostics.push_back(model::Diagnostic::warning(
            "invalid-member-glob",
            fmt::format("invalid workspace member pattern `{}`: {}", member, expanded.error().to_string())));
        continue;
      }
      found = std::move(expanded).value();
    } else {
      found.push_back(normalize(root / member));
    }
    for (fs::path& dir : found) {
      std::string text = exclusion_text(dir, root);
      if (std::find(exclude.begin(), exclude.end(), text) == exclude.end()) dirs.push_back(std::move(dir));
    }
  }
  return dirs;
}

// Sorted component by component; directories that normalise to the same path
// are one member.
void sort_unique(std::vector<fs::path>& dirs) {
  std::vector<std::pair<fs::path, fs::path>> keyed;
  keyed.reserve(dirs.size());
  for (fs::path& dir : dirs) keyed.emplace_back(normalize(dir), std::move(dir));
  std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  keyed.erase(std::unique(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
              keyed.end());
  dirs.clear();
  for (auto& [key, dir] : keyed) dirs.push_back(std::move(dir));
}

std::optional<fs::path> crate_root(const fs::path& dir, const toml::table& manifest,
                                   const model::FileProvider& provider) {
  if (const auto* lib_path = manifest["lib"]["path"].as_string()) {
    fs::path candidate = dir / lib_path->get();
    if (provider.exists(candidate)) return candidate;
  }
  for (const char* fallback : {"src/lib.rs", "src/main.rs"}) {
    fs::path candidate = dir / fallback;
    if (provider.exists(candidate)) return candidate;
  }
  return std::nullopt;
}

std::vector<std::string> dependency_paths(const toml::table& manifest) {
  std::vector<std::string> paths;
  for (const char* section : {"dependencies", "dev-dependencies", "build-dependencies"}) {
    const toml::table* table = manifest[section].as_table();
    if (table == nullptr) continue;
    // toml::table keeps its keys ordered, so this is key order.
    for (const auto& [name, entry] : *table) {
      const toml::table* detailed = entry.as_table();
      if (detailed == nullptr) continue;
      if (const auto* path = (*detailed)["path"].as_string()) paths.push_back(path->get());
    }
  }
  return paths;
}

// Step 6 for one directory: its package, or nothing (with a diagnostic unless
// the manifest is virtual).
std::optional<Member> read_member(const fs::path& dir, const model::FileProvider& provider,
                                  std::vector<model::Diagnostic>& diagnostics) {
  fs::path manifest_path = dir / kManifestName;
  model::SharedText text = provider.read(manifest_path);
  if (!text) {
    diagnostics.push_back(model::Diagnostic::warning(
        "missing-member-manifest", fmt::format("workspace member has no manifest: {}", path_text(manifest_path))));
    return std::nullopt;
  }
  auto manifest = parse_toml(*text);
  if (!manifest) {
    diagnostics.push_back(model::Diagnostic::error(
        "invalid-manifest", fmt::format("failed to parse {}: {}", path_text(manifest_path), manifest.error())));
    return std::nullopt;
  }
  if (!manifest->contains("package")) return std::nullopt;
  const auto* name = (*manifest)["package"]["name"].as_string();
  if (name == nullptr) {
    diagnostics.push_back(model::Diagnostic::error(
        "invalid-manifest", fmt::format("missing package.name in {}", path_text(manifest_path))));
    return std::nullopt;
  }
  std::optional<fs::path> root = crate_root(dir, *manifest, provider);
  if (!root) {
    diagnostics.push_back(model::Diagnostic::warning(
        "missing-crate-root", fmt::format("no src/lib.rs or src/main.rs found for package `{}`", name->get())));
    return std::nullopt;
  }
  Member member;
  member.package.name = name->get();
  member.package.crate_name = name->get();
  std::replace(member.package.crate_name.begin(), member.package.crate_name.end(), '-', '_');
  member.package.dir = dir;
  member.package.root = std::move(*root);
  member.dependency_paths = dependency_paths(*manifest);
  return member;
}

// Step 7: each path dependency that lands on a member's directory becomes
// that member's name; the rest lies outside the workspace.
std::vector<Package> resolve_dependencies(std::map<std::string, Member> members) {
  std::map<fs::path, std::string> by_dir;
  for (const auto& [name, member] : members) by_dir.emplace(normalize(member.package.dir), name);
  std::vector<Package> packages;
  packages.reserve(members.size());
  for (auto& [name, member] : members) {
    std::set<std::string> names;
    for (const std::string& path : member.dependency_paths) {
      auto target = by_dir.find(normalize(member.package.dir / path));
      if (target != by_dir.end()) names.insert(target->second);
    }
    member.package.dependencies.assign(names.begin(), names.end());
    packages.push_back(std::move(member.package));
  }
  return packages;  // std::map iterates names in byte order
}

}  // namespace

fs::path normalize(const fs::path& path) {
  // Works on the text: every module file is normalised several times per run
  // and iterating `fs::path` components costs far more than splitting at "/".
  const std::string& text = path.native();
  const bool absolute = !text.empty() && text.front() == '/';
  std::vector<std::string_view> parts;
  for (size_t start = 0; start <= text.size();) {
    size_t end = std::min(text.find('/', start), text.size());
    std::string_view part(text.data() + start, end - start);
    start = end + 1;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty() && parts.back() != "..") {
        parts.pop_back();
      } else if (!absolute) {
        // A relative path that climbs above its start keeps the "..":
        // dropping it would name a different directory.
        parts.push_back(part);
      }
      continue;
    }
    parts.push_back(part);
  }
  std::string out = absolute ? "/" : "";
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i > 0) out += '/';
    out += parts[i];
  }
  if (out.empty() && !text.empty()) return ".";
  return out;
}

base::Result<std::vector<fs::path>, base::GlobError> expand_member_glob(const fs::path& root,
                                                                          std::string_view pattern) {
  // Check the pattern on its own first so that an error position counts in
  // the member string the user wrote, not in the joined path.
  auto compiled = base::GlobPattern::compile(pattern);
  if (!compiled) return base::err(std::move(compiled).error());
  std::string joined;
  if (pattern.starts_with('/') || root.empty()) {
    joined = std::string(pattern);
  } else {
    joined = glob_literal(path_text(root));
    if (!joined.ends_with('/')) joined += '/';
    joined += pattern;
  }
  auto matches = base::glob(joined);
  if (!matches) return base::err(std::move(matches).error());
  std::vector<fs::path> dirs;
  for (const fs::path& match : *matches) {
    std::error_code ec;
    if (fs::is_directory(match, ec)) dirs.push_back(normalize(match));
  }
  return dirs;
}

base::Result<Workspace, model::Diagnostic> discover(const fs::path& root, const model::FileProvider& provider) {
  fs::path manifest_path = root / kManifestName;
  model::SharedText text = provider.read(manifest_path);
  if (!text) {
    return base::err(model::Diagnostic::error("missing-manifest",
                                              fmt::format("no Cargo.toml found at {}", path_text(manifest_path))));
  }
  auto manifest = parse_toml(*text);
  if (!manifest) {
    return base::err(model::Diagnostic::error(
        "invalid-manifest", fmt::format("failed to parse {}: {}", path_text(manifest_path), manifest.error())));
  }

  Workspace workspace;
  workspace.root = root;
  std::vector<fs::path> dirs = member_dirs(root, *manifest, workspace.diagnostics);
  if (manifest->contains("package")) dirs.push_back(root);
  sort_unique(dirs);

  std::map<std::string, Member> members;
  for (const fs::path& dir : dirs) {
    if (auto member = read_member(dir, provider, workspace.diagnostics)) {
      std::string name = member->package.name;
      members.insert_or_assign(std::move(name), std::move(*member));
    }
  }
  workspace.packages = resolve_dependencies(std::move(members));
  return workspace;
}

const Package* Workspace::find(std::string_view name) const {
  auto it = std::find_if(packages.begin(), packages.end(), [&](const Package& package) { return package.name == name; });
  return it != packages.end() ? &*it : nullptr;
}

std::vector<Package> Workspace::reachable_packages(std::string_view name) const {
  std::vector<std::string> stack{std::string(name)};
  std::set<std::string> visited;
  while (!stack.empty()) {
    std::string next = std::move(stack.back());
    stack.pop_back();
    if (visited.count(next) != 0) continue;
    const Package* package = find(next);
    if (package == nullptr) continue;
    stack.insert(stack.end(), package->dependencies.begin(), package->dependencies.end());
    visited.insert(std::move(next));
  }
  std::vector<Package> out;
  for (const std::string& visited_name : visited) out.push_back(*find(visited_name));
  return out;
}

}  // namespace vantrel::engine
