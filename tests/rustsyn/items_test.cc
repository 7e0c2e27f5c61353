// Item views: kinds, attribute grouping with doc comments, full ranges, use
// trees, fields, variants and function signatures.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "rustsyn/items.h"

namespace vantrel::rustsyn {
namespace {

using ::testing::ElementsAre;

std::string_view slice(const std::shared_ptr<const SourceFile>& file, Range r) {
  return file->text().substr(r.start, r.end - r.start);
}

std::vector<Item> parse_items(const std::shared_ptr<const SourceFile>& file) {
  EXPECT_FALSE(file->error().has_value()) << file->error()->message;
  return items_of(file->root());
}

TEST(Items, KindsAreDistinguished) {
  struct Case {
    std::string_view source;
    ItemKind kind;
    std::string_view name;
  } cases[] = {
      {"use a::b;", ItemKind::Use, ""},
      {"mod m;", ItemKind::Mod, "m"},
      {"mod m { fn f() {} }", ItemKind::Mod, "m"},
      {"struct S;", ItemKind::Struct, "S"},
      {"enum E { A }", ItemKind::Enum, "E"},
      {"async fn f() {}", ItemKind::Fn, "f"},
      {"type T = u8;", ItemKind::TypeAlias, "T"},
      {"impl S {}", ItemKind::Impl, ""},
      {"const C: u8 = 1;", ItemKind::Const, "C"},
      {"static S: u8 = 1;", ItemKind::Static, "S"},
      {"trait T {}", ItemKind::Trait, "T"},
      {"union U { a: u8 }", ItemKind::Union, ""},
      {"foo!(x);", ItemKind::MacroInvocation, ""},
      {"foo! { x }", ItemKind::MacroInvocation, ""},
      {"macro_rules! m { () => {} }", ItemKind::MacroRules, "m"},
      {"extern crate c as d;", ItemKind::ExternCrate, "c"},
      {"extern \"C\" { fn f(); }", ItemKind::ForeignMod, ""},
  };
  for (const auto& c : cases) {
    auto file = SourceFile::parse(std::string(c.source));
    auto items = parse_items(file);
    ASSERT_EQ(items.size(), 1u) << c.source;
    EXPECT_EQ(items[0].kind(), c.kind) << c.source;
    if (!c.name.empty()) {
      ASSERT_TRUE(items[0].ident()) << c.source;
      EXPECT_EQ(items[0].ident()->text, c.name) << c.source;
    }
  }
}

TEST(Items, InnerAttributesCommentsAndSemicolonsAreNotItems) {
  auto file = SourceFile::parse("#![allow(x)]\n//! inner doc\n// plain\n/* block */\nstruct A;;\nstruct B;");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 2u);
  EXPECT_TRUE(items[0].attrs().empty());
  EXPECT_TRUE(items[1].attrs().empty());
}

TEST(Items, AttributesAndDocCommentsAreGroupedInOrder) {
  auto file = SourceFile::parse(
      "struct Before;\n"
      "/// first line \n"
      "#[derive(Api)]\n"
      "// not a doc comment\n"
      "/** block doc */\n"
      "#[serde(rename = \"x\")]\n"
      "pub struct S;\n"
      "///\n"
      "fn f() {}\n");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 3u);
  EXPECT_TRUE(items[0].attrs().empty());
  const auto& attrs = items[1].attrs();
  ASSERT_EQ(attrs.size(), 4u);
  EXPECT_TRUE(attrs[0].is_doc_comment());
  EXPECT_TRUE(attrs[0].path_is("doc"));
  EXPECT_EQ(attrs[0].style(), AttrStyle::NameValue);
  EXPECT_EQ(attrs[0].value_lit()->string_value().value(), " first line ");
  EXPECT_EQ(slice(file, attrs[0].range()), "/// first line ");
  EXPECT_TRUE(attrs[1].path_is("derive"));
  EXPECT_EQ(attrs[1].style(), AttrStyle::List);
  EXPECT_EQ(attrs[2].value_lit()->string_value().value(), " block doc ");
  EXPECT_EQ(slice(file, attrs[2].range()), "/** block doc */");
  EXPECT_TRUE(attrs[3].path_is("serde"));
  EXPECT_EQ(slice(file, items[1].full_range()).substr(0, 3), "///");
  EXPECT_TRUE(slice(file, items[1].full_range()).ends_with("pub struct S;"));
  EXPECT_EQ(slice(file, items[1].range()), "pub struct S;");
  // A lone `///` is an empty doc line.
  ASSERT_EQ(items[2].attrs().size(), 1u);
  EXPECT_EQ(items[2].attrs()[0].value_lit()->string_value().value(), "");
}

TEST(Items, AttributeForms) {
  auto file = SourceFile::parse(
      "#[test]\n#[path = \"other.rs\"]\n#[a::b(x, 1)]\n#[doc = concat!(\"a\")]\n#[c[y]]\nmod m;");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 1u);
  const auto& a = items[0].attrs();
  ASSERT_EQ(a.size(), 5u);
  EXPECT_EQ(a[0].style(), AttrStyle::Word);
  EXPECT_TRUE(a[0].path().is_ident("test"));
  EXPECT_EQ(a[1].style(), AttrStyle::NameValue);
  EXPECT_EQ(a[1].value_lit()->string_value().value(), "other.rs");
  EXPECT_EQ(a[2].style(), AttrStyle::List);
  SimplePath p = a[2].path();
  ASSERT_EQ(p.segments.size(), 2u);
  EXPECT_EQ(p.segments[0].text, "a");
  EXPECT_EQ(p.last(), "b");
  EXPECT_FALSE(a[2].path_is("b"));
  EXPECT_EQ(a[2].args().tokens().size(), 3u);
  EXPECT_EQ(a[2].delimiter(), Delimiter::Paren);
  EXPECT_EQ(a[3].style(), AttrStyle::NameValue);
  EXPECT_FALSE(a[3].value_lit().has_value());
  EXPECT_TRUE(a[3].value_node().is("macro_invocation"));
  EXPECT_EQ(a[4].delimiter(), Delimiter::Bracket);
}

TEST(Items, UseTreesInPrefixForm) {
  auto file = SourceFile::parse("use ::a::b::{self, c as d, e::*, {f}, g::h};\nuse x::*;\nuse self;\nuse {self};");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 4u);
  UseTree t = UseItem(items[0].node()).tree();
  EXPECT_TRUE(t.leading_colon);
  EXPECT_EQ(t.kind, UseTree::Kind::Group);
  ASSERT_EQ(t.prefix.size(), 2u);
  EXPECT_EQ(t.prefix[0].text, "a");
  EXPECT_EQ(t.prefix[1].text, "b");
  ASSERT_EQ(t.items.size(), 5u);
  EXPECT_EQ(t.items[0].kind, UseTree::Kind::Name);
  EXPECT_EQ(t.items[0].name.text, "self");
  EXPECT_EQ(t.items[1].kind, UseTree::Kind::Rename);
  EXPECT_EQ(t.items[1].name.text, "c");
  EXPECT_EQ(t.items[1].alias.text, "d");
  EXPECT_EQ(t.items[2].kind, UseTree::Kind::Glob);
  ASSERT_EQ(t.items[2].prefix.size(), 1u);
  EXPECT_EQ(t.items[2].prefix[0].text, "e");
  EXPECT_EQ(t.items[3].kind, UseTree::Kind::Group);
  ASSERT_EQ(t.items[3].items.size(), 1u);
  EXPECT_EQ(t.items[3].items[0].name.text, "f");
  EXPECT_EQ(t.items[4].prefix[0].text, "g");
  EXPECT_EQ(t.items[4].name.text, "h");
  UseTree glob = UseItem(items[1].node()).tree();
  EXPECT_EQ(glob.kind, UseTree::Kind::Glob);
  EXPECT_FALSE(glob.leading_colon);
  UseTree self_only = UseItem(items[2].node()).tree();
  EXPECT_EQ(self_only.kind, UseTree::Kind::Name);
  EXPECT_TRUE(self_only.prefix.empty());
  EXPECT_EQ(self_only.name.text, "self");
  UseTree group = UseItem(items[3].node()).tree();
  EXPECT_EQ(group.kind, UseTree::Kind::Group);
  EXPECT_TRUE(group.prefix.empty());
}

TEST(Items, DeeplyNestedUseGroupsDoNotRecurse) {
  std::string src = "use a::";
  for (int i = 0; i < 3000; ++i) src += "{b::";
  src += "c";
  for (int i = 0; i < 3000; ++i) src += "}";
  src += ";";
  auto file = SourceFile::parse(src);
  auto items = items_of(file->root());
  ASSERT_FALSE(items.empty());
  UseTree t = UseItem(items[0].node()).tree();
  EXPECT_EQ(t.kind, UseTree::Kind::Group);
}

TEST(Items, StructFieldsNamedTupleUnit) {
  auto file = SourceFile::parse(
      "struct N<T> where T: Copy {\n  /// the id\n  #[serde(rename = \"x\")]\n  pub id: u32,\n  name: T,\n}\n"
      "struct T(#[a] pub u8, /// d\n String);\n"
      "struct U;");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 3u);
  StructItem n(items[0].node());
  EXPECT_EQ(n.name().text, "N");
  EXPECT_FALSE(n.generics().is_empty());
  EXPECT_EQ(slice(file, n.generics().range()), "<T> where T: Copy");
  Fields f = n.fields();
  EXPECT_EQ(f.kind, FieldsKind::Named);
  ASSERT_EQ(f.list.size(), 2u);
  EXPECT_EQ(f.list[0].name->text, "id");
  EXPECT_EQ(f.list[0].attrs.size(), 2u);
  EXPECT_EQ(slice(file, f.list[0].range), "pub id: u32");
  EXPECT_TRUE(slice(file, f.list[0].full_range).starts_with("/// the id"));
  EXPECT_EQ(slice(file, f.list[1].ty.range()), "T");

  Fields t = StructItem(items[1].node()).fields();
  EXPECT_EQ(t.kind, FieldsKind::Tuple);
  ASSERT_EQ(t.list.size(), 2u);
  EXPECT_FALSE(t.list[0].name);
  EXPECT_EQ(t.list[0].attrs.size(), 1u);
  EXPECT_EQ(slice(file, t.list[0].range), "pub u8");
  EXPECT_EQ(slice(file, t.list[0].full_range), "#[a] pub u8");
  EXPECT_EQ(t.list[1].attrs.size(), 1u);
  EXPECT_EQ(slice(file, t.list[1].ty.range()), "String");

  StructItem u(items[2].node());
  EXPECT_EQ(u.fields().kind, FieldsKind::Unit);
  EXPECT_TRUE(u.generics().is_empty());
}

TEST(Items, EnumVariants) {
  auto file = SourceFile::parse(
      "enum E {\n  /// doc\n  #[status(404)]\n  A { x: u8 },\n  B(u8, u16),\n  C = 3,\n}");
  auto items = parse_items(file);
  auto variants = EnumItem(items[0].node()).variants();
  ASSERT_EQ(variants.size(), 3u);
  EXPECT_EQ(variants[0].name.text, "A");
  EXPECT_EQ(variants[0].fields.kind, FieldsKind::Named);
  ASSERT_EQ(variants[0].attrs.size(), 2u);
  EXPECT_TRUE(variants[0].attrs[1].path_is("status"));
  EXPECT_EQ(slice(file, variants[0].range()), "A { x: u8 }");
  EXPECT_EQ(slice(file, variants[0].full_range()), "/// doc\n  #[status(404)]\n  A { x: u8 }");
  EXPECT_EQ(variants[1].fields.kind, FieldsKind::Tuple);
  EXPECT_EQ(variants[1].fields.list.size(), 2u);
  EXPECT_TRUE(variants[1].attrs.empty());
  EXPECT_EQ(variants[2].fields.kind, FieldsKind::Unit);
  EXPECT_EQ(variants[2].discriminant.text(), "3");
}

TEST(Items, FunctionSignature) {
  auto file = SourceFile::parse(
      "pub async fn get<T>(&mut self, mut id: Path<u8>, (a, b): (A, B), _: X, ref r: Y) -> Result<Json<U>, E>\n"
      "where T: Copy { body() }\n"
      "fn plain() {}\n"
      "impl S { fn typed(self: Box<Self>) {} }\n"
      "trait Tr { fn sig(&self); }\n");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 4u);
  FnItem f(items[0].node());
  EXPECT_TRUE(f.is_async());
  EXPECT_EQ(slice(file, f.fn_token()), "fn");
  EXPECT_EQ(f.name().text, "get");
  EXPECT_FALSE(f.generics().is_empty());
  auto recv = f.receiver();
  ASSERT_TRUE(recv);
  EXPECT_TRUE(recv->is_ref);
  EXPECT_TRUE(recv->is_mut);
  auto args = f.args();
  ASSERT_EQ(args.size(), 4u);
  ASSERT_TRUE(args[0].ident_pattern());
  EXPECT_EQ(args[0].ident_pattern()->name.text, "id");
  EXPECT_TRUE(args[0].ident_pattern()->is_mut);
  EXPECT_EQ(slice(file, args[0].ty.range()), "Path<u8>");
  EXPECT_FALSE(args[1].ident_pattern());
  EXPECT_TRUE(args[1].pattern.is("tuple_pattern"));
  EXPECT_FALSE(args[2].ident_pattern());
  ASSERT_TRUE(args[3].ident_pattern());
  EXPECT_TRUE(args[3].ident_pattern()->by_ref);
  EXPECT_EQ(slice(file, f.return_type()->range()), "Result<Json<U>, E>");
  EXPECT_EQ(slice(file, f.signature_range()).substr(0, 9), "async fn ");
  EXPECT_TRUE(slice(file, f.signature_range()).ends_with("where T: Copy"));
  EXPECT_TRUE(f.body().is("block"));

  FnItem plain(items[1].node());
  EXPECT_FALSE(plain.is_async());
  EXPECT_TRUE(plain.generics().is_empty());
  EXPECT_FALSE(plain.receiver());
  EXPECT_FALSE(plain.return_type());
  EXPECT_EQ(slice(file, plain.signature_range()), "fn plain()");

  auto impl_items = ImplItem(items[2].node()).items();
  ASSERT_EQ(impl_items.size(), 1u);
  FnItem typed(impl_items[0].node());
  ASSERT_TRUE(typed.receiver());
  ASSERT_TRUE(typed.receiver()->ty);
  EXPECT_TRUE(typed.args().empty());

  auto trait_items = TraitItem(items[3].node()).items();
  ASSERT_EQ(trait_items.size(), 1u);
  EXPECT_EQ(trait_items[0].kind(), ItemKind::Fn);
  EXPECT_TRUE(FnItem(trait_items[0].node()).body().is_null());
}

TEST(Items, ModulesAndOtherViews) {
  auto file = SourceFile::parse(
      "mod a;\n#[cfg(test)] mod b { /// d\n struct X; mod c {} }\n"
      "impl<T> Tr for S<T> { const K: u8 = 1; }\n"
      "type A<T> = Vec<T>;\nextern crate foo as bar;\nm::mac!(x);\n");
  auto items = parse_items(file);
  ASSERT_EQ(items.size(), 6u);
  EXPECT_FALSE(ModItem(items[0].node()).has_body());
  EXPECT_TRUE(ModItem(items[0].node()).items().empty());
  ModItem b(items[1].node());
  EXPECT_TRUE(b.has_body());
  EXPECT_EQ(items[1].attrs().size(), 1u);
  auto inner = b.items();
  ASSERT_EQ(inner.size(), 2u);
  EXPECT_EQ(inner[0].attrs().size(), 1u);
  EXPECT_EQ(inner[1].kind(), ItemKind::Mod);
  ImplItem impl(items[2].node());
  EXPECT_EQ(impl.trait()->last_ident(), "Tr");
  EXPECT_EQ(impl.self_type().last_ident(), "S");
  EXPECT_FALSE(impl.generics().is_empty());
  ASSERT_EQ(impl.items().size(), 1u);
  EXPECT_EQ(impl.items()[0].kind(), ItemKind::Const);
  TypeAliasItem alias(items[3].node());
  EXPECT_EQ(alias.ty()->last_ident(), "Vec");
  ExternCrateItem ec(items[4].node());
  EXPECT_EQ(ec.name().text, "foo");
  EXPECT_EQ(ec.alias()->text, "bar");
  MacroItem mac(items[5].node());
  EXPECT_EQ(mac.path().segments.size(), 2u);
  EXPECT_EQ(mac.tokens().text(), "(x)");
}

TEST(Items, ViewsKeepTheFileAlive) {
  Item item = [] {
    auto file = SourceFile::parse(std::string("/// kept\nstruct Kept;"));
    return items_of(file->root()).at(0);
  }();
  EXPECT_EQ(item.ident()->text, "Kept");
  EXPECT_EQ(item.attrs()[0].value_lit()->string_value().value(), " kept");
}

}  // namespace
}  // namespace vantrel::rustsyn
