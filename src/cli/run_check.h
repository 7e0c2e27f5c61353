// `vantrel check`: extraction diagnostics for every configured package and,
// with --unused, the unused-endpoint lint.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "engine/extract/modules.h"

namespace vantrel::cli {

/// Runs the check driver. Success carries whether an error diagnostic was
/// printed; a failure carries the message to print behind "error: ". The
/// sources are parsed into `parsed`, which the caller owns: a process about to
/// exit has no need to free them.
base::Result<bool, std::string> run_check(const std::filesystem::path& root, bool unused, std::ostream& out,
                                          std::ostream& err, engine::extract::ParsedFiles& parsed);

}  // namespace vantrel::cli
