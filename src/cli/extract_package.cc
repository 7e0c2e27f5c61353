#include "cli/extract_package.h"

#include <utility>

#include "cli/preparse.h"
#include "cli/two_threads.h"

namespace vantrel::cli {

base::Result<engine::extract::Extraction, std::string> extract_package(const LoadedWorkspace& loaded,
                                                                       const engine::PackageConfig& package,
                                                                       const model::FileProvider& provider,
                                                                       RunMemory& memory) {
  preparse_package(loaded.workspace, package.cargo, provider, memory.parsed);
  auto extraction = engine::extract::extract(loaded.workspace, package.cargo, package.ts, provider, &memory.parsed,
                                              run_on_two_threads);
  if (!extraction) return base::err(extraction.error().display());
  return std::move(extraction).value();
}

}  // namespace vantrel::cli
