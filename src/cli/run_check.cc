// The check driver: load the configuration and the workspace, extract every
// configured package in configuration order, print its diagnostics and one
// result line per package. Nothing is generated or written.
#include "cli/run_check.h"

#include <ostream>

#include "cli/load_workspace.h"
#include "cli/extract_package.h"
#include "cli/report.h"
#include "cli/unused_lint.h"
#include "engine/extract/extract.h"
#include "model/vfs.h"

namespace vantrel::cli {

base::Result<bool, std::string> run_check(const std::filesystem::path& root, bool unused, std::ostream& out,
                                          std::ostream& err, RunMemory& memory) {
  auto loaded = load_workspace(root, err);
  if (!loaded) return base::err(std::move(loaded).error());
  const engine::Config& config = loaded->config;
  bool failed = loaded->had_errors;
  model::DiskFileProvider disk;
  for (const engine::PackageConfig& package : config.packages) {
    auto extraction = extract_package(*loaded, package, disk, memory);
    if (!extraction) return base::err(std::move(extraction).error());
    failed = report(root, extraction->diagnostics, err) || failed;
    if (unused && config.unused_endpoints != engine::LintLevel::Off) {
      auto lint = unused_endpoint_lint(root, config, extraction->contract, disk);
      if (!lint) return base::err(std::move(lint).error());
      failed = report(root, *lint, err) || failed;
    }
    out << "checked " << package.ts << " (" << extraction->contract.endpoints.size() << " endpoints)\n";
    out.flush();
    memory.keep(std::move(*extraction));
  }
  return failed;
}

}  // namespace vantrel::cli
