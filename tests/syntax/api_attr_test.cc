// `#[api]` and `#[status]` parsing: accepted forms and every refusal with its
// range.
#include "syntax/api_attr.h"

#include <gtest/gtest.h>

#include "parse_util.h"

namespace vantrel::syntax {
namespace {

using testing::Snippet;

base::Result<ApiAttr, SynError> parse_api(const Snippet& s) { return ApiAttr::from_attribute(s.item().attrs().at(0)); }

TEST(ApiAttr, AcceptsMethodRouteAndFlags) {
  struct Case {
    std::string attr;
    ApiMethod method;
    std::string path;
    bool allow_unused;
  };
  const Case cases[] = {
      {R"(#[api(get, "/users/{id}")])", ApiMethod::Get, "/users/{id}", false},
      {R"(#[api(post, "/x")])", ApiMethod::Post, "/x", false},
      {R"(#[api(put, "/x")])", ApiMethod::Put, "/x", false},
      {R"(#[api(patch, "/x")])", ApiMethod::Patch, "/x", false},
      {R"(#[api(delete, "/x")])", ApiMethod::Delete, "/x", false},
      {R"(#[api(sse, "/events", allow_unused)])", ApiMethod::Sse, "/events", true},
      {R"(#[api(get, "/x",)])", ApiMethod::Get, "/x", false},
      {R"(#[api(get, "/x", allow_unused,)])", ApiMethod::Get, "/x", true},
      {R"(#[api(get, "/x", allow_unused, allow_unused)])", ApiMethod::Get, "/x", true},
      {R"(#[api(get, r"/raw/{id}")])", ApiMethod::Get, "/raw/{id}", false},
      {R"(#[api(get, "/a\u{e9}\\b")])", ApiMethod::Get, "/a\u00e9\\b", false},
      {R"(#[api(get, "/ not/normalised//")])", ApiMethod::Get, "/ not/normalised//", false},
  };
  for (const Case& c : cases) {
    Snippet s(c.attr + "\nasync fn f() {}");
    auto attr = parse_api(s);
    ASSERT_TRUE(attr.ok()) << c.attr << ": " << attr.error().message;
    EXPECT_EQ(attr->method, c.method) << c.attr;
    EXPECT_EQ(attr->path, c.path) << c.attr;
    EXPECT_EQ(attr->allow_unused, c.allow_unused) << c.attr;
    size_t quote = c.attr.find_first_of("r\"", c.attr.find(','));
    EXPECT_EQ(attr->path_span.start, quote) << c.attr;
    EXPECT_EQ(s.text[attr->path_span.end - 1], '"') << c.attr;
  }
}

TEST(ApiAttr, RefusesMalformedAttributesWithRanges) {
  const std::string kExpects = R"(#[api] expects a method and a path, e.g. #[api(get, "/users/{id}")])";
  const std::string kRoute = R"(#[api] expects a string route path, e.g. #[api(get, "/users/{id}")])";
  const std::string kSlash = "#[api] route paths must start with `/`";
  struct Case {
    std::string attr;
    std::string message;
    std::string at;  ///< the text the error points at
    size_t nth = 0;
  };
  const Case cases[] = {
      {"#[api]", kExpects, "#[api]"},
      {R"(#[api = "/x"])", kExpects, R"(#[api = "/x"])"},
      {"#[api()]", kExpects, ")"},
      {R"(#[api("/x")])", kExpects, R"("/x")"},
      {R"(#[api(GET, "/x")])", "unsupported #[api] method `GET`; expected one of get, post, put, patch, delete, sse",
       "GET"},
      {R"(#[api(options, "/x")])",
       "unsupported #[api] method `options`; expected one of get, post, put, patch, delete, sse", "options"},
      {R"(#[api(get "/x")])", "expected `,`", R"("/x")"},
      {"#[api(get)]", "unexpected end of input, expected `,`", ")"},
      {"#[api(get, /x)]", kRoute, "/"},
      {"#[api(get, 42)]", kRoute, "42"},
      {R"(#[api(get, b"/x")])", kRoute, R"(b"/x")"},
      {"#[api(get,)]", kRoute, ")"},
      {R"(#[api(get, "x")])", kSlash, R"("x")"},
      {R"(#[api(get, "")])", kSlash, R"("")"},
      {R"(#[api(get, " /x")])", kSlash, R"(" /x")"},
      {R"(#[api(get, "/x", deprecated)])", "unsupported #[api] argument `deprecated`", "deprecated"},
      {R"(#[api(get, "/x", allow_unused, deprecated)])", "unsupported #[api] argument `deprecated`", "deprecated"},
      {R"(#[api(get, "/x", "y")])", "expected identifier", R"("y")"},
      {R"(#[api(get, "/x",, allow_unused)])", "expected identifier", ",", 2},
      {R"(#[api(get, "/x" allow_unused)])", "unexpected token", "allow_unused"},
      {R"(#[api(get, "/x", allow_unused allow_unused)])", "unexpected token", "allow_unused", 1},
  };
  for (const Case& c : cases) {
    Snippet s(c.attr + "\nasync fn f() {}");
    auto attr = parse_api(s);
    ASSERT_FALSE(attr.ok()) << c.attr;
    EXPECT_EQ(attr.error().message, c.message) << c.attr;
    EXPECT_EQ(attr.error().range, s.range_of(c.at, c.nth)) << c.attr;
  }
}

TEST(ApiMethodName, IsTheWrittenForm) {
  EXPECT_EQ(api_method_name(ApiMethod::Get), "get");
  EXPECT_EQ(api_method_name(ApiMethod::Sse), "sse");
}

base::Result<StatusAttr, SynError> parse_status(const Snippet& s) {
  auto variants = rustsyn::EnumItem(s.item().node()).variants();
  return StatusAttr::from_variant(variants.at(0));
}

TEST(StatusAttr, ReadsTheLastStatus) {
  const std::pair<std::string, uint16_t> cases[] = {
      {"#[status(404)] NotFound", 404},
      {"#[status(400)] A", 400},
      {"#[status(599)] A", 599},
      {"#[status(404)] #[status(409)] Conflict", 409},
      {"/// Not there.\n#[serde(rename = \"gone\")]\n#[status(410)] Gone(String)", 410},
      {"#[status(422)] Invalid { field: String }", 422},
      {"#[status(404u16)] A", 404},
      {"#[status(0x194)] A", 404},
  };
  for (const auto& [variant, status] : cases) {
    Snippet s("enum E {\n" + variant + ",\n}");
    auto attr = parse_status(s);
    ASSERT_TRUE(attr.ok()) << variant << ": " << attr.error().message;
    EXPECT_EQ(attr->status, status) << variant;
  }
}

TEST(StatusAttr, RefusesMissingOrMalformedStatusesWithRanges) {
  const std::string kRequires = "ApiError variants require #[status(...)], e.g. #[status(404)]";
  const std::string kExpects = "#[status] expects a status code, e.g. #[status(404)]";
  const std::string kRange = "ApiError statuses must be in the 400..=599 range";
  struct Case {
    std::string variant;
    std::string message;
    std::string at;
  };
  const Case cases[] = {
      {"NotFound", kRequires, "NotFound"},
      {"NotFound(String)", kRequires, "NotFound(String)"},
      {"#[serde(rename = \"x\")] NotFound", kRequires, "#[serde(rename = \"x\")] NotFound"},
      {"/// Doc only\nNotFound", kRequires, "/// Doc only\nNotFound"},
      {"#[vantrel::status(404)] NotFound", kRequires, "#[vantrel::status(404)] NotFound"},
      {"#[status] A", kExpects, "#[status]"},
      {"#[status = 404] A", kExpects, "#[status = 404]"},
      {"#[status(\"404\")] A", kExpects, "#[status(\"404\")]"},
      {"#[status(404, 405)] A", kExpects, "#[status(404, 405)]"},
      {"#[status()] A", kExpects, "#[status()]"},
      {"#[status(-404)] A", kExpects, "#[status(-404)]"},
      {"#[status(404.0)] A", kExpects, "#[status(404.0)]"},
      {"#[status[404]] A", kExpects, "#[status[404]]"},
      {"#[status(404)] #[status(x)] A", kExpects, "#[status(x)]"},
      {"#[status(399)] A", kRange, "399"},
      {"#[status(600)] A", kRange, "600"},
      {"#[status(0)] A", kRange, "0"},
      {"#[status(70000)] A", "number too large to fit in target type", "70000"},
      {"#[status(500)] #[status(200)] A", kRange, "200"},
  };
  for (const Case& c : cases) {
    Snippet s("enum E {\n" + c.variant + ",\n}");
    auto attr = parse_status(s);
    ASSERT_FALSE(attr.ok()) << c.variant;
    EXPECT_EQ(attr.error().message, c.message) << c.variant;
    EXPECT_EQ(attr.error().range, s.range_of(c.at)) << c.variant;
  }
}

}  // namespace
}  // namespace vantrel::syntax
