// `vantrel generate`: one complete generation over all configured packages.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "cli/run_memory.h"

namespace vantrel::cli {

/// Runs the generate driver. Success carries `had_errors` (an error
/// diagnostic was printed); a failure carries the message to print behind
/// "error: ". What the run builds stays in `memory`, which the caller owns
/// and frees when it likes.
base::Result<bool, std::string> run_generate(const std::filesystem::path& root, bool contract_json,
                                             std::ostream& out, std::ostream& err,
                                             RunMemory& memory);

}  // namespace vantrel::cli
