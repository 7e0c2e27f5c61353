// The printed forms of a diagnostic: with line and column, with the file only,
// and without a place.
#include "model/diag.h"

#include <gtest/gtest.h>

namespace vantrel::model {
namespace {

TEST(DiagnosticTest, Constructors) {
  Diagnostic error = Diagnostic::error("unresolved-type", "cannot resolve `Foo`", Span{"src/lib.rs", 1, 4});
  EXPECT_EQ(error.severity, Severity::Error);
  EXPECT_EQ(error.code, "unresolved-type");
  EXPECT_EQ(error.message, "cannot resolve `Foo`");
  EXPECT_EQ(error.span, (Span{"src/lib.rs", 1, 4}));
  Diagnostic warning = Diagnostic::warning("imprecise-int", "i64 becomes a number");
  EXPECT_EQ(warning.severity, Severity::Warning);
  EXPECT_EQ(warning.span, std::nullopt);
  EXPECT_EQ(severity_name(Severity::Error), "error");
  EXPECT_EQ(severity_name(Severity::Warning), "warning");
}

TEST(DiagnosticTest, RenderWithoutSpanIgnoresSource) {
  Diagnostic d = Diagnostic::error("missing-config", "cannot read vantrel.toml");
  EXPECT_EQ(d.render(std::nullopt), "error[missing-config]: cannot read vantrel.toml");
  EXPECT_EQ(d.render("some text\n"), "error[missing-config]: cannot read vantrel.toml");
  EXPECT_EQ(d.display(), "error[missing-config]: cannot read vantrel.toml");
}

TEST(DiagnosticTest, RenderWithSpanButNoSourceNamesTheFileOnly) {
  Diagnostic d = Diagnostic::warning("unmounted-endpoint", "not mounted", Span{"src/api.rs", 10, 12});
  EXPECT_EQ(d.render(std::nullopt), "src/api.rs: warning[unmounted-endpoint]: not mounted");
  EXPECT_EQ(d.display(), "src/api.rs: warning[unmounted-endpoint]: not mounted");
}

TEST(DiagnosticTest, RenderLineAndByteColumn) {
  struct Case {
    std::string_view source;
    uint32_t start;
    std::string_view position;
  };
  const Case cases[] = {
      {"fn a() {}\n", 0, "1:1"},
      {"ab\ncd", 3, "2:1"},          // right after a "\n"
      {"ab\ncd", 2, "1:3"},          // the "\n" itself ends line 1
      {"ab\ncd", 4, "2:2"},
      {"€x y", 4, "1:5"},            // € is three bytes, each one column
      {"a\tb", 2, "1:3"},            // a tab is one column
      {"a\r\nb", 1, "1:2"},          // "\r" belongs to the line before "\n"
      {"a\r\nb", 3, "2:1"},
      {"ab\ncd", 99, "2:3"},         // clamped: the text's end plus one
      {"ab\n", 99, "2:1"},           // the empty last line
      {"", 5, "1:1"},
  };
  for (const Case& c : cases) {
    Diagnostic d = Diagnostic::error("parse-error", "bad", Span{"src/lib.rs", c.start, c.start});
    EXPECT_EQ(d.render(c.source), "src/lib.rs:" + std::string(c.position) + ": error[parse-error]: bad")
        << "start " << c.start;
  }
}

TEST(DiagnosticTest, RenderUsesSeverityName) {
  Span at{"src/lib.rs", 0, 1};
  EXPECT_EQ(Diagnostic::warning("ambiguous-mount", "m", at).render("x"), "src/lib.rs:1:1: warning[ambiguous-mount]: m");
  EXPECT_EQ(Diagnostic::error("ambiguous-mount", "m", at).render("x"), "src/lib.rs:1:1: error[ambiguous-mount]: m");
}

}  // namespace
}  // namespace vantrel::model
