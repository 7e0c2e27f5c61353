// Route parameters, default modules and white-space trimming.
#include "syntax/syntax.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "parse_util.h"

namespace vantrel::syntax {
namespace {

using ::testing::ElementsAreArray;

TEST(RouteParams, CollectsBracedAndColonNamesInOrder) {
  struct Case {
    std::string_view route;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"/users/{id}/posts/{post_id}", {"id", "post_id"}},
      {"/files/:name", {"name"}},
      {"/x/:a:b", {"a:b", "b"}},
      {"/a/{b", {}},
      {"/a/{b}/{c", {"b"}},
      {"/a/{*rest}", {"*rest"}},
      {"/a/:b/c", {"b"}},
      {"/a/{x/y:z}", {"x/y:z"}},
      {"/a/:", {""}},
      {"/a/:b{c}", {"b", "c"}},
      {"/a/x:y/z", {"y"}},
      {"/a/{}", {""}},
      {"/plain/route", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(route_params(c.route), ElementsAreArray(c.names)) << c.route;
  }
}

TEST(DefaultTsModule, UsesTheFirstLiteralPiece) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"/users/{id}", "users"},
      {"/user-profiles/{id}/avatar", "userProfiles"},
      {"/{id}", "api"},
      {"/", "api"},
      {"", "api"},
      {"/ users /x", "users"},
      {"/\u00a0users\u3000/x", "users"},
      {"/:id/orders", "orders"},
      {"/{id}/orders", "orders"},
      {"/a}b/orders", "orders"},
      {"/-_-/orders", "api"},
      {"//v2_items", "v2Items"},
  };
  for (const auto& [route, module] : cases) {
    EXPECT_EQ(default_ts_module(route), module) << route;
  }
}

TEST(TrimWhiteSpace, TrimsUnicodeWhiteSpaceOnly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"  a b  ", "a b"},
      {"\t\n a\r\n", "a"},
      {"\u00a0\u2003a\u2029\u3000", "a"},
      {"   ", ""},
      {"", ""},
      {"\u200bA\u200b", "\u200bA\u200b"},  // zero-width space is not white space
      {"é", "é"},
      {"\xff a \xff", "\xff a \xff"},
  };
  for (const auto& [in, out] : cases) {
    EXPECT_EQ(trim_white_space(in), out) << in;
  }
}

TEST(DocString, JoinsTrimmedDocLines) {
  const std::pair<std::string, std::optional<std::string>> cases[] = {
      {"struct S;", std::nullopt},
      {"#[doc(hidden)]\n#[derive(Api)]\nstruct S;", std::nullopt},
      {"// plain comment\n/* block */\nstruct S;", std::nullopt},
      {"/// Hello\n///   world  \nstruct S;", "Hello\nworld"},
      {"///\nstruct S;", ""},
      {"/// a\n///\n/// b\nstruct S;", "a\n\nb"},
      {"#[doc = \" a \"]\n#[doc(hidden)]\n/** b */\nstruct S;", "a\nb"},
      {"#[doc = \"tab\\there\\n\"]\nstruct S;", "tab\there"},
      {"#[doc = r\"raw\\n\"]\nstruct S;", "raw\\n"},
      {"/// \u3000wide\u00a0\r\nstruct S;", "wide"},
      {"#[doc = include_str!(\"x.md\")]\n/// kept\nstruct S;", "kept"},
      {"#[doc = b\"bytes\"]\nstruct S;", std::nullopt},
  };
  for (const auto& [src, doc] : cases) {
    testing::Snippet s(src);
    EXPECT_EQ(doc_string(s.item().attrs()), doc) << src;
  }
}

}  // namespace
}  // namespace vantrel::syntax
