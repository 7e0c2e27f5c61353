// Workspace discovery: from a Cargo workspace root to the packages that
// extraction may read — each one's name, crate name, directory, crate root
// file and the workspace packages it depends on by path. Manifests are read
// through a FileProvider; member globs look at the real file system. Cargo is
// never run.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/glob.h"
#include "base/result.h"
#include "model/diag.h"
#include "model/vfs.h"

namespace vantrel::engine {

/// One Cargo package of the workspace.
struct Package {
  std::string name;        ///< `package.name` of its manifest
  std::string crate_name;  ///< `name` with every "-" replaced by "_"
  std::filesystem::path dir;
  std::filesystem::path root;              ///< the crate root file (lib.path, src/lib.rs or src/main.rs)
  std::vector<std::string> dependencies;   ///< workspace packages named as path dependencies; sorted, unique

  bool operator==(const Package&) const = default;
};

struct Workspace {
  std::filesystem::path root;                  ///< exactly as passed to `discover`
  std::vector<Package> packages;               ///< sorted by name (byte order), names unique
  std::vector<model::Diagnostic> diagnostics;  ///< about members, in the order found

  /// The package called `name`, or null. Valid while the workspace lives.
  const Package* find(std::string_view name) const;

  /// `name` and every package reachable from it through `dependencies`, each
  /// once, sorted by name. Empty for an unknown name.
  std::vector<Package> reachable_packages(std::string_view name) const;
};

/// Discovers the packages of the workspace at `root`. Fails only when the
/// root manifest cannot be read ("missing-manifest") or parsed
/// ("invalid-manifest"); problems with members are collected as diagnostics.
base::Result<Workspace, model::Diagnostic> discover(const std::filesystem::path& root,
                                                    const model::FileProvider& provider);

/// `path` normalised lexically: "." components dropped, ".." removing the
/// component before it. The file system is not consulted.
std::filesystem::path normalize(const std::filesystem::path& path);

/// The existing directories that the member pattern `pattern` (relative to
/// `root`) matches, each normalised, in the matcher's order. A pattern error's
/// position counts in `pattern` as written.
base::Result<std::vector<std::filesystem::path>, base::GlobError> expand_member_glob(
    const std::filesystem::path& root, std::string_view pattern);

}  // namespace vantrel::engine
