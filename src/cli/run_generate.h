// `vantrel generate`: one complete generation over all configured packages.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "base/result.h"
#include "engine/extract/modules.h"

namespace vantrel::cli {

/// Runs the generate driver. Success carries `had_errors` (an error
/// diagnostic was printed); a failure carries the message to print behind
/// "error: ". The sources are parsed into `parsed`, which the caller owns: a
/// process about to exit has no need to free them.
base::Result<bool, std::string> run_generate(const std::filesystem::path& root, bool contract_json,
                                             std::ostream& out, std::ostream& err,
                                             engine::extract::ParsedFiles& parsed);

}  // namespace vantrel::cli
