// LineIndex: converts between byte offsets in a text (the unit of every Span)
// and 0-based line/column positions, with columns counted in bytes (the
// command line's diagnostics) or in UTF-16 code units (the Language Server
// Protocol and the position marks of generated files).
//
// Only "\n" ends a line; a "\r" before it is an ordinary character of the
// line, and a text ending with "\n" has a final empty line. Offsets that do
// not fit in 32 bits saturate at 4294967295.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel::model {

/// A 0-based line and column.
struct LineCol {
  uint32_t line = 0;
  uint32_t col = 0;

  bool operator==(const LineCol&) const = default;
};

/// Immutable after construction; safe to share between threads. The index does
/// not keep the text: operations that need it take it, and it must be the
/// text the index was built from.
class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  /// The line holding `offset` (clamped to the text's length) and the byte
  /// column within it. The offset of a "\n" belongs to the line it ends.
  LineCol line_col(uint32_t offset) const;

  /// The offset of a line and byte column. A line past the last gives the
  /// text's length; a column past the line's end gives the line's end; a
  /// column inside a character steps back to that character's start.
  uint32_t offset(uint32_t line, uint32_t col, std::string_view text) const;

  /// The line of `offset` (clamped) and its column in UTF-16 code units; the
  /// column is 0 when the offset lies inside a character.
  LineCol line_col_utf16(uint32_t offset, std::string_view text) const;

  /// The offset of a line and UTF-16 column. A column past the line's end
  /// gives the line's end; one between the halves of a surrogate pair gives
  /// the offset after that character; an empty line gives its start.
  uint32_t offset_utf16(uint32_t line, uint32_t col, std::string_view text) const;

  uint32_t line_count() const { return static_cast<uint32_t>(line_starts_.size()); }
  /// Strictly increasing; the first is 0, every other one follows a "\n".
  const std::vector<uint32_t>& line_starts() const { return line_starts_; }
  /// The text's length in bytes.
  uint32_t len() const { return len_; }

 private:
  std::vector<uint32_t> line_starts_;
  uint32_t len_ = 0;

  /// The index of the line holding `offset`, which must be at most len_.
  uint32_t line_of(uint32_t offset) const;
  /// The offset of the "\n" that ends `line`, or len_ for the last line.
  uint32_t line_end(uint32_t line) const;
};

}  // namespace vantrel::model
