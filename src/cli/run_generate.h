// `vantrel generate`: one complete generation over all configured packages.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"

namespace vantrel::cli {

/// Runs the generate driver. Success carries `had_errors` (an error
/// diagnostic was printed); a failure carries the message to print behind
/// "error: ".
base::Result<bool, std::string> run_generate(const std::filesystem::path& root, bool contract_json,
                                             std::ostream& out, std::ostream& err);

}  // namespace vantrel::cli
