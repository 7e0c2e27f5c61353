// UTF-8 decoding by the table of well-formed byte sequences in the Unicode
// standard. An ill-formed sequence is cut at its maximal well-formed prefix,
// which is the "substitution of maximal subparts" practice that Rust's lossy
// conversion follows, so texts converted here read the same as they would
// have there.
#include "base/utf8.h"

#include <cstdint>
#include <cstring>

namespace vantrel::base {
namespace {

bool in_range(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

/// The number of bytes a sequence led by `lead` has, or 0 for a byte that
/// cannot start one.
size_t sequence_length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (in_range(lead, 0xC2, 0xDF)) return 2;
  if (in_range(lead, 0xE0, 0xEF)) return 3;
  if (in_range(lead, 0xF0, 0xF4)) return 4;
  return 0;
}

/// The allowed range of the second byte; narrower than 80..BF after the
/// leads that would otherwise admit overlong forms, surrogates or code points
/// beyond U+10FFFF.
void second_byte_range(unsigned char lead, unsigned char& low, unsigned char& high) {
  low = 0x80;
  high = 0xBF;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
}

}  // namespace

DecodedChar decode_utf8(std::string_view text, size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  const size_t length = sequence_length(lead);
  if (length == 1) return {lead, 1, true};
  if (length == 0) return {kReplacementChar, 1, false};

  char32_t code_point = lead & (0xFF >> (length + 1));
  for (size_t i = 1; i < length; ++i) {
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (i == 1) second_byte_range(lead, low, high);
    if (offset + i >= text.size()) return {kReplacementChar, i, false};
    const auto byte = static_cast<unsigned char>(text[offset + i]);
    if (!in_range(byte, low, high)) return {kReplacementChar, i, false};
    code_point = (code_point << 6) | (byte & 0x3F);
  }
  return {code_point, length, true};
}

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

bool valid_utf8(std::string_view text) {
  // Every source file is checked when read and most are plain ASCII, so runs
  // of ASCII are skipped eight bytes at a time before decoding the rest.
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  for (size_t offset = 0; offset < text.size();) {
    if (offset + 8 <= text.size()) {
      uint64_t word;
      std::memcpy(&word, text.data() + offset, sizeof word);
      if ((word & kHighBits) == 0) {
        offset += 8;
        continue;
      }
    }
    const DecodedChar decoded = decode_utf8(text, offset);
    if (!decoded.valid) return false;
    offset += decoded.length;
  }
  return true;
}

std::string lossy_utf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t offset = 0; offset < text.size();) {
    const DecodedChar decoded = decode_utf8(text, offset);
    if (decoded.valid) {
      out.append(text.substr(offset, decoded.length));
    } else {
      append_utf8(out, kReplacementChar);
    }
    offset += decoded.length;
  }
  return out;
}

bool is_char_boundary(std::string_view text, size_t offset) {
  if (offset == 0 || offset == text.size()) return true;
  if (offset > text.size()) return false;
  return (static_cast<unsigned char>(text[offset]) & 0xC0) != 0x80;
}

size_t utf16_length(std::string_view text) {
  size_t units = 0;
  for (size_t offset = 0; offset < text.size();) {
    // An ASCII byte is one unit; most text is ASCII, so take it quickly.
    if (static_cast<unsigned char>(text[offset]) < 0x80) {
      ++units;
      ++offset;
      continue;
    }
    const DecodedChar decoded = decode_utf8(text, offset);
    units += utf16_units(decoded.code_point);
    offset += decoded.length;
  }
  return units;
}

}  // namespace vantrel::base
