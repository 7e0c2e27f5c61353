// The first steps every batch driver shares: load vantrel.toml, discover the
// Cargo workspace, and print the workspace's own diagnostics.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "engine/config.h"
#include "engine/workspace.h"

namespace vantrel::cli {

struct LoadedWorkspace {
  engine::Config config;
  engine::Workspace workspace;
  bool had_errors = false;  ///< an error among the workspace's diagnostics
};

/// Loads and discovers from disk. A failure is the message to print behind
/// "error: " (the failing diagnostic's display form).
base::Result<LoadedWorkspace, std::string> load_workspace(const std::filesystem::path& root, std::ostream& err);

}  // namespace vantrel::cli
