// Serde attribute reading, the position rules and field wire shapes.
#include "syntax/serde_attrs.h"

#include <functional>

#include <gtest/gtest.h>

#include "parse_util.h"

namespace vantrel::syntax {
namespace {

using model::Optionality;
using testing::Snippet;

base::Result<SerdeAttrs, SynError> read(const Snippet& s) { return SerdeAttrs::from_attrs(s.item().attrs()); }

TEST(SerdeAttrs, MergesEveryAttributeInOrder) {
  struct Case {
    std::string attrs;
    std::function<void(const SerdeAttrs&)> check;
  };
  const Case cases[] = {
      {"", [](const SerdeAttrs& a) { EXPECT_EQ(a, SerdeAttrs{}); }},
      {"#[serde()]", [](const SerdeAttrs& a) { EXPECT_EQ(a, SerdeAttrs{}); }},
      {"#[serde(rename = \"id\", rename = \"key\")]", [](const SerdeAttrs& a) { EXPECT_EQ(a.rename, "key"); }},
      {"#[serde(rename = \"id\")]\n#[serde(rename = r\"k\\ey\")]",
       [](const SerdeAttrs& a) { EXPECT_EQ(a.rename, "k\\ey"); }},
      {"#[serde(alias = \"a\")]\n#[serde(alias = \"b\",)]",
       [](const SerdeAttrs& a) { EXPECT_EQ(a.aliases, (std::vector<std::string>{"a", "b"})); }},
      {"#[serde(tag = \"_tag\", rename_all = \"camelCase\", rename_all_fields = \"kebab-case\")]",
       [](const SerdeAttrs& a) {
         EXPECT_EQ(a.tag, "_tag");
         EXPECT_EQ(a.rename_all, RenameRule::CamelCase);
         EXPECT_EQ(a.rename_all_fields, RenameRule::KebabCase);
       }},
      {"#[serde(transparent, deny_unknown_fields)]",
       [](const SerdeAttrs& a) {
         EXPECT_TRUE(a.transparent);
         EXPECT_TRUE(a.deny_unknown_fields);
         EXPECT_FALSE(a.use_default);
       }},
      {"#[serde(default)]", [](const SerdeAttrs& a) { EXPECT_TRUE(a.use_default); }},
      {"#[serde(default = \"make_default\")]", [](const SerdeAttrs& a) { EXPECT_TRUE(a.use_default); }},
      {"#[serde(skip_serializing_if = \"Option::is_none\")]",
       [](const SerdeAttrs& a) { EXPECT_TRUE(a.skip_serializing_if_none); }},
      {"#[serde(skip_serializing_if = \"std::option::Option::is_none\")]",
       [](const SerdeAttrs& a) { EXPECT_TRUE(a.skip_serializing_if_none); }},
      {"#[derive(Serialize)]\n/// doc\n#[other(flatten)]\n#[serde(rename = \"x\")]",
       [](const SerdeAttrs& a) { EXPECT_EQ(a.rename, "x"); }},
  };
  for (const Case& c : cases) {
    Snippet s(c.attrs + "\nstruct S;");
    auto attrs = read(s);
    ASSERT_TRUE(attrs.ok()) << c.attrs << ": " << attrs.error().message;
    c.check(*attrs);
  }
}

TEST(SerdeAttrs, RefusesUnsupportedEntriesWithRanges) {
  const std::string kSkip =
      "serde skip attributes are not represented in the API contract; remove skipped fields from the exported DTO "
      "or use a separate API DTO";
  const std::string kWith =
      "custom serde serializers are not supported by vantrel unless an explicit API wire-shape override is added; "
      "use a representable API DTO or newtype instead";
  const std::string kUnsupported = "unsupported serde attribute for vantrel API types";
  struct Case {
    std::string attrs;
    std::string message;
    std::string at;
    size_t nth = 0;
  };
  const Case cases[] = {
      {"#[serde(rename(serialize = \"a\", deserialize = \"b\"))]",
       "serde rename with separate serialize/deserialize names is not supported by vantrel; use rename = \"...\" "
       "for one wire name",
       "rename(serialize = \"a\", deserialize = \"b\")"},
      {"#[serde(rename_all = \"lowercase\")]", "unsupported serde rename_all rule `lowercase`", "\"lowercase\""},
      {"#[serde(rename_all_fields = \"SCREAMING-KEBAB-CASE\")]",
       "unsupported serde rename_all rule `SCREAMING-KEBAB-CASE`", "\"SCREAMING-KEBAB-CASE\""},
      {"#[serde(tag = \"t\", content = \"c\")]",
       "serde content is not supported by vantrel; generated API enums use internally tagged #[serde(tag = "
       "\"_tag\")] shapes",
       "content = \"c\""},
      {"#[serde(untagged)]",
       "serde untagged enums are not supported by vantrel because generated schemas require an explicit _tag "
       "discriminator",
       "untagged"},
      {"#[serde(flatten)]",
       "serde flatten is not supported by vantrel yet; use a named nested DTO field so the generated schema has an "
       "explicit shape",
       "flatten"},
      {"#[serde(skip)]", kSkip, "skip"},
      {"#[serde(skip_serializing)]", kSkip, "skip_serializing"},
      {"#[serde(skip_deserializing)]", kSkip, "skip_deserializing"},
      {"#[serde(skip_serializing_if = \"Vec::is_empty\")]",
       "vantrel supports only #[serde(skip_serializing_if = \"Option::is_none\")] today; other predicates would "
       "make the generated wire shape inaccurate",
       "\"Vec::is_empty\""},
      {"#[serde(skip_serializing_if = \"Option::is_none_or\")]",
       "vantrel supports only #[serde(skip_serializing_if = \"Option::is_none\")] today; other predicates would "
       "make the generated wire shape inaccurate",
       "\"Option::is_none_or\""},
      {"#[serde(with = \"x\")]", kWith, "with = \"x\""},
      {"#[serde(serialize_with = \"x\")]", kWith, "serialize_with = \"x\""},
      {"#[serde(deserialize_with = \"x\")]", kWith, "deserialize_with = \"x\""},
      {"#[serde(bound = \"T: Api\")]", kUnsupported, "bound = \"T: Api\""},
      {"#[serde(serde::rename = \"x\")]", kUnsupported, "serde::rename = \"x\""},
      {"#[serde(Rename = \"x\")]", kUnsupported, "Rename = \"x\""},
      // The first failure ends reading, across attributes too.
      {"#[serde(rename = \"a\")]\n#[serde(untagged, flatten)]",
       "serde untagged enums are not supported by vantrel because generated schemas require an explicit _tag "
       "discriminator",
       "untagged"},
      // The parser's own messages.
      {"#[serde(rename)]", "unexpected end of input, expected `=`", ")"},
      {"#[serde(rename = 1)]", "expected string literal", "1"},
      {"#[serde(rename = b\"x\")]", "expected string literal", "b\"x\""},
      {"#[serde(alias)]", "unexpected end of input, expected `=`", ")"},
      {"#[serde(tag \"x\")]", "expected `=`", "\"x\""},
      {"#[serde(default = make_default)]", "expected string literal", "make_default"},
      {"#[serde(rename = \"a\" alias = \"b\")]", "expected `,`", "alias"},
      {"#[serde(transparent = \"yes\")]", "expected `,`", "="},
      {"#[serde(, rename = \"a\")]", "expected identifier", ","},
      {"#[serde(rename = \"a\",,)]", "expected identifier", ",", 1},
      {"#[serde]", "expected attribute arguments in parentheses: #[serde(...)]", "serde"},
      {"#[serde = \"x\"]", "expected parentheses: #[serde(...)]", "="},
  };
  for (const Case& c : cases) {
    Snippet s(c.attrs + "\nstruct S;");
    auto attrs = read(s);
    ASSERT_FALSE(attrs.ok()) << c.attrs;
    EXPECT_EQ(attrs.error().message, c.message) << c.attrs;
    EXPECT_EQ(attrs.error().range, s.range_of(c.at, c.nth)) << c.attrs;
  }
}

using Validator = base::Result<base::Unit, SynError> (*)(const SerdeAttrs&, std::string_view, Range);

SerdeAttrs with(std::function<void(SerdeAttrs&)> set) {
  SerdeAttrs a;
  set(a);
  return a;
}

TEST(SerdePositions, FirstBrokenRuleWinsWithTheLabel) {
  const auto tag = [](std::string t) { return with([t](SerdeAttrs& a) { a.tag = t; }); };
  const SerdeAttrs none;
  const SerdeAttrs renamed = with([](SerdeAttrs& a) {
    a.rename = "x";
    a.aliases = {"y"};
  });
  const SerdeAttrs rename_all = with([](SerdeAttrs& a) { a.rename_all = RenameRule::SnakeCase; });
  const SerdeAttrs rename_all_fields = with([](SerdeAttrs& a) { a.rename_all_fields = RenameRule::SnakeCase; });
  const SerdeAttrs transparent = with([](SerdeAttrs& a) { a.transparent = true; });
  const SerdeAttrs deny = with([](SerdeAttrs& a) { a.deny_unknown_fields = true; });
  const SerdeAttrs dflt = with([](SerdeAttrs& a) { a.use_default = true; });
  const SerdeAttrs skip_if = with([](SerdeAttrs& a) { a.skip_serializing_if_none = true; });
  const SerdeAttrs tag_and_rename_all = with([](SerdeAttrs& a) {
    a.tag = "x";
    a.rename_all = RenameRule::CamelCase;
  });
  const SerdeAttrs transparent_default_deny = with([](SerdeAttrs& a) {
    a.transparent = true;
    a.use_default = true;
    a.deny_unknown_fields = true;
  });
  const SerdeAttrs tagged_default = with([](SerdeAttrs& a) {
    a.tag = "_tag";
    a.use_default = true;
  });

  struct Case {
    const char* name;
    Validator validate;
    SerdeAttrs attrs;
    std::string_view label;
    std::string message;  ///< empty: accepted
  };
  const Case cases[] = {
      {"field none", validate_field, none, "Api", ""},
      {"field rename", validate_field, renamed, "Api", ""},
      {"field default", validate_field, dflt, "Api", ""},
      {"field skip_if", validate_field, skip_if, "Api", ""},
      {"field tag", validate_field, tag_and_rename_all, "Api", "Api fields cannot use serde tag"},
      {"field rename_all", validate_field, rename_all, "ApiError", "ApiError fields cannot use serde rename_all attributes"},
      {"field rename_all_fields", validate_field, rename_all_fields, "Api", "Api fields cannot use serde rename_all attributes"},
      {"field transparent", validate_field, transparent, "Api", "Api fields cannot use serde transparent"},
      {"field deny", validate_field, deny, "Api", "Api fields cannot use serde deny_unknown_fields"},

      {"variant none", validate_enum_variant, renamed, "Api", ""},
      {"variant rename_all", validate_enum_variant, rename_all, "Api", ""},
      {"variant tag", validate_enum_variant, tag("_tag"), "Api", "Api supports serde tag only on enum containers"},
      {"variant rename_all_fields", validate_enum_variant, rename_all_fields, "ApiError",
       "ApiError supports serde rename_all_fields only on enum containers"},
      {"variant default", validate_enum_variant, transparent_default_deny, "Api",
       "Api supports serde default only on fields"},
      {"variant transparent", validate_enum_variant, transparent, "Api", "Api enum variants cannot use serde transparent"},
      {"variant deny", validate_enum_variant, deny, "Api", "Api enum variants cannot use serde deny_unknown_fields"},

      {"enum tagged", validate_enum_container, tag("_tag"), "Api", ""},
      {"enum transparent", validate_enum_container, transparent_default_deny, "Api",
       "Api enums cannot use serde transparent"},
      {"enum default", validate_enum_container, tagged_default, "Api", "Api supports serde default only on fields"},
      {"enum deny", validate_enum_container, deny, "Api",
       "Api enums cannot use serde deny_unknown_fields; put it on payload DTOs with generated struct shapes instead"},
      {"enum untagged", validate_enum_container, none, "ApiError",
       "ApiError enums must use #[serde(tag = \"_tag\")] so Rust JSON and generated TypeScript schemas share the "
       "same discriminator"},
      {"enum other tag", validate_enum_container, tag("type"), "ApiError",
       "ApiError enums support only #[serde(tag = \"_tag\")] because generated TypeScript schemas use _tag "
       "discriminators; found tag `type`"},

      {"struct plain", validate_struct_container, rename_all, "Api", ""},
      {"struct transparent", validate_struct_container, transparent, "Api", ""},
      {"struct deny", validate_struct_container, deny, "Api", ""},
      {"struct tag", validate_struct_container, tag("_tag"), "Api", "Api supports serde tag only on enums"},
      {"struct rename_all_fields", validate_struct_container, rename_all_fields, "Api",
       "Api supports serde rename_all_fields only on enum containers with struct variants"},
      {"struct default", validate_struct_container, dflt, "Api", "Api supports serde default only on fields"},

      {"newtype plain", validate_newtype_container, renamed, "Api", ""},
      {"newtype transparent", validate_newtype_container, transparent, "Api", ""},
      {"newtype tag", validate_newtype_container, tag_and_rename_all, "Api", "Api supports serde tag only on enums"},
      {"newtype default", validate_newtype_container, transparent_default_deny, "Api",
       "Api supports serde default only on fields"},
      {"newtype rename_all", validate_newtype_container, rename_all_fields, "Api",
       "Api newtypes cannot use serde rename_all attributes"},
      {"newtype deny", validate_newtype_container, deny, "Api",
       "Api newtypes cannot use serde deny_unknown_fields because their wire shape is the inner value"},
  };
  const Range at{3, 9};
  for (const Case& c : cases) {
    auto result = c.validate(c.attrs, c.label, at);
    if (c.message.empty()) {
      EXPECT_TRUE(result.ok()) << c.name << ": " << result.error().message;
    } else {
      ASSERT_FALSE(result.ok()) << c.name;
      EXPECT_EQ(result.error(), (SynError{c.message, at})) << c.name;
    }
  }
}

TEST(SerdePositions, TransparentFieldCarriesNothing) {
  const std::string message =
      "Api serde transparent fields must not carry serde field-shape attributes because the exported wire shape is "
      "the inner value";
  EXPECT_TRUE(validate_transparent_field(SerdeAttrs{}, "Api", {}).ok());
  const std::function<void(SerdeAttrs&)> setters[] = {
      [](SerdeAttrs& a) { a.rename = "x"; },
      [](SerdeAttrs& a) { a.tag = "x"; },
      [](SerdeAttrs& a) { a.rename_all = RenameRule::CamelCase; },
      [](SerdeAttrs& a) { a.rename_all_fields = RenameRule::CamelCase; },
      [](SerdeAttrs& a) { a.transparent = true; },
      [](SerdeAttrs& a) { a.deny_unknown_fields = true; },
      [](SerdeAttrs& a) { a.use_default = true; },
      [](SerdeAttrs& a) { a.skip_serializing_if_none = true; },
      [](SerdeAttrs& a) { a.aliases.push_back("x"); },
  };
  for (size_t i = 0; i < std::size(setters); ++i) {
    auto result = validate_transparent_field(with(setters[i]), "Api", {5, 6});
    ASSERT_FALSE(result.ok()) << i;
    EXPECT_EQ(result.error(), (SynError{message, {5, 6}})) << i;
  }
}

TEST(FieldWireShape, FollowsTheOptionalityTable) {
  struct Case {
    std::string field;
    std::string wire_type;
    Optionality optionality;
  };
  const Case cases[] = {
      {"#[serde(skip_serializing_if = \"Option::is_none\")] f: Option<String>", "String",
       Optionality::OptionalNullable},
      {"#[serde(default, skip_serializing_if = \"Option::is_none\")] f: Option<u8>", "u8",
       Optionality::OptionalNullable},
      {"#[serde(default)] f: Option<String>", "String", Optionality::OptionalNullable},
      {"#[serde(default)] f: u32", "u32", Optionality::Optional},
      {"f: Option<String>", "String", Optionality::Nullable},
      {"f: std::option::Option<Vec<u8>>", "Vec<u8>", Optionality::Nullable},
      {"f: String", "String", Optionality::Required},
      {"f: Option", "Option", Optionality::Required},
      {"f: Option<'a>", "Option<'a>", Optionality::Required},
      {"f: Option<A, B>", "Option<A, B>", Optionality::Required},
      {"f: &Option<u8>", "&Option<u8>", Optionality::Required},
      {"f: Option<Option<u8>>", "Option<u8>", Optionality::Nullable},
  };
  for (const Case& c : cases) {
    Snippet s("struct S { " + c.field + " }");
    auto fields = rustsyn::StructItem(s.item().node()).fields();
    ASSERT_EQ(fields.list.size(), 1u) << c.field;
    const rustsyn::Field& field = fields.list[0];
    auto attrs = SerdeAttrs::from_attrs(field.attrs);
    ASSERT_TRUE(attrs.ok()) << c.field;
    auto shape = FieldWireShape::from_type(field.ty, *attrs);
    ASSERT_TRUE(shape.ok()) << c.field << ": " << shape.error().message;
    EXPECT_EQ(shape->ty.node().text(), c.wire_type) << c.field;
    EXPECT_EQ(shape->optionality, c.optionality) << c.field;
  }
}

TEST(FieldWireShape, SkipIfNoneNeedsAnOption) {
  Snippet s("struct S { #[serde(skip_serializing_if = \"Option::is_none\")] name: String }");
  const rustsyn::Field field = rustsyn::StructItem(s.item().node()).fields().list.at(0);
  auto attrs = SerdeAttrs::from_attrs(field.attrs);
  ASSERT_TRUE(attrs.ok());
  auto shape = FieldWireShape::from_type(field.ty, *attrs);
  ASSERT_FALSE(shape.ok());
  EXPECT_EQ(shape.error(),
            (SynError{"vantrel supports skip_serializing_if = \"Option::is_none\" only on Option<T> fields",
                      s.range_of("String")}));
}

}  // namespace
}  // namespace vantrel::syntax
