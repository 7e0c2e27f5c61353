// Byte and UTF-16 conversions of the line index, as tables of cases.
#include "model/line_index.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::model {
namespace {

TEST(LineIndexTest, LineStarts) {
  struct Case {
    std::string_view text;
    std::vector<uint32_t> starts;
  };
  const Case cases[] = {
      {"", {0}},
      {"ab\ncd", {0, 3}},
      {"ab\n", {0, 3}},  // a final "\n" opens an empty last line
      {"\n\n", {0, 1, 2}},
      {"a\r\nb", {0, 3}},  // "\r" alone never ends a line
      {"a\rb", {0}},
  };
  for (const Case& c : cases) {
    LineIndex index(c.text);
    EXPECT_EQ(index.line_starts(), c.starts) << c.text;
    EXPECT_EQ(index.line_count(), c.starts.size());
    EXPECT_EQ(index.len(), c.text.size());
  }
}

TEST(LineIndexTest, LineColInBytes) {
  struct Case {
    std::string_view text;
    uint32_t offset;
    LineCol expected;
  };
  const Case cases[] = {
      {"", 0, {0, 0}},
      {"", 7, {0, 0}},
      {"ab\ncd", 0, {0, 0}},
      {"ab\ncd", 2, {0, 2}},  // the "\n" belongs to the line it ends
      {"ab\ncd", 3, {1, 0}},
      {"ab\ncd", 5, {1, 2}},
      {"ab\ncd", 99, {1, 2}},
      {"a\r\nb", 1, {0, 1}},
      {"a\r\nb", 3, {1, 0}},
      {"ab\n", 3, {1, 0}},
      {"a\n\nb", 2, {1, 0}},
      {"ab\ncd", UINT32_MAX, {1, 2}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineIndex(c.text).line_col(c.offset), c.expected) << c.text << " @" << c.offset;
  }
}

TEST(LineIndexTest, OffsetFromByteColumn) {
  struct Case {
    std::string_view text;
    uint32_t line;
    uint32_t col;
    uint32_t expected;
  };
  const Case cases[] = {
      {"", 0, 5, 0},
      {"", 1, 0, 0},  // past the last line: the length
      {"ab\ncd", 0, 0, 0},
      {"ab\ncd", 0, 10, 2},  // clamped to the line's "\n"
      {"ab\ncd", 1, 1, 4},
      {"ab\ncd", 1, 10, 5},
      {"ab\ncd", 2, 0, 5},
      {"ab\ncd", 1, UINT32_MAX, 5},  // start + column saturates
      {"é!", 0, 1, 0},               // inside é: back to its start
      {"é!", 0, 2, 2},
      {"é!", 0, 3, 3},
      {"x€", 0, 3, 1},  // inside the three-byte €: back to its first byte
      {"ab\n€", 1, 2, 3},  // stepping back stops at the line start
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineIndex(c.text).offset(c.line, c.col, c.text), c.expected)
        << c.text << " (" << c.line << ", " << c.col << ")";
  }
}

TEST(LineIndexTest, LineColInUtf16) {
  struct Case {
    std::string_view text;
    uint32_t offset;
    LineCol expected;
  };
  const Case cases[] = {
      {"é!", 2, {0, 1}},
      {"é!", 1, {0, 0}},  // inside é
      {"é!", 3, {0, 2}},
      {"😀x", 4, {0, 2}},  // above U+FFFF: two units
      {"😀x", 5, {0, 3}},
      {"😀x", 2, {0, 0}},
      {"a\n€b", 6, {1, 2}},
      {"a\n€b", 99, {1, 2}},
      {"", 0, {0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineIndex(c.text).line_col_utf16(c.offset, c.text), c.expected) << c.text << " @" << c.offset;
  }
}

TEST(LineIndexTest, OffsetFromUtf16Column) {
  struct Case {
    std::string_view text;
    uint32_t line;
    uint32_t col;
    uint32_t expected;
  };
  const Case cases[] = {
      {"😀x", 0, 0, 0},
      {"😀x", 0, 1, 4},  // between the surrogate halves: after the character
      {"😀x", 0, 2, 4},
      {"😀x", 0, 3, 5},
      {"😀x", 0, 9, 5},
      {"a\n\nb", 1, 0, 2},  // an empty line gives its start for any column
      {"a\n\nb", 1, 7, 2},
      {"ab\ncd", 0, 5, 2},  // past the line's end: its "\n"
      {"ab\ncd", 3, 0, 5},
      {"é!\nz", 0, 1, 2},
      {"", 0, 4, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(LineIndex(c.text).offset_utf16(c.line, c.col, c.text), c.expected)
        << c.text << " (" << c.line << ", " << c.col << ")";
  }
}

TEST(LineIndexTest, Utf16RoundTripsOnCharacterBoundaries) {
  std::string text = "héllo 😀 wörld\n\tzweite € Zeile\r\n\nend";
  LineIndex index(text);
  for (uint32_t offset = 0; offset <= text.size(); ++offset) {
    if (offset < text.size() && (static_cast<unsigned char>(text[offset]) & 0xC0) == 0x80) continue;
    LineCol at = index.line_col_utf16(offset, text);
    EXPECT_EQ(index.offset_utf16(at.line, at.col, text), offset) << offset;
    LineCol bytes = index.line_col(offset);
    EXPECT_EQ(index.offset(bytes.line, bytes.col, text), offset) << offset;
  }
}

}  // namespace
}  // namespace vantrel::model

namespace vantrel::model {
namespace {

// Texts from disk are validated, but editor buffers and callers' mistakes can
// still hand the index odd bytes or a shorter text: answers must stay inside
// the text and nothing may read past it.
TEST(LineIndexTest, OddBytesAndMismatchedTextStayInBounds) {
  const std::string_view texts[] = {"\xff\n\xe2\x82", "\x80\x80\n", "a\xf0\x9f", "\xf0\x9f\x98\x80"};
  for (std::string_view text : texts) {
    LineIndex index(text);
    for (uint32_t line = 0; line <= index.line_count(); ++line) {
      for (uint32_t col = 0; col < 6; ++col) {
        EXPECT_LE(index.offset(line, col, text), text.size());
        EXPECT_LE(index.offset_utf16(line, col, text), text.size());
        // The index of a longer text used with a shorter one.
        EXPECT_LE(index.offset_utf16(line, col, text.substr(0, 1)), text.size());
      }
    }
    for (uint32_t offset = 0; offset <= text.size() + 1; ++offset) {
      EXPECT_LE(index.line_col_utf16(offset, text).col, text.size());
      EXPECT_LE(index.line_col_utf16(offset, text.substr(0, 1)).col, text.size());
    }
  }
}

}  // namespace
}  // namespace vantrel::model
