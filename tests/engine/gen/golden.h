// Golden files for generator tests: expected outputs live in
// tests/engine/gen/golden/ and are compared byte for byte. Setting
// VANTREL_UPDATE_GOLDEN=1 rewrites them from the actual output instead (read
// the diff before committing).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/gen/print.h"

namespace vantrel::engine::gen::testing {

/// Compares `actual` with golden/<name> (or rewrites it when updating).
void expect_golden(const std::string& name, std::string_view actual);

/// One line per mark: "{file} {line}:{character} {start}-{end} {Kind} {symbol} `{marked text}`".
/// `text_of` gives the file text a mark points into.
std::string describe_marks(const std::vector<Mark>& marks,
                           const std::vector<std::pair<std::string, std::string>>& files);

}  // namespace vantrel::engine::gen::testing
