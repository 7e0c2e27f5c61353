// The framed TOML error text: gutter width, caret placement and count, the
// optional key line, and documents that toml++ reads with problems of its own.
#include "engine/toml_error.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::engine {
namespace {

struct FrameCase {
  const char* label;
  std::string source;
  TomlProblem problem;
  std::string expected;
};

TEST(TomlErrorText, Frames) {
  const FrameCase cases[] = {
      {"no position: description only", "a = 1\n", {"something broke", std::nullopt, std::nullopt, std::nullopt},
       "something broke\n"},
      {"no position, key named", "a = 1\n", {"bad value", std::nullopt, std::nullopt, "package.name"},
       "bad value\nin `package.name`\n"},
      {"key after the frame", "x = 1\n", {"bad", TomlPosition{1, 5}, std::nullopt, "x"},
       "TOML parse error at line 1, column 5\n"
       "  |\n"
       "1 | x = 1\n"
       "  |     ^\n"
       "bad\n"
       "in `x`\n"},
      {"range of three bytes", "key = abc\n", {"d", TomlPosition{1, 7}, TomlPosition{1, 10}, std::nullopt},
       "TOML parse error at line 1, column 7\n"
       "  |\n"
       "1 | key = abc\n"
       "  |       ^^^\n"
       "d\n"},
      {"one caret per byte of a multi-byte range", "k = é!\n",
       {"d", TomlPosition{1, 5}, TomlPosition{1, 6}, std::nullopt},
       "TOML parse error at line 1, column 5\n"
       "  |\n"
       "1 | k = é!\n"
       "  |     ^^\n"
       "d\n"},
      {"range clamped to the line", "k = abc\nmore\n", {"d", TomlPosition{1, 5}, TomlPosition{2, 3}, std::nullopt},
       "TOML parse error at line 1, column 5\n"
       "  |\n"
       "1 | k = abc\n"
       "  |     ^^^\n"
       "d\n"},
      {"past the end of the line: one caret", "k = [\n", {"eof", TomlPosition{1, 6}, std::nullopt, std::nullopt},
       "TOML parse error at line 1, column 6\n"
       "  |\n"
       "1 | k = [\n"
       "  |      ^\n"
       "eof\n"},
      {"line past the text", "k = 1", {"d", TomlPosition{2, 1}, std::nullopt, std::nullopt},
       "TOML parse error at line 2, column 1\n"
       "  |\n"
       "2 | \n"
       "  | ^\n"
       "d\n"},
      {"line 100: gutter of four", std::string(99, '\n') + "bad",
       {"d", TomlPosition{100, 1}, std::nullopt, std::nullopt},
       "TOML parse error at line 100, column 1\n"
       "    |\n"
       "100 | bad\n"
       "    | ^\n"
       "d\n"},
      {"carriage return and control characters", "k = \x1b[31m\r\n",
       {"d", TomlPosition{1, 5}, std::nullopt, std::nullopt},
       "TOML parse error at line 1, column 5\n"
       "  |\n"
       "1 | k = \xEF\xBF\xBD[31m\n"
       "  |     ^\n"
       "d\n"},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.label);
    EXPECT_EQ(toml_error_text(c.source, c.problem), c.expected);
  }
}

TEST(ParseToml, ReadsDocumentsAndReportsFramedErrors) {
  auto doc = parse_toml("\xEF\xBB\xBF[a]\nb = [1, 2]\n");
  ASSERT_TRUE(doc.ok());
  EXPECT_EQ((*doc)["a"]["b"][1].value<int64_t>(), 2);

  // A byte-order mark is not a column.
  auto bom = parse_toml("\xEF\xBB\xBFk = = 1\n");
  ASSERT_FALSE(bom.ok());
  EXPECT_EQ(bom.error(),
            "TOML parse error at line 1, column 5\n"
            "  |\n"
            "1 | k = = 1\n"
            "  |     ^\n"
            "Error while parsing value: could not determine value type\n");

  // Overlong encodings and surrogates are not UTF-8 either.
  for (const char* bad : {"k = \"\xC0\xAF\"\n", "k = \"\xED\xA0\x80\"\n", "k = \"\xF4\x90\x80\x80\"\n"}) {
    auto result = parse_toml(bad);
    ASSERT_FALSE(result.ok()) << bad;
    EXPECT_EQ(result.error().substr(0, 37), "TOML parse error at line 1, column 6\n");
  }
}

TEST(ParseToml, NestingBeyondTheReadersLimitIsAnError) {
  std::string deep = "a = " + std::string(5000, '[') + std::string(5000, ']') + "\n";
  auto result = parse_toml(deep);
  ASSERT_FALSE(result.ok());
  EXPECT_NE(result.error().find("TOML parse error at line 1"), std::string::npos);
}

TEST(ParseToml, DottedKeysUpTo256Parts) {
  auto key = [](int parts) {
    std::string text = "k";
    for (int i = 1; i < parts; ++i) text += ".k";
    return text;
  };
  EXPECT_TRUE(parse_toml(key(256) + " = 1\n").ok());
  auto refused = parse_toml("x = 1\n" + key(257) + " = 1\n");
  ASSERT_FALSE(refused.ok());
  EXPECT_EQ(refused.error().substr(0, 37), "TOML parse error at line 2, column 1\n");
  // Long keys inside nested inline tables stay within bounds as well.
  std::string nested = "a = ";
  for (int level = 0; level < 200; ++level) nested += "{" + key(200) + " = ";
  nested += "1" + std::string(200, '}') + "\n";
  EXPECT_TRUE(parse_toml(nested).ok());
}

}  // namespace
}  // namespace vantrel::engine
