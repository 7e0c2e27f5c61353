// Reading TOML documents (vantrel.toml and Cargo manifests) without exceptions
// escaping, and the framed error text that points at the offending line:
//
//   TOML parse error at line 3, column 5
//     |
//   3 | c = = 3
//     |     ^
//   Error while parsing value: could not determine value type
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <toml++/toml.h>

#include "base/result.h"

namespace vantrel::engine {

/// A place in a TOML document: 1-based line and 1-based column counted in
/// characters of that line (a byte-order mark does not count).
struct TomlPosition {
  uint32_t line = 1;
  uint32_t column = 1;
  bool operator==(const TomlPosition&) const = default;
};

/// A problem a TOML reader reported.
struct TomlProblem {
  std::string description;             ///< the reader's own words
  std::optional<TomlPosition> begin;   ///< none: the reader gave no place
  std::optional<TomlPosition> end;     ///< end of the erroneous range, exclusive; none: empty
  std::optional<std::string> key;      ///< dotted path of the key concerned, when named
};

/// The multi-line text of `problem` found in `source`; every line, the last
/// included, ends with "\n". With a position: the header line, the gutter, the
/// source line, the caret line and the description; without one only the
/// description. A named key adds "in `{key}`".
std::string toml_error_text(std::string_view source, const TomlProblem& problem);

/// Parses a TOML document. Never throws; the error is the text of
/// `toml_error_text` for the first problem. Invalid UTF-8 and keys nested too
/// deeply for the reader are refused before the reader sees them.
base::Result<toml::table, std::string> parse_toml(std::string_view source);

}  // namespace vantrel::engine
