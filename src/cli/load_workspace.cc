#include "cli/load_workspace.h"

#include "cli/report.h"
#include "model/vfs.h"

namespace vantrel::cli {

base::Result<LoadedWorkspace, std::string> load_workspace(const std::filesystem::path& root, std::ostream& err) {
  model::DiskFileProvider disk;
  auto config = engine::Config::load(root, disk);
  if (!config) return base::err(config.error().display());
  auto workspace = engine::discover(root, disk);
  if (!workspace) return base::err(workspace.error().display());
  bool had_errors = report(root, workspace->diagnostics, err);
  return LoadedWorkspace{std::move(config).value(), std::move(workspace).value(), had_errors};
}

}  // namespace vantrel::cli
