// `vantrel check`: extraction diagnostics for every configured package and,
// with --unused, the unused-endpoint lint.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"

namespace vantrel::cli {

/// Runs the check driver. Success carries whether an error diagnostic was
/// printed; a failure carries the message to print behind "error: ".
base::Result<bool, std::string> run_check(const std::filesystem::path& root, bool unused, std::ostream& out,
                                          std::ostream& err);

}  // namespace vantrel::cli
