// Line index: a sorted list of line starts, searched by bisection. UTF-16
// columns are counted from UTF-8 lead bytes, so no text is decoded.
#include "model/line_index.h"

#include <algorithm>
#include <limits>

namespace vantrel::model {
namespace {

constexpr uint32_t kMaxOffset = std::numeric_limits<uint32_t>::max();

uint32_t saturate(size_t value) { return value > kMaxOffset ? kMaxOffset : static_cast<uint32_t>(value); }

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

/// A character boundary of `text`: its end, or a byte that is not a UTF-8
/// continuation byte. Offsets past the end are not boundaries.
bool is_boundary(std::string_view text, uint32_t offset) {
  if (offset == text.size()) return true;
  if (offset > text.size()) return false;
  return !is_continuation(static_cast<unsigned char>(text[offset]));
}

/// The byte length of the character that starts with `lead`; a stray
/// continuation byte counts as a character of one byte.
uint32_t char_len(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

/// UTF-16 code units of the character that starts with `lead`: two for the
/// four-byte forms (above U+FFFF), else one.
uint32_t utf16_len(unsigned char lead) { return lead >= 0xF0 ? 2 : 1; }

}  // namespace

LineIndex::LineIndex(std::string_view text) : len_(saturate(text.size())) {
  line_starts_.push_back(0);
  for (size_t i = 0; i < text.size(); ++i) {
    // A line that would start beyond the 32-bit range cannot be named by any
    // offset; recording it saturated would break the strict ordering.
    if (text[i] == '\n' && i + 1 <= kMaxOffset) line_starts_.push_back(static_cast<uint32_t>(i + 1));
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
  while (!is_boundary(text, target)) {
    --target;
    if (target == start) return start;
  }
  return target;
}

LineCol LineIndex::line_col_utf16(uint32_t offset, std::string_view text) const {
  offset = std::min(offset, len_);
  uint32_t line = line_of(offset);
  uint32_t start = line_starts_[line];
  if (!is_boundary(text, start) || !is_boundary(text, offset)) return {line, 0};
  uint32_t units = 0;
  for (uint32_t i = start; i < offset; ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (!is_continuation(byte)) units += utf16_len(byte);
  }
  return {line, units};
}

uint32_t LineIndex::offset_utf16(uint32_t line, uint32_t col, std::string_view text) const {
  if (line >= line_starts_.size()) return len_;
  uint32_t start = line_starts_[line];
  uint32_t end = line_end(line);
  if (end <= start || !is_boundary(text, start) || !is_boundary(text, end)) return start;
  uint32_t units = 0;
  uint32_t at = start;
  while (at < end) {
    if (units >= col) return at;
    auto lead = static_cast<unsigned char>(text[at]);
    units += utf16_len(lead);
    at += char_len(lead);
  }
  // A character cut off by the end (only in invalid text) stops at the end.
  return end;
}

}  // namespace vantrel::model
