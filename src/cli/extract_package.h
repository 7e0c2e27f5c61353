// Extraction of one configured package as the batch drivers run it: the
// sources of the package and of the packages it reaches are parsed ahead on
// two threads, and extraction splits its independent work over two threads.
#pragma once

#include <string>

#include "base/result.h"
#include "cli/load_workspace.h"
#include "cli/run_memory.h"
#include "engine/config.h"
#include "engine/extract/extract.h"
#include "model/vfs.h"

namespace vantrel::cli {

/// Extracts `package`, keeping the parsed sources in `memory` (where later
/// packages of the run find them). A failure is the message to print behind
/// "error: ".
base::Result<engine::extract::Extraction, std::string> extract_package(const LoadedWorkspace& loaded,
                                                                       const engine::PackageConfig& package,
                                                                       const model::FileProvider& provider,
                                                                       RunMemory& memory);

}  // namespace vantrel::cli
