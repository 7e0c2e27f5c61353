// Line index: a sorted list of line starts, searched by bisection. UTF-16
// columns come from decoding the text between a line start and an offset.
#include "model/line_index.h"

#include <algorithm>
#include <limits>

#include "base/utf8.h"

namespace vantrel::model {
namespace {

constexpr uint32_t kMaxOffset = std::numeric_limits<uint32_t>::max();

uint32_t saturate(size_t value) { return value > kMaxOffset ? kMaxOffset : static_cast<uint32_t>(value); }

}  // namespace

LineIndex::LineIndex(std::string_view text) : len_(saturate(text.size())) {
  line_starts_.push_back(0);
  // `find` looks for the line breaks with memchr; every generated file is
  // indexed once.
  for (size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1)) {
    // A line that would start beyond the 32-bit range cannot be named by any
    // offset; recording it saturated would break the strict ordering.
    if (i + 1 > kMaxOffset) break;
    line_starts_.push_back(static_cast<uint32_t>(i + 1));
  }
}

uint32_t LineIndex::line_of(uint32_t offset) const {
  auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  return static_cast<uint32_t>(after - line_starts_.begin()) - 1;
}

uint32_t LineIndex::line_end(uint32_t line) const {
  return line + 1 < line_starts_.size() ? line_starts_[line + 1] - 1 : len_;
}

LineCol LineIndex::line_col(uint32_t offset) const {
  offset = std::min(offset, len_);
  uint32_t line = line_of(offset);
  return {line, offset - line_starts_[line]};
}

uint32_t LineIndex::offset(uint32_t line, uint32_t col, std::string_view text) const {
  if (line >= line_starts_.size()) return len_;
  uint32_t start = line_starts_[line];
  uint32_t target = col > kMaxOffset - start ? kMaxOffset : start + col;
  target = std::min(target, line_end(line));
  if (target <= start) return target;
  while (!base::is_char_boundary(text, target)) {
    --target;
    if (target == start) return start;
  }
  return target;
}

LineCol LineIndex::line_col_utf16(uint32_t offset, std::string_view text) const {
  offset = std::min(offset, len_);
  uint32_t line = line_of(offset);
  uint32_t start = line_starts_[line];
  if (!base::is_char_boundary(text, start) || !base::is_char_boundary(text, offset)) return {line, 0};
  return {line, saturate(base::utf16_length(text.substr(start, offset - start)))};
}

uint32_t LineIndex::offset_utf16(uint32_t line, uint32_t col, std::string_view text) const {
  if (line >= line_starts_.size()) return len_;
  uint32_t start = line_starts_[line];
  uint32_t end = line_end(line);
  if (end <= start || !base::is_char_boundary(text, start) || !base::is_char_boundary(text, end)) return start;
  uint32_t units = 0;
  uint32_t at = start;
  while (at < end) {
    if (units >= col) return at;
    base::DecodedChar c = base::decode_utf8(text, at);
    units += static_cast<uint32_t>(base::utf16_units(c.code_point));
    at += static_cast<uint32_t>(c.length);
  }
  // A character cut off by the end (only in invalid text) stops at the end.
  return end;
}

}  // namespace vantrel::model
