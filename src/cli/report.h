// Printing diagnostics on standard error, with line and column when the
// span's file can be read.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <vector>

#include "model/diag.h"

namespace vantrel::cli {

/// Prints each diagnostic, in order, with its file read from disk relative to
/// `root`. Returns true when at least one had severity error.
bool report(const std::filesystem::path& root, const std::vector<model::Diagnostic>& diagnostics,
            std::ostream& err);

}  // namespace vantrel::cli
