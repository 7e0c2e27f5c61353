// `vantrel check`: extraction diagnostics for every configured package and,
// with --unused, the unused-endpoint lint.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "cli/run_memory.h"

namespace vantrel::cli {

/// Runs the check driver. Success carries whether an error diagnostic was
/// printed; a failure carries the message to print behind "error: ". What the
/// run builds stays in `memory`, which the caller owns and frees when it likes.
base::Result<bool, std::string> run_check(const std::filesystem::path& root, bool unused, std::ostream& out,
                                          std::ostream& err, RunMemory& memory);

}  // namespace vantrel::cli
