// UTF-8 helpers shared by the layers that take text from disk or from the
// editor: validation, lossy conversion (each invalid sequence becomes one
// U+FFFD, the way Rust's `String::from_utf8_lossy` does it), char-boundary
// tests for byte offsets, and decoding one code point at a time so callers
// can count UTF-16 code units at the protocol edge.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel::base {

/// U+FFFD, the code point that stands in for an invalid sequence.
inline constexpr char32_t kReplacementChar = 0xFFFD;

/// One step of decoding: the code point found at an offset and how many
/// bytes it took. An invalid sequence decodes as `kReplacementChar` with
/// `valid == false`; its `length` is the maximal prefix of a well-formed
/// sequence (at least 1), so that decoding resumes where a lossy conversion
/// would.
struct DecodedChar {
  char32_t code_point = 0;
  size_t length = 0;
  bool valid = false;
};

/// Decodes the code point starting at byte `offset` of `text`.
/// `offset` must be smaller than `text.size()`.
DecodedChar decode_utf8(std::string_view text, size_t offset);

/// Appends the UTF-8 encoding of `code_point` (a scalar value) to `out`.
void append_utf8(std::string& out, char32_t code_point);

/// Whether `text` is well-formed UTF-8 (no overlong forms, no surrogates,
/// nothing above U+10FFFF).
bool valid_utf8(std::string_view text);

/// `text` with every invalid sequence replaced by U+FFFD.
std::string lossy_utf8(std::string_view text);

/// Whether byte `offset` starts a character of `text`: true at 0 and at the
/// end, false past the end and on continuation bytes.
bool is_char_boundary(std::string_view text, size_t offset);

/// The number of UTF-16 code units of `text` read lossily (each invalid
/// sequence counts as one U+FFFD).
size_t utf16_length(std::string_view text);

/// The number of UTF-16 code units that encode `code_point` (1 or 2).
inline size_t utf16_units(char32_t code_point) { return code_point >= 0x10000 ? 2 : 1; }

}  // namespace vantrel::base
