// UTF-8 helpers: validation, lossy conversion by maximal subparts, char
// boundaries and UTF-16 counting.
#include "base/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::base {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

TEST(Utf8, ValidityOfWellAndIllFormedSequences) {
  struct Case {
    std::string text;
    bool valid;
  };
  const Case cases[] = {
      {"", true},
      {"plain ascii", true},
      {"\xC3\xA9", true},              // é
      {"\xE2\x82\xAC", true},          // €
      {"\xF0\x9F\x98\x80", true},      // U+1F600
      {"\xF4\x8F\xBF\xBF", true},      // U+10FFFF
      {std::string("a\0b", 3), true},  // NUL is a character
      {"\x80", false},                 // lone continuation byte
      {"\xFF", false},                 // never a lead byte
      {"\xC0\x80", false},             // overlong NUL
      {"\xE0\x80\x80", false},         // overlong three-byte form
      {"\xED\xA0\x80", false},         // surrogate U+D800
      {"\xF4\x90\x80\x80", false},     // above U+10FFFF
      {"\xF0\x9F\x98", false},         // truncated at the end
      {"\xE2\x82\x41", false},         // continuation missing before "A"
      // Runs of ASCII around a multi-byte or bad sequence, at and across
      // eight-byte boundaries.
      {"abcdefgh\xC3\xA9ijklmnop", true},
      {"abcdefg\xE2\x82\xACijklmnopq", true},
      {"abcdefghijklmno\x80", false},
      {"abcdefghijklmnop\xF0\x9F\x98", false},
      {"abcdefg\xFFhijklmnop", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(valid_utf8(c.text), c.valid) << testing::PrintToString(c.text);
  }
}

TEST(Utf8, LossyReplacesEachMaximalSubpartOnce) {
  struct Case {
    std::string input;
    std::string expected;
  };
  const Case cases[] = {
      {"valid \xC3\xA9", "valid \xC3\xA9"},
      {"a\xFF\x62", "a" + kFffd + "b"},
      {"\xF0\x9F\x98", kFffd},                  // one truncated sequence
      {"\xE2\x82\x41", kFffd + "A"},            // the "A" survives
      {"\xC0\x80", kFffd + kFffd},              // C0 can never lead
      {"\xED\xA0\x80", kFffd + kFffd + kFffd},  // surrogates split up
      // The example of the Unicode standard (U+FFFD substitution).
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       "a" + kFffd + kFffd + kFffd + "b" + kFffd + "c" + kFffd + kFffd + "d"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(lossy_utf8(c.input), c.expected) << testing::PrintToString(c.input);
    EXPECT_TRUE(valid_utf8(lossy_utf8(c.input)));
  }
}

TEST(Utf8, CharBoundaries) {
  const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80";  // a, é, U+1F600
  const bool expected[] = {true, true, false, true, false, false, false, true};
  for (size_t offset = 0; offset <= text.size(); ++offset) {
    EXPECT_EQ(is_char_boundary(text, offset), expected[offset]) << offset;
  }
  EXPECT_FALSE(is_char_boundary(text, text.size() + 1));
  EXPECT_TRUE(is_char_boundary("", 0));
}

TEST(Utf8, DecodeAndUtf16Counting) {
  const std::string text = "a\xC3\xA9\xF0\x9F\x98\x80\xFF";
  const DecodedChar expected[] = {
      {U'a', 1, true}, {0xE9, 2, true}, {0x1F600, 4, true}, {kReplacementChar, 1, false}};
  size_t offset = 0;
  for (const DecodedChar& want : expected) {
    const DecodedChar got = decode_utf8(text, offset);
    EXPECT_EQ(got.code_point, want.code_point) << offset;
    EXPECT_EQ(got.length, want.length) << offset;
    EXPECT_EQ(got.valid, want.valid) << offset;
    offset += got.length;
  }
  EXPECT_EQ(offset, text.size());
  // a (1) + é (1) + U+1F600 as a surrogate pair (2) + U+FFFD (1).
  EXPECT_EQ(utf16_length(text), 5u);
  EXPECT_EQ(utf16_length(""), 0u);
}

TEST(Utf8, AppendRoundTrips) {
  for (const char32_t cp : {U'\0', U'A', char32_t{0x7FF}, char32_t{0x800}, char32_t{0xFFFD},
                            char32_t{0x10000}, char32_t{0x10FFFF}}) {
    std::string encoded;
    append_utf8(encoded, cp);
    const DecodedChar decoded = decode_utf8(encoded, 0);
    EXPECT_TRUE(decoded.valid);
    EXPECT_EQ(decoded.code_point, cp);
    EXPECT_EQ(decoded.length, encoded.size());
  }
}

}  // namespace
}  // namespace vantrel::base
