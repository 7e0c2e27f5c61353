// Range: a byte range of one source file's text. Offsets are 32-bit because
// tree-sitter counts bytes in 32 bits; a file that does not fit is refused at
// parse time.
#pragma once

#include <cstdint>

namespace vantrel::rustsyn {

struct Range {
  uint32_t start = 0;  ///< offset of the first byte
  uint32_t end = 0;    ///< offset just past the last byte

  /// The smallest range that covers both.
  Range cover(Range other) const {
    return Range{start < other.start ? start : other.start, end > other.end ? end : other.end};
  }

  bool operator==(const Range&) const = default;
};

}  // namespace vantrel::rustsyn
