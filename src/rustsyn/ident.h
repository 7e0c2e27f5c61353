// Ident and SimplePath: identifiers and `a::b::c` paths without generic
// arguments, as attribute paths and `use` prefixes are written. Their text
// views point into the source file's text.
#pragma once

#include <string_view>
#include <vector>

#include "rustsyn/range.h"

namespace vantrel::rustsyn {

struct Ident {
  std::string_view text;  ///< as written; raw identifiers keep their `r#`
  Range range;

  bool operator==(std::string_view other) const { return text == other; }
};

struct SimplePath {
  bool leading_colon = false;  ///< written `::a::b`
  std::vector<Ident> segments;
  Range range;

  /// Whether the path is exactly the one identifier `name` (no leading `::`).
  bool is_ident(std::string_view name) const {
    return !leading_colon && segments.size() == 1 && segments[0].text == name;
  }
  /// The last segment's text, or empty.
  std::string_view last() const { return segments.empty() ? std::string_view() : segments.back().text; }
};

}  // namespace vantrel::rustsyn
