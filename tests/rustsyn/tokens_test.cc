// The attribute-argument token cursor and its messages, literal values, token
// printing, types and the method-call walk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rustsyn/items.h"
#include "rustsyn/method_calls.h"
#include "rustsyn/tokens.h"

namespace vantrel::rustsyn {
namespace {

using ::testing::ElementsAre;

struct Parsed {
  std::shared_ptr<const SourceFile> file;
  std::vector<Item> items;
  std::string_view slice(Range r) const { return file->text().substr(r.start, r.end - r.start); }
};

Parsed parse(std::string source) {
  Parsed p{SourceFile::parse(std::move(source)), {}};
  EXPECT_FALSE(p.file->error().has_value()) << p.file->error()->message;
  p.items = items_of(p.file->root());
  return p;
}

/// The cursor over the arguments of the first attribute of `#[...] struct S;`.
struct AttrArgs {
  Parsed parsed;
  TokenCursor cursor;
};
AttrArgs attr_args(std::string attr) {
  AttrArgs a{parse(attr + "\nstruct S;"), {}};
  a.cursor = a.parsed.items.at(0).attrs().at(0).args();
  return a;
}

TEST(TokenCursor, ClassifiesLeaves) {
  auto a = attr_args("#[x(get, \"/p\", -> 'a, 1u8, -5, a::b, r#\"raw\"#, [y], fn, true)]");
  std::vector<std::pair<TokenKind, std::string_view>> got;
  for (const Token& t : a.cursor.tokens()) got.emplace_back(t.kind, t.text);
  using K = TokenKind;
  EXPECT_THAT(got, ElementsAre(std::pair{K::Ident, "get"}, std::pair{K::Punct, ","},
                               std::pair{K::Literal, "\"/p\""}, std::pair{K::Punct, ","},
                               std::pair{K::Punct, "->"}, std::pair{K::Lifetime, "'a"}, std::pair{K::Punct, ","},
                               std::pair{K::Literal, "1u8"}, std::pair{K::Punct, ","}, std::pair{K::Punct, "-"},
                               std::pair{K::Literal, "5"}, std::pair{K::Punct, ","}, std::pair{K::Ident, "a"},
                               std::pair{K::Punct, "::"}, std::pair{K::Ident, "b"}, std::pair{K::Punct, ","},
                               std::pair{K::Literal, "r#\"raw\"#"}, std::pair{K::Punct, ","},
                               std::pair{K::Group, "[y]"}, std::pair{K::Punct, ","}, std::pair{K::Ident, "fn"},
                               std::pair{K::Punct, ","}, std::pair{K::Literal, "true"}));
  EXPECT_EQ(a.cursor.tokens()[18].delimiter, Delimiter::Bracket);
}

TEST(TokenCursor, ParseHelpersConsumeOnSuccess) {
  auto a = attr_args("#[api(get, \"/users/{id}\", allow_unused,)]");
  TokenCursor& c = a.cursor;
  auto method = c.expect_ident();
  ASSERT_TRUE(method.ok());
  EXPECT_EQ(method->text, "get");
  EXPECT_TRUE(c.expect_punct(",").ok());
  auto route = c.expect_str_lit();
  ASSERT_TRUE(route.ok());
  EXPECT_EQ(route->string_value().value(), "/users/{id}");
  EXPECT_EQ(a.parsed.slice(route->range()), "\"/users/{id}\"");
  EXPECT_TRUE(c.eat_punct(","));
  EXPECT_FALSE(c.eat_punct(","));
  EXPECT_TRUE(c.expect_ident().ok());
  EXPECT_TRUE(c.eat_punct(","));
  EXPECT_TRUE(c.at_end());
  EXPECT_TRUE(c.expect_end().ok());
}

TEST(TokenCursor, FailuresCarryMessageAndRange) {
  struct Case {
    std::string attr;
    int skip;  // tokens consumed before the failing helper
    std::string_view helper;
    std::string_view message;
    std::string_view at;  // source text of the error range
  } cases[] = {
      {"#[a(get \"/x\")]", 1, "comma", "expected `,`", "\"/x\""},
      {"#[a(get)]", 1, "comma", "unexpected end of input, expected `,`", ")"},
      {"#[a(1)]", 0, "ident", "expected identifier", "1"},
      {"#[a(x)]", 0, "str", "expected string literal", "x"},
      {"#[a(b\"x\")]", 0, "int", "expected integer literal", "b\"x\""},
      {"#[a()]", 0, "str", "unexpected end of input, expected string literal", ")"},
      {"#[a(x y)]", 1, "end", "unexpected token", "y"},
      {"#[a(x)]", 0, "group", "expected parentheses", "x"},
      {"#[a(::)]", 0, "path", "unexpected end of input, expected identifier", ")"},
      {"#[a[x]]", 1, "comma", "unexpected end of input, expected `,`", "]"},
  };
  for (const auto& c : cases) {
    auto a = attr_args(c.attr);
    for (int i = 0; i < c.skip; ++i) a.cursor.next();
    std::optional<SynError> error;
    auto capture = [&error](auto result) {
      if (!result.ok()) error = result.error();
    };
    if (c.helper == "comma") capture(a.cursor.expect_punct(","));
    if (c.helper == "ident") capture(a.cursor.expect_ident());
    if (c.helper == "str") capture(a.cursor.expect_str_lit());
    if (c.helper == "int") capture(a.cursor.expect_int_lit());
    if (c.helper == "end") capture(a.cursor.expect_end());
    if (c.helper == "group") capture(a.cursor.expect_group(Delimiter::Paren));
    if (c.helper == "path") capture(a.cursor.parse_path());
    ASSERT_TRUE(error) << c.attr;
    EXPECT_EQ(error->message, c.message) << c.attr;
    EXPECT_EQ(a.parsed.slice(error->range), c.at) << c.attr;
  }
}

TEST(TokenCursor, PathsAndNestedGroups) {
  auto a = attr_args("#[cfg(all(test, unix), ::a::b = \"v\")]");
  TokenCursor& c = a.cursor;
  auto all = c.parse_path();
  ASSERT_TRUE(all.ok());
  EXPECT_TRUE(all->is_ident("all"));
  auto inner = c.expect_group(Delimiter::Paren);
  ASSERT_TRUE(inner.ok());
  EXPECT_TRUE(inner->expect_ident().ok());
  EXPECT_TRUE(inner->expect_punct(",").ok());
  EXPECT_EQ(inner->expect_ident()->text, "unix");
  EXPECT_TRUE(inner->expect_end().ok());
  EXPECT_TRUE(c.eat_punct(","));
  auto path = c.parse_path();
  ASSERT_TRUE(path.ok());
  EXPECT_TRUE(path->leading_colon);
  EXPECT_EQ(path->segments.size(), 2u);
  EXPECT_EQ(a.parsed.slice(path->range), "::a::b");
  EXPECT_TRUE(c.expect_punct("=").ok());
  EXPECT_TRUE(c.expect_str_lit().ok());
}

Lit first_lit(const AttrArgs& a) { return *a.cursor.tokens().at(0).lit(); }

TEST(Literals, StringValues) {
  struct Case {
    std::string lit;
    std::string value;
  } cases[] = {
      {R"("plain")", "plain"},
      {R"("a\nb\tc\\d\"e\'f\0")", std::string("a\nb\tc\\d\"e'f\0", 12)},
      {R"("\u{48}\u{e9}\u{1F600}\x41")", "H\xc3\xa9\xf0\x9f\x98\x80" "A"},
      {"\"line \\\n     continued\"", "line continued"},
      {"\"crlf\r\nline\"", "crlf\nline"},
      {R"(r"raw \n")", "raw \\n"},
      {R"(r#"with "quotes""#)", "with \"quotes\""},
      {R"(b"by\xff\n")", "by\xff\n"},
      {R"(br"x\y")", "x\\y"},
      {R"("")", ""},
  };
  for (const auto& c : cases) {
    auto a = attr_args("#[a(" + c.lit + ")]");
    auto value = first_lit(a).string_value();
    ASSERT_TRUE(value.ok()) << c.lit << ": " << value.error().message;
    EXPECT_EQ(value.value(), c.value) << c.lit;
  }
}

TEST(Literals, BadEscapesPointAtTheEscape) {
  struct Case {
    std::string lit;
    std::string_view message;
    std::string_view at;
  } cases[] = {
      {R"("a\qb")", "unknown character escape: `q`", "\\q"},
      {R"("\x80")", "out of range hex escape: must be at most \\x7F", "\\x80"},
      {R"("\u{D800}")", "invalid unicode character escape: not a Unicode scalar value", "\\u{D800}"},
      {R"("\u{1234567}")", "invalid unicode escape", "\\u{1234567}"},
      {R"(b"\u{41}")", "unicode escape in byte string", "\\u"},
  };
  for (const auto& c : cases) {
    auto a = attr_args("#[a(" + c.lit + ")]");
    auto value = first_lit(a).string_value();
    ASSERT_FALSE(value.ok()) << c.lit;
    EXPECT_EQ(value.error().message, c.message) << c.lit;
    EXPECT_EQ(a.parsed.slice(value.error().range), c.at) << c.lit;
  }
}

TEST(Literals, IntegersInBase10WithSuffixesAndOverflow) {
  struct Case {
    std::string lit;
    std::string_view suffix;
    std::optional<uint16_t> u16;
    std::string_view error;
  } cases[] = {
      {"404", "", 404, ""},
      {"404u16", "u16", 404, ""},
      {"4_0_4", "", 404, ""},
      {"0x1F", "", 31, ""},
      {"0xffu8", "u8", 255, ""},
      {"0b101", "", 5, ""},
      {"65535", "", 65535, ""},
      {"65536", "", std::nullopt, "number too large to fit in target type"},
      {"99999999999999999999999", "", std::nullopt, "number too large to fit in target type"},
  };
  for (const auto& c : cases) {
    auto a = attr_args("#[a(" + c.lit + ")]");
    Lit lit = first_lit(a);
    EXPECT_EQ(lit.kind(), LitKind::Int) << c.lit;
    EXPECT_EQ(lit.suffix(), c.suffix) << c.lit;
    auto value = lit.base10_parse<uint16_t>();
    if (c.u16) {
      ASSERT_TRUE(value.ok()) << c.lit;
      EXPECT_EQ(value.value(), *c.u16) << c.lit;
    } else {
      ASSERT_FALSE(value.ok()) << c.lit;
      EXPECT_EQ(value.error().message, c.error) << c.lit;
      EXPECT_EQ(a.parsed.slice(value.error().range), c.lit);
    }
  }
  auto wide = attr_args("#[a(18446744073709551615u64)]");
  EXPECT_EQ(first_lit(wide).base10_parse<uint64_t>().value(), 18446744073709551615ull);
  auto str = attr_args("#[a(\"7\")]");
  EXPECT_EQ(first_lit(str).base10_parse<uint16_t>().error().message, "expected integer literal");
  auto num = attr_args("#[a(7)]");
  EXPECT_EQ(first_lit(num).string_value().error().message, "expected string literal");
}

TEST(PrintTokens, LeafTokensJoinedBySpaces) {
  auto p = parse(
      "type A = Vec<Option<&'a str>>;\n"
      "type B = <T as Tr>::X;\n"
      "#[api(get, \"/x\", 'b)]\nfn f() { a.b(\"s\", 'c', 1u8) /* gone */ }");
  EXPECT_EQ(print_tokens(TypeAliasItem(p.items[0].node()).ty()->node()), "Vec < Option < & 'a str > >");
  EXPECT_EQ(print_tokens(p.items[0].node()), "type A = Vec < Option < & 'a str > > ;");
  EXPECT_EQ(print_tokens(TypeAliasItem(p.items[1].node()).ty()->node()), "< T as Tr > :: X");
  EXPECT_EQ(print_tokens(p.items[2].attrs()[0].node()), "# [ api ( get , \"/x\" , 'b ) ]");
  EXPECT_EQ(print_tokens(FnItem(p.items[2].node()).body()), "{ a . b ( \"s\" , 'c' , 1u8 ) }");
}

TEST(Types, KindsAndParts) {
  struct Case {
    std::string_view type;
    TypeKind kind;
  } cases[] = {
      {"u8", TypeKind::Path},         {"a::B<T>", TypeKind::Path},      {"<T as Tr>::X", TypeKind::Path},
      {"&'a mut T", TypeKind::Reference}, {"*const T", TypeKind::Pointer}, {"[T]", TypeKind::Slice},
      {"[T; 4]", TypeKind::Array},    {"(A, B)", TypeKind::Tuple},      {"(A,)", TypeKind::Tuple},
      {"()", TypeKind::Unit},         {"(A)", TypeKind::Paren},         {"fn(u8) -> u8", TypeKind::FnPointer},
      {"dyn Tr", TypeKind::TraitObject}, {"dyn Fn() + Send", TypeKind::TraitObject},
      {"impl Tr", TypeKind::ImplTrait}, {"impl Fn() + Send", TypeKind::ImplTrait},
      {"_", TypeKind::Infer},         {"!", TypeKind::Never},           {"m!()", TypeKind::Macro},
  };
  for (const auto& c : cases) {
    auto p = parse("type X = " + std::string(c.type) + ";");
    auto ty = TypeAliasItem(p.items.at(0).node()).ty();
    ASSERT_TRUE(ty) << c.type;
    EXPECT_EQ(ty->kind(), c.kind) << c.type;
  }
}

TEST(Types, PathsSplitSegmentsAndGenericArguments) {
  auto p = parse("type X = ::a::b::C<'x, u8, 3, {N}, Item = T>;\ntype Y = <T as a::Tr>::Out;\ntype Z = &'a mut [Vec<u8>; 2];\n"
                 "type W = dyn std::error::Error + Send;\ntype V = (A, B);");
  auto x = TypeAliasItem(p.items[0].node()).ty()->path();
  ASSERT_TRUE(x);
  EXPECT_TRUE(x->leading_colon);
  ASSERT_EQ(x->segments.size(), 3u);
  EXPECT_EQ(x->segments[0].ident.text, "a");
  EXPECT_FALSE(x->segments[0].has_angle_args());
  EXPECT_EQ(x->segments[2].ident.text, "C");
  auto args = x->segments[2].generic_args();
  ASSERT_EQ(args.size(), 5u);
  EXPECT_EQ(args[0].kind, GenericArg::Kind::Lifetime);
  EXPECT_EQ(args[1].kind, GenericArg::Kind::Type);
  EXPECT_EQ(args[2].kind, GenericArg::Kind::Const);
  EXPECT_EQ(args[3].kind, GenericArg::Kind::Const);
  EXPECT_EQ(args[4].kind, GenericArg::Kind::Binding);
  EXPECT_EQ(args[4].binding_name()->text, "Item");
  EXPECT_EQ(x->segments[2].type_args().size(), 1u);

  auto y = TypeAliasItem(p.items[1].node()).ty()->path();
  ASSERT_TRUE(y && y->qself);
  EXPECT_EQ(y->qself->self_type.last_ident(), "T");
  EXPECT_EQ(y->qself->trait->path()->segments.size(), 2u);
  ASSERT_EQ(y->segments.size(), 1u);
  EXPECT_EQ(y->segments[0].ident.text, "Out");

  auto z = TypeAliasItem(p.items[2].node()).ty();
  EXPECT_TRUE(z->is_mut());
  EXPECT_EQ(z->lifetime().text(), "'a");
  auto arr = z->elem();
  EXPECT_EQ(arr->kind(), TypeKind::Array);
  EXPECT_EQ(arr->array_len().text(), "2");
  EXPECT_EQ(arr->elem()->last_ident(), "Vec");

  auto w = TypeAliasItem(p.items[3].node()).ty();
  auto bounds = w->bounds();
  ASSERT_EQ(bounds.size(), 2u);
  EXPECT_EQ(Type(bounds[0]).path()->segments.size(), 3u);
  EXPECT_EQ(bounds[1].text(), "Send");
  EXPECT_EQ(TypeAliasItem(p.items[4].node()).ty()->elems().size(), 2u);
}

TEST(MethodCalls, PostOrderWithClosuresAndBlocks) {
  auto p = parse(
      "fn router() {\n"
      "  let r = Router::new().endpoint(a(x.inner())).nest(\"/p\", users::router());\n"
      "  let f = |y| { y.in_closure() };\n"
      "  if c { z.in_block::<u8>(1, 2) }\n"
      "  free(w.arg());\n"
      "  t.0(1);\n"
      "  m!(q.in_macro());\n"
      "}");
  std::vector<std::string> seen;
  walk_method_calls(FnItem(p.items[0].node()).body(), [&](const MethodCall& mc) {
    seen.push_back(std::string(mc.method.text) + "/" + std::to_string(mc.args.size()) +
                   (mc.turbofish ? "/turbofish" : ""));
  });
  EXPECT_THAT(seen, ElementsAre("inner/0", "endpoint/1", "nest/2", "in_closure/0", "in_block/2/turbofish", "arg/0"));
}

TEST(MethodCalls, ReceiverAndArgumentNodes) {
  auto p = parse("fn f() { base.endpoint(users::get) }");
  std::vector<MethodCall> calls;
  walk_method_calls(p.file->root(), [&](const MethodCall& mc) { calls.push_back(mc); });
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].receiver.text(), "base");
  ASSERT_EQ(calls[0].args.size(), 1u);
  EXPECT_TRUE(calls[0].args[0].is("scoped_identifier"));
  EXPECT_EQ(p.slice(calls[0].range()), "base.endpoint(users::get)");
}

}  // namespace
}  // namespace vantrel::rustsyn
