// Word splitting, case conversion and rule names behind `rename_all`.
#include "syntax/rename.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantrel::syntax {
namespace {

using ::testing::ElementsAreArray;

TEST(SplitWords, CapitalisesEveryWordAndSplitsCapitalRuns) {
  struct Case {
    std::string_view text;
    std::vector<std::string> words;
  };
  const Case cases[] = {
      {"XMLParser", {"X", "M", "L", "Parser"}},
      {"user_id", {"User", "Id"}},
      {"userID", {"User", "I", "D"}},
      {"v2Name", {"V2", "Name"}},
      {"__a--b", {"A", "B"}},
      {"", {}},
      {"-_-", {}},
      {"FIRST_NAME", {"F", "I", "R", "S", "T", "N", "A", "M", "E"}},
      {"kebab-case-name", {"Kebab", "Case", "Name"}},
      {"ünïcode_wörd", {"ünïcode", "Wörd"}},  // non-ASCII letters keep their case
      {"éA", {"é", "A"}},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(split_words(c.text), ElementsAreArray(c.words)) << c.text;
  }
}

TEST(PushWord, DropsEmptyWordsAndNormalisesCase) {
  std::vector<std::string> words;
  push_word(words, "");
  push_word(words, "hELLO");
  push_word(words, "9lives");
  push_word(words, "éCOLE");
  EXPECT_THAT(words, ElementsAreArray({"Hello", "9lives", "école"}));
}

TEST(ApplyRenameRule, FollowsEachRule) {
  struct Case {
    std::optional<RenameRule> rule;
    std::string_view text;
    std::string_view expected;
  };
  const Case cases[] = {
      {RenameRule::CamelCase, "first_name", "firstName"},
      {RenameRule::CamelCase, "XMLParser", "xMLParser"},
      {RenameRule::CamelCase, "userID", "userID"},
      {RenameRule::CamelCase, "", ""},
      {RenameRule::CamelCase, "__leading__trailing__", "leadingTrailing"},
      {RenameRule::PascalCase, "first_name", "FirstName"},
      {RenameRule::PascalCase, "xml", "Xml"},
      {RenameRule::SnakeCase, "XMLParser", "x_m_l_parser"},
      {RenameRule::SnakeCase, "firstName", "first_name"},
      {RenameRule::SnakeCase, "a--b", "a_b"},
      {RenameRule::KebabCase, "UserName", "user-name"},
      {RenameRule::KebabCase, "user__name", "user-name"},
      {RenameRule::ScreamingSnakeCase, "userName", "USER_NAME"},
      {RenameRule::ScreamingSnakeCase, "v2", "V2"},
      {std::nullopt, "any_Name-kept", "any_Name-kept"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(apply_rename_rule(c.text, c.rule), c.expected)
        << (c.rule ? rename_rule_name(*c.rule) : "none") << " of " << c.text;
  }
  EXPECT_EQ(to_camel_case("user-profiles"), "userProfiles");
  EXPECT_EQ(to_snake_case("HTTPStatus"), "h_t_t_p_status");
}

TEST(ParseRenameRule, AcceptsExactlyTheFiveNames) {
  const std::pair<std::string_view, RenameRule> good[] = {
      {"camelCase", RenameRule::CamelCase},
      {"PascalCase", RenameRule::PascalCase},
      {"snake_case", RenameRule::SnakeCase},
      {"kebab-case", RenameRule::KebabCase},
      {"SCREAMING_SNAKE_CASE", RenameRule::ScreamingSnakeCase},
  };
  for (const auto& [text, rule] : good) {
    auto parsed = parse_rename_rule(text, {1, 2});
    ASSERT_TRUE(parsed.ok()) << text;
    EXPECT_EQ(*parsed, rule);
    EXPECT_EQ(rename_rule_name(rule), text);
  }
  for (std::string_view bad : {"lowercase", "UPPERCASE", "SCREAMING-KEBAB-CASE", "camelcase", " camelCase", ""}) {
    auto parsed = parse_rename_rule(bad, {10, 22});
    ASSERT_FALSE(parsed.ok()) << bad;
    EXPECT_EQ(parsed.error(), (SynError{"unsupported serde rename_all rule `" + std::string(bad) + "`", {10, 22}}));
  }
}

}  // namespace
}  // namespace vantrel::syntax
