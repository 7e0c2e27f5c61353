// The printer's layout rules: argument breaking, objects, arrays, arrows, raw
// re-indentation, string escaping, doc comments, items, and marks.
#include "engine/gen/print.h"

#include <gtest/gtest.h>

namespace vantrel::engine::gen {
namespace {

std::string print_expr(const Expr& e, uint32_t depth = 0) {
  Printer p;
  p.expr(e, depth);
  return p.out;
}

std::string print_item(const Item& item) {
  Printer p;
  p.item(item);
  return p.out;
}

ObjectEntry entry(std::string key, Expr value) { return ObjectEntry{std::move(key), std::nullopt, std::move(value)}; }

Expr object_a1() {
  std::vector<ObjectEntry> entries;
  entries.push_back(entry("a", Expr::raw("1")));
  return Expr::object(std::move(entries));
}

TEST(PrintExpr, CallLayout) {
  EXPECT_EQ(print_expr(Expr::call("f", [] {
              std::vector<Expr> args;
              args.push_back(object_a1());
              return args;
            }())),
            "f({\n  a: 1,\n})");
  {
    std::vector<Expr> args;
    args.push_back(Expr::raw("x"));
    args.push_back(object_a1());
    EXPECT_EQ(print_expr(Expr::call("f", std::move(args))), "f(\n  x,\n  {\n    a: 1,\n  },\n)");
  }
  {
    std::vector<Expr> args;
    args.push_back(Expr::raw("x"));
    args.push_back(Expr::object({}));
    EXPECT_EQ(print_expr(Expr::call("f", std::move(args))), "f(x, {})");
  }
  {
    std::vector<Expr> args;
    args.push_back(Expr::raw("x"));
    args.push_back(Expr::str("y"));
    EXPECT_EQ(print_expr(Expr::call("f", std::move(args))), "f(x, \"y\")");
  }
  {
    // An arrow among two arguments breaks the list too, at the call's depth.
    std::vector<Expr> args;
    args.push_back(Expr::raw("x"));
    args.push_back(Expr::arrow({"a"}, Expr::raw("a")));
    EXPECT_EQ(print_expr(Expr::call("f", std::move(args)), 1), "f(\n    x,\n    (a) => a,\n  )");
  }
  EXPECT_EQ(print_expr(Expr::member_call("ApiConfig", "of", [] {
              std::vector<Expr> args;
              args.push_back(Expr::raw("config"));
              return args;
            }())),
            "ApiConfig.of(config)");
  EXPECT_EQ(print_expr(Expr::call("f", {})), "f()");
}

TEST(PrintExpr, ArraysArrowsAndRaw) {
  EXPECT_EQ(print_expr(Expr::array({})), "[]");
  {
    std::vector<Expr> one;
    one.push_back(Expr::raw("x"));
    EXPECT_EQ(print_expr(Expr::array(std::move(one))), "[x]");
  }
  {
    std::vector<Expr> two;
    two.push_back(Expr::raw("x"));
    two.push_back(Expr::raw("y"));
    EXPECT_EQ(print_expr(Expr::array(std::move(two))), "[\n  x,\n  y,\n]");
  }
  EXPECT_EQ(print_expr(Expr::arrow({"args"}, object_a1())), "(args) => ({\n  a: 1,\n})");
  EXPECT_EQ(print_expr(Expr::arrow({"args"}, Expr::object({}))), "(args) => ({})");
  EXPECT_EQ(print_expr(Expr::arrow({"a", "b"}, Expr::raw("a"))), "(a, b) => a");
  EXPECT_EQ(print_expr(Expr::raw("a\n\nb"), 2), "a\n\n    b");
  EXPECT_EQ(print_expr(Expr::raw("a\n"), 1), "a\n");
}

TEST(PrintString, EscapesLineBreaksQuoteAndBackslash) {
  struct Case {
    std::string text;
    std::string printed;
  };
  for (const auto& c : std::vector<Case>{
           {"plain", "\"plain\""},
           {"a\tb", "\"a\tb\""},
           {"say \"hi\"", "\"say \\\"hi\\\"\""},
           {"back\\slash", "\"back\\\\slash\""},
           {"line\nfeed\r", "\"line\\nfeed\\r\""},
           {"é", "\"é\""},
       }) {
    Printer p;
    p.string(c.text);
    EXPECT_EQ(p.out, c.printed) << c.text;
  }
}

TEST(PrintDoc, OneLineManyLinesAndEmpty) {
  struct Case {
    std::optional<std::string> doc;
    bool indented;
    std::string printed;
  };
  for (const auto& c : std::vector<Case>{
           {std::nullopt, false, ""},
           {"text", false, "/** text */\n"},
           {"text\n", false, "/** text */\n"},
           {"text", true, "  /** text */\n"},
           {"a\r\nb", false, "/**\n * a\n * b\n */\n"},
           {"a\n\nb", true, "  /**\n   * a\n   * \n   * b\n   */\n"},
           {"", false, "/**\n */\n"},
           // "*/" inside a doc would close the comment early.
           {"matches a/*/b", false, "/** matches a/*\\/b */\n"},
           {"x */\n*/", false, "/**\n * x *\\/\n * *\\/\n */\n"},
       }) {
    Printer p;
    p.doc(c.doc, c.indented);
    EXPECT_EQ(p.out, c.printed) << (c.doc ? *c.doc : "<none>");
  }
}

TEST(PrintItem, EveryKind) {
  EXPECT_EQ(print_item(Item{Item::Import{{"A", "b"}, "m", false}}), "import { A, b } from \"m\"\n");
  EXPECT_EQ(print_item(Item{Item::Import{{"T"}, "m", true}}), "import type { T } from \"m\"\n");
  EXPECT_EQ(print_item(Item{Item::ExportAll{"./x"}}), "export * from \"./x\"\n");
  EXPECT_EQ(print_item(Item{Item::ExportNamespace{"users", "./endpoints/users"}}),
            "export * as users from \"./endpoints/users\"\n");
  EXPECT_EQ(print_item(Item{Item::ExportNamed{{"ApiConfig", "layer"}, "./client"}}),
            "export { ApiConfig, layer } from \"./client\"\n");
  EXPECT_EQ(print_item(Item{Item::Const{"r", "Doc.", std::nullopt, object_a1(), true}}),
            "/** Doc. */\nexport const r = {\n  a: 1,\n} as const\n");
  EXPECT_EQ(print_item(Item{Item::Function{"f", {{"a", "A"}, {"b", "B"}}, "R", std::nullopt, std::nullopt,
                                           Expr::raw("x")}}),
            "export const f = (a: A, b: B): R =>\n  x\n");
  EXPECT_EQ(print_item(Item{Item::TypeAlias{"T", "A | B", std::nullopt, std::nullopt}}), "export type T = A | B\n");
  EXPECT_EQ(print_item(Item{Item::Interface{"Name", {}, std::nullopt, std::nullopt}}), "export interface Name {}\n");
  EXPECT_EQ(print_item(Item{Item::Interface{"N",
                                            {InterfaceField{"a", "string", "Doc.", std::nullopt, true},
                                             InterfaceField{"\"b-c\"", "number", std::nullopt, std::nullopt, false}},
                                            std::nullopt,
                                            std::nullopt}}),
            "export interface N {\n  /** Doc. */\n  readonly a?: string\n  readonly \"b-c\": number\n}\n");
  EXPECT_EQ(print_item(Item{Item::Class{"E", std::nullopt, std::nullopt, Expr::raw("Base")}}),
            "export class E extends Base {}\n");
  EXPECT_EQ(print_item(Item::blank()), "\n");
  EXPECT_EQ(print_item(Item{Item::Raw{"x"}}), "x\n");
  EXPECT_EQ(print_item(Item{Item::Raw{"x\n"}}), "x\n");
}

TEST(PrintMarks, OffsetsCountTheWholeOutputAndColumnsAreUtf16) {
  Printer p;
  p.out = "// é\n";
  p.item(Item{Item::TypeAlias{"T", "string", std::nullopt, MarkRequest{"type:1", MarkKind::Type}}});
  std::vector<ObjectEntry> entries;
  entries.push_back(ObjectEntry{"k", MarkRequest{"field:2", MarkKind::FieldKey}, Expr::raw("v")});
  p.item(Item{Item::Const{"C", std::nullopt, std::nullopt,
                          Expr::marked("endpoint:3", MarkKind::Endpoint, Expr::object(std::move(entries))), false}});
  p.out += "/* é */ ";
  p.marked_text("N", MarkRequest{"param:4", MarkKind::Param});
  p.marked_text("unmarked", std::nullopt);

  ASSERT_EQ(p.marks.size(), 4u);
  // Marks are recorded in the order their text ends: the key inside the
  // marked object comes before the object itself.
  EXPECT_EQ(p.marks[0], (PrintedMark{"type:1", MarkKind::Type, 18, 19}));
  EXPECT_EQ(p.out.substr(p.marks[1].start, p.marks[1].end - p.marks[1].start), "k");
  EXPECT_EQ(p.marks[1].kind, MarkKind::FieldKey);
  EXPECT_EQ(p.out.substr(p.marks[2].start, p.marks[2].end - p.marks[2].start), "{\n  k: v,\n}");
  EXPECT_EQ(p.out.substr(p.marks[3].start, p.marks[3].end - p.marks[3].start), "N");

  auto marks = finish_marks("schemas.ts", p.out, p.marks);
  ASSERT_EQ(marks.size(), 4u);
  EXPECT_EQ(marks[0].file, "schemas.ts");
  EXPECT_EQ(marks[0].line, 1u);
  EXPECT_EQ(marks[0].character, 12u);
  EXPECT_EQ(marks[1].line, 3u);
  EXPECT_EQ(marks[1].character, 2u);
  EXPECT_EQ(marks[2].line, 2u);
  EXPECT_EQ(marks[2].character, 17u);
  // "/* é */ N": the byte column of N is 9, its UTF-16 column 8.
  EXPECT_EQ(marks[3].line, 5u);
  EXPECT_EQ(marks[3].character, 8u);
  EXPECT_EQ(marks[3].symbol, "param:4");
  EXPECT_EQ(marks[3].kind, MarkKind::Param);
}

TEST(MarkKindNames, SpelledAsTheEnumerators) {
  EXPECT_EQ(mark_kind_name(MarkKind::Endpoint), "Endpoint");
  EXPECT_EQ(mark_kind_name(MarkKind::ErrorVariant), "ErrorVariant");
  EXPECT_EQ(mark_kind_name(MarkKind::FieldKey), "FieldKey");
  EXPECT_EQ(static_cast<int>(MarkKind::Param), 7);
}

}  // namespace
}  // namespace vantrel::engine::gen
