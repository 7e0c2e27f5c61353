// Type lowering over small in-memory crates: the field types an API position
// accepts and the diagnostics for the rest, derive detection, declarations of
// every shape with their serde names and ids, aliases and their cycles,
// recursive types, and input built to exhaust the stack.
#include "engine/extract/lower_types.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "lowering_fixture.h"

namespace vantrel::engine::extract {
namespace {

using testing::describe;
using testing::MemoryCrates;

const ModulePath kApp{"app"};

model::SymbolId type_id(const ModulePath& module, const std::string& name) {
  std::vector<std::string> parts = module;
  parts.push_back(name);
  return model::SymbolId::from_parts("type", parts);
}

const model::TypeDecl* find_type(Lowering& lowering, const ModulePath& module, const std::string& name) {
  auto it = lowering.types.find(type_id(module, name));
  return it == lowering.types.end() ? nullptr : &it->second;
}

const std::vector<model::Field>& struct_fields(const model::TypeDecl& decl) {
  static const std::vector<model::Field> kNone;
  const auto* s = std::get_if<model::TypeShape::Struct>(&decl.shape.value);
  return s ? s->fields : kNone;
}

// Supporting declarations every field-type case can name.
constexpr const char* kPrelude = R"(
use chrono::{DateTime, Utc};
use uuid::Uuid;
use std::collections::HashMap;
#[derive(Api)] pub struct User { pub id: u32 }
#[derive(Api)] pub struct UserId(String);
#[derive(Api)] pub struct Page<T> { pub items: Vec<T> }
#[derive(Serialize)] pub struct Plain { pub x: u32 }
pub type Id = Uuid;
pub type A = B;
pub type B = A;
pub struct Vec2;
pub mod other { pub struct DateTime<T>(T); pub struct Local; }
)";

struct FieldCase {
  std::string type;
  std::string expected;  // describe() of the field type, or "" when the field is dropped
  std::vector<std::string> diagnostics;
};

TEST(LowerTypeTest, FieldTypes) {
  const std::vector<FieldCase> cases = {
      {"Vec<Option<Box<User>>>", "List(Option(Named(User)))", {}},
      {"HashMap<String, i32>", "Map(String,I32)", {}},
      {"std::collections::BTreeMap<String, Vec<u8>>", "Map(String,List(U8))", {}},
      {"HashMap<u32, String>", "", {"error[invalid-map-key] API map keys must be String"}},
      {"HashMap<UserId, String>", "", {"error[invalid-map-key] API map keys must be String"}},
      {"VecDeque<u8>",
       "",
       {"error[unresolved-type] cannot resolve `VecDeque<u8>` in an API position; generic API types are not "
        "supported"}},
      {"HashSet<u8>",
       "",
       {"error[unresolved-type] cannot resolve `HashSet<u8>` in an API position; generic API types are not "
        "supported"}},
      {"Vec<u8, u8>",
       "",
       {"error[unresolved-type] cannot resolve `Vec<u8,u8>` in an API position; generic API types are not "
        "supported"}},
      {"[u8; 4]",
       "",
       {"error[unresolved-type] cannot resolve `[u8;4]` in an API position; use a supported API type"}},
      {"(u8, u8)",
       "",
       {"error[unresolved-type] cannot resolve `(u8,u8)` in an API position; use a supported API type"}},
      {"Option<&'a str>",
       "",
       {"error[unresolved-type] cannot resolve `&'astr` in an API position; use a supported API type"}},
      {"<User as Trait>::X",
       "",
       {"error[unresolved-type] cannot resolve `<UserasTrait>::X` in an API position; use a supported API type"}},
      {"i64",
       "I64",
       {"warning[imprecise-int] `i64` maps to TypeScript `number`, which loses precision beyond 2^53; consider "
        "i32/u32 or a string-typed newtype"}},
      {"usize",
       "Usize",
       {"warning[imprecise-int] `usize` maps to TypeScript `number`, which loses precision beyond 2^53; consider "
        "i32/u32 or a string-typed newtype"}},
      {"i32", "I32", {}},
      {"f64", "F64", {}},
      {"((bool))", "Bool", {}},
      {"String", "String", {}},
      {"str", "String", {}},
      {"std::string::String", "String", {}},
      {"alloc::string::String", "String", {}},
      {"char",
       "",
       {"error[unresolved-type] cannot resolve `char` in an API position; derive Api on it (in this workspace) or "
        "use a supported type"}},
      {"chrono::DateTime<Utc>", "External(DateTimeUtc)", {}},
      {"DateTime<chrono::Utc>", "External(DateTimeUtc)", {}},
      {"DateTime<Local>", "", {"error[invalid-datetime] only chrono::DateTime<Utc> is supported"}},
      {"other::DateTime<Utc>",
       "",
       {"error[unresolved-type] cannot resolve `other::DateTime<Utc>` in an API position; use "
        "chrono::DateTime<Utc>"}},
      {"DateTime", "External(DateTimeUtc)", {}},
      {"Uuid", "External(Uuid)", {}},
      {"uuid::Uuid", "External(Uuid)", {}},
      {"::uuid::Uuid", "External(Uuid)", {}},
      {"rust_decimal::Decimal", "External(Decimal)", {}},
      {"serde_json::Value", "External(JsonValue)", {}},
      {"serde_json::value::Value",
       "",
       {"error[unresolved-type] cannot resolve `serde_json::value::Value` in an API position; derive Api on it (in "
        "this workspace) or use a supported type"}},
      {"Id", "External(Uuid)", {}},
      {"A", "", {"error[alias-cycle] type alias cycle while resolving `A`"}},
      {"Plain", "", {"error[missing-api-derive] `Plain` is used in an API position but does not derive Api or ApiError"}},
      {"Page<User>",
       "",
       {"error[unresolved-type] cannot resolve `Page<User>` in an API position; generic API types are not "
        "supported"}},
      {"Vec2",
       "",
       {"error[missing-api-derive] `Vec2` is used in an API position but does not derive Api or ApiError"}},
      {"crate::User", "Named(User)", {}},
      {"self::UserId", "Named(UserId)", {}},
  };
  for (const FieldCase& c : cases) {
    SCOPED_TRACE(c.type);
    MemoryCrates crates;
    crates.add_crate("app", {{"src/lib.rs", std::string(kPrelude) + "#[derive(Api)] pub struct Holder { pub f: " +
                                                c.type + " }\n"}});
    Lowering& lowering = crates.lowering();
    lowering.lower_named_decl(kApp, "Holder");
    // Only the holder's own diagnostics: queued declarations are not drained.
    const model::TypeDecl* holder = find_type(lowering, kApp, "Holder");
    ASSERT_NE(holder, nullptr);
    const auto& fields = struct_fields(*holder);
    EXPECT_EQ(fields.empty() ? "" : describe(fields[0].ty), c.expected);
    EXPECT_EQ(describe(lowering.diagnostics), c.diagnostics);
  }
}

TEST(LowerTypeTest, DiagnosticSpansPointAtTheOffendingType) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "#[derive(Api)] pub struct Holder {\n"
                            "  pub a: HashMap<u32, String>,\n"
                            "  pub b: Option<&'a str>,\n"
                            "  pub c: chrono::DateTime<Local>,\n"
                            "}\n"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "Holder");
  ASSERT_EQ(lowering.diagnostics.size(), 3u);
  std::vector<std::string> texts;
  for (const model::Diagnostic& d : lowering.diagnostics) {
    ASSERT_TRUE(d.span);
    EXPECT_EQ(d.span->file, "app/src/lib.rs");
    texts.push_back(crates.text_at(*d.span));
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"u32", "&'a str", "chrono::DateTime<Local>"}));
}

TEST(ApiItemKindTest, DerivesByLastSegmentLastOneWins) {
  struct Case {
    std::string source;
    std::optional<ApiKind> expected;
  };
  const std::vector<Case> cases = {
      {"#[derive(Api)] struct X;", ApiKind::Api},
      {"#[derive(vantrel::Api)] enum X { A }", ApiKind::Api},
      {"#[derive(Debug, ApiError)] enum X { A }", ApiKind::ApiError},
      {"#[derive(Api, ApiError)] enum X { A }", ApiKind::ApiError},
      {"#[derive(ApiError)] #[derive(Api)] struct X;", ApiKind::Api},
      {"#[derive(Api, 1 + ApiError)] struct X;", ApiKind::Api},  // parsing stops, what was read stays
      {"#[derive(Serialize)] struct X;", std::nullopt},
      {"#[derive = \"Api\"] struct X;", std::nullopt},
      {"#[derive(Api)] fn x() {}", std::nullopt},
      {"#[derive(Api)] type X = u8;", std::nullopt},
      {"#[cfg_attr(test, derive(Api))] struct X;", std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    MemoryCrates crates;
    crates.add_crate("app", {{"src/lib.rs", c.source}});
    crates.lowering();
    const ModuleData* root = crates.map().find(kApp);
    ASSERT_NE(root, nullptr);
    ASSERT_EQ(root->items.size(), 1u);
    EXPECT_EQ(api_item_kind(root->items[0]), c.expected);
  }
}

TEST(LowerDeclTest, StructFieldsNamesOptionalityDocsIdsAndSpans) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs", "mod models;"},
                           {"src/models.rs",
                            "/// A user.\n"
                            "#[derive(Api)]\n"
                            "#[serde(rename_all = \"camelCase\")]\n"
                            "pub struct User {\n"
                            "    /// The id.\n"
                            "    pub user_id: u32,\n"
                            "    #[serde(rename = \"mail\")]\n"
                            "    pub email_address: String,\n"
                            "    pub nick: Option<String>,\n"
                            "    #[serde(default)]\n"
                            "    pub bio: Option<String>,\n"
                            "    #[serde(default)]\n"
                            "    pub age: u32,\n"
                            "    #[serde(skip_serializing_if = \"Option::is_none\")]\n"
                            "    pub site: Option<String>,\n"
                            "}\n"}});
  Lowering& lowering = crates.lowering();
  const ModulePath models{"app", "models"};
  lowering.lower_named_decl(models, "User");
  EXPECT_TRUE(lowering.diagnostics.empty()) << ::testing::PrintToString(describe(lowering.diagnostics));
  const model::TypeDecl* user = find_type(lowering, models, "User");
  ASSERT_NE(user, nullptr);
  EXPECT_EQ(user->rust_path, (std::vector<std::string>{"app", "models", "User"}));
  EXPECT_EQ(user->ts_name, "User");
  EXPECT_EQ(user->docs, "A user.");
  EXPECT_EQ(crates.text_at(user->spans.name), "User");
  EXPECT_EQ(crates.text_at(user->spans.full).substr(0, 12), "/// A user.\n");
  EXPECT_FALSE(user->spans.attr);

  struct Expected {
    std::string rust, wire;
    model::Optionality optionality;
  };
  using O = model::Optionality;
  const std::vector<Expected> expected = {{"user_id", "userId", O::Required},   {"email_address", "mail", O::Required},
                                          {"nick", "nick", O::Nullable},        {"bio", "bio", O::OptionalNullable},
                                          {"age", "age", O::Optional},          {"site", "site", O::OptionalNullable}};
  const auto& fields = struct_fields(*user);
  ASSERT_EQ(fields.size(), expected.size());
  for (size_t i = 0; i < fields.size(); ++i) {
    EXPECT_EQ(fields[i].rust_name, expected[i].rust);
    EXPECT_EQ(fields[i].wire_name, expected[i].wire);
    EXPECT_EQ(fields[i].optionality, expected[i].optionality) << expected[i].rust;
    EXPECT_EQ(fields[i].id, model::SymbolId::from_parts("field", {"app::models::User", "User", expected[i].rust}));
  }
  EXPECT_EQ(describe(fields[2].ty), "String");  // the T of Option<T>
  EXPECT_EQ(fields[0].docs, "The id.");
  EXPECT_EQ(crates.text_at(fields[0].spans.name), "user_id");
  EXPECT_EQ(crates.text_at(fields[0].spans.full), "/// The id.\n    pub user_id: u32");
}

TEST(LowerDeclTest, ShapesOfEveryKind) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "#[derive(Api)] pub struct Id(uuid::Uuid);\n"
                            "#[derive(Api)] #[serde(transparent)] pub struct Wrapped { inner: Vec<u8> }\n"
                            "#[derive(Api)] #[serde(tag = \"_tag\", rename_all = \"snake_case\", rename_all_fields = "
                            "\"camelCase\")]\n"
                            "pub enum Event {\n"
                            "  UserJoined { user_name: String },\n"
                            "  #[serde(rename = \"gone\")] UserLeft,\n"
                            "  #[serde(rename_all = \"kebab-case\")] Renamed { old_name: String },\n"
                            "  Tuple(u8),\n"
                            "}\n"
                            "#[derive(Api)] pub struct Node { children: Vec<Node> }\n"}});
  Lowering& lowering = crates.lowering();
  for (const char* name : {"Id", "Wrapped", "Event", "Node"}) lowering.lower_named_decl(kApp, name);
  lowering.drain_type_queue();

  const model::TypeDecl* id = find_type(lowering, kApp, "Id");
  ASSERT_NE(id, nullptr);
  EXPECT_EQ(describe(std::get<model::TypeShape::Newtype>(id->shape.value).inner), "External(Uuid)");
  const model::TypeDecl* wrapped = find_type(lowering, kApp, "Wrapped");
  ASSERT_NE(wrapped, nullptr);
  EXPECT_EQ(describe(std::get<model::TypeShape::Newtype>(wrapped->shape.value).inner), "List(U8)");

  const model::TypeDecl* event = find_type(lowering, kApp, "Event");
  ASSERT_NE(event, nullptr);
  const auto& variants = std::get<model::TypeShape::Enum>(event->shape.value).variants;
  ASSERT_EQ(variants.size(), 3u);  // the tuple variant is left out
  EXPECT_EQ(variants[0].wire_name, "user_joined");
  EXPECT_EQ(variants[0].fields.at(0).wire_name, "userName");
  EXPECT_EQ(variants[0].fields.at(0).id, model::SymbolId::from_parts("field", {"app::Event", "UserJoined", "user_name"}));
  EXPECT_EQ(variants[0].id, model::SymbolId::from_parts("enum_variant", {"app::Event", "UserJoined"}));
  EXPECT_EQ(variants[1].wire_name, "gone");
  EXPECT_TRUE(variants[1].fields.empty());
  EXPECT_EQ(variants[2].fields.at(0).wire_name, "old-name");
  EXPECT_EQ(describe(lowering.diagnostics),
            (std::vector<std::string>{"error[invalid-api-item] Api enum variants must be unit or named-field variants"}));
  EXPECT_EQ(crates.text_at(*lowering.diagnostics[0].span), "Tuple(u8)");

  // A recursive type is lowered once and refers to itself by id.
  const model::TypeDecl* node = find_type(lowering, kApp, "Node");
  ASSERT_NE(node, nullptr);
  const auto& children = struct_fields(*node).at(0).ty;
  EXPECT_EQ(describe(children), "List(Named(Node))");
  EXPECT_EQ(std::get<model::TypeExpr::Named>(std::get<model::TypeExpr::List>(children.value).inner->value).id,
            node->id);
}

TEST(LowerDeclTest, ErrorEnumsWithStatuses) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "/// Failures.\n"
                            "#[derive(ApiError)] #[serde(tag = \"_tag\")]\n"
                            "pub enum UserError {\n"
                            "  #[status(404)] NotFound,\n"
                            "  #[status(409)] #[serde(rename = \"Taken\")] Conflict { name: String },\n"
                            "  Missing,\n"
                            "  #[status(700)] Bad,\n"
                            "  #[status(400)] Tuple(u8),\n"
                            "}\n"
                            "#[derive(ApiError)] pub struct NotAnEnum;\n"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "UserError");
  lowering.lower_named_decl(kApp, "NotAnEnum");
  ASSERT_EQ(lowering.errors.size(), 1u);
  const model::ErrorDecl& error = lowering.errors.begin()->second;
  EXPECT_EQ(error.id, model::SymbolId::from_parts("error", {"app", "UserError"}));
  EXPECT_EQ(error.docs, "Failures.");
  ASSERT_EQ(error.variants.size(), 2u);
  EXPECT_EQ(error.variants[0].tag, "NotFound");
  EXPECT_EQ(error.variants[0].status, 404);
  EXPECT_EQ(error.variants[0].id, model::SymbolId::from_parts("error_variant", {"app::UserError", "NotFound"}));
  EXPECT_EQ(error.variants[1].tag, "Taken");
  EXPECT_EQ(error.variants[1].rust_name, "Conflict");
  EXPECT_EQ(error.variants[1].status, 409);
  EXPECT_EQ(error.variants[1].fields.at(0).wire_name, "name");
  EXPECT_EQ(describe(lowering.diagnostics),
            (std::vector<std::string>{
                "error[invalid-api-item] ApiError variants require #[status(...)], e.g. #[status(404)]",
                "error[invalid-api-item] ApiError statuses must be in the 400..=599 range",
                "error[invalid-api-item] ApiError enum variants must be unit or named-field variants",
            }));
}

TEST(LowerDeclTest, ErrorTagsMustNameATypeScriptClass) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "#[derive(ApiError)] #[serde(tag = \"_tag\", rename_all = \"kebab-case\")]\n"
                            "pub enum Kebab { #[status(404)] NotFound, #[status(409)] Taken }\n"
                            "#[derive(ApiError)] #[serde(tag = \"_tag\")]\n"
                            "pub enum Lower { #[status(400)] #[serde(rename = \"delete\")] Delete, #[status(401)] Denied }\n"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "Kebab");
  lowering.lower_named_decl(kApp, "Lower");
  std::vector<std::string> tags;
  for (const auto& [id, error] : lowering.errors) {
    for (const model::ErrorVariant& v : error.variants) tags.push_back(v.tag);
  }
  std::sort(tags.begin(), tags.end());
  EXPECT_EQ(tags, (std::vector<std::string>{"Denied", "taken"}));
  EXPECT_EQ(describe(lowering.diagnostics),
            (std::vector<std::string>{
                "error[invalid-api-item] ApiError variant tag `not-found` cannot name a generated TypeScript error "
                "class; rename it to an identifier such as `NotFound`",
                "error[invalid-api-item] ApiError variant tag `delete` cannot name a generated TypeScript error "
                "class; rename it to an identifier such as `Delete`",
            }));
}

TEST(LowerDeclTest, RuleBreakersKeepTheirProvisionalForm) {
  struct Case {
    std::string source;
    std::string diagnostic;
    std::string span_text;
  };
  const std::vector<Case> cases = {
      {"#[derive(Api)] pub struct Page<T> { items: Vec<T> }",
       "error[invalid-api-item] Api types cannot be generic; use concrete API types", "<T>"},
      {"#[derive(Api)] pub struct X(u8, u8);", "error[invalid-api-item] Api tuple structs must contain exactly one field",
       "X"},
      {"#[derive(Api)] pub struct X;", "error[invalid-api-item] Api tuple structs must contain exactly one field", "X"},
      {"#[derive(Api)] #[serde(transparent)] pub struct X { a: u8, b: u8 }",
       "error[invalid-api-item] serde transparent Api structs must contain exactly one field", "X"},
      {"#[derive(Api)] #[serde(transparent)] pub struct X { #[serde(rename = \"y\")] a: u8 }",
       "error[invalid-api-item] Api serde transparent fields must not carry serde field-shape attributes because the "
       "exported wire shape is the inner value",
       "#[serde(rename = \"y\")] a: u8"},
      {"#[derive(Api)] #[serde(default)] pub struct X { a: u8 }",
       "error[invalid-api-item] Api supports serde default only on fields", "X"},
      {"#[derive(Api)] pub enum X { A }",
       "error[invalid-api-item] Api enums must use #[serde(tag = \"_tag\")] so Rust JSON and generated TypeScript "
       "schemas share the same discriminator",
       "X"},
      {"#[derive(Api)] #[serde(untagged)] pub enum X { A }",
       "error[invalid-api-item] serde untagged enums are not supported by vantrel because generated schemas require "
       "an explicit _tag discriminator",
       "untagged"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.source);
    MemoryCrates crates;
    crates.add_crate("app", {{"src/lib.rs", c.source}});
    Lowering& lowering = crates.lowering();
    lowering.lower_named_decl(kApp, "Page");
    lowering.lower_named_decl(kApp, "X");
    ASSERT_EQ(describe(lowering.diagnostics), std::vector<std::string>{c.diagnostic});
    EXPECT_EQ(crates.text_at(*lowering.diagnostics[0].span), c.span_text);
    ASSERT_EQ(lowering.types.size(), 1u);
    const model::TypeDecl& decl = lowering.types.begin()->second;
    EXPECT_EQ(decl.shape, model::TypeShape{model::TypeShape::Struct{}});
  }
}

TEST(LowerDeclTest, QueueLowersEachDeclarationOnceAcrossCrates) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "use shared::Money;\n"
                            "#[derive(Api)] pub struct Order { a: Money, b: Money, c: Vec<Money>, d: shared::Money }\n"}});
  crates.add_crate("shared", {{"src/lib.rs", "#[derive(Api)] pub struct Money { cents: i32 }\n"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "Order");
  EXPECT_EQ(lowering.queue.size(), 4u);
  lowering.drain_type_queue();
  EXPECT_TRUE(lowering.queue.empty());
  EXPECT_EQ(lowering.types.size(), 2u);
  const model::TypeDecl* money = find_type(lowering, {"shared"}, "Money");
  ASSERT_NE(money, nullptr);
  EXPECT_EQ(money->spans.name.file, "shared/src/lib.rs");
  EXPECT_TRUE(lowering.diagnostics.empty());
}

TEST(LowerTypeTest, AliasesExpandInTheirOwnModuleAndFile) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs", "mod ids; #[derive(Api)] pub struct H { a: ids::UserId, b: ids::Broken }"},
                           {"src/ids.rs", "pub type UserId = Inner; pub type Broken = Nope; #[derive(Api)] pub struct Inner(u32);"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "H");
  const auto& fields = struct_fields(*find_type(lowering, kApp, "H"));
  ASSERT_EQ(fields.size(), 1u);
  EXPECT_EQ(describe(fields[0].ty), "Named(Inner)");
  EXPECT_EQ(std::get<model::TypeExpr::Named>(fields[0].ty.value).id, type_id({"app", "ids"}, "Inner"));
  ASSERT_EQ(lowering.diagnostics.size(), 1u);
  EXPECT_EQ(lowering.diagnostics[0].span->file, "app/src/ids.rs");
  EXPECT_EQ(crates.text_at(*lowering.diagnostics[0].span), "Nope");
  EXPECT_TRUE(lowering.alias_stack.empty());
}

// Input shaped to exhaust the host stack ends in one diagnostic instead.
TEST(LowerTypeTest, DeepNestingAndLongAliasChainsAreBounded) {
  constexpr int kDepth = 5000;
  std::string nested;
  for (int i = 0; i < kDepth; ++i) nested += "Vec<";
  nested += "u8";
  for (int i = 0; i < kDepth; ++i) nested += ">";
  std::string aliases;
  for (int i = 0; i < kDepth; ++i) aliases += "type A" + std::to_string(i) + " = A" + std::to_string(i + 1) + ";\n";
  aliases += "type A" + std::to_string(kDepth) + " = u8;\n";
  std::string parens(kDepth, '(');
  parens += "u8" + std::string(kDepth, ')');

  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs", aliases + "#[derive(Api)] pub struct H { a: " + nested + ", b: A0, c: " +
                                              parens + ", d: Vec<Vec<u8>> }\n"}});
  Lowering& lowering = crates.lowering();
  lowering.lower_named_decl(kApp, "H");
  const std::string too_deep = "error[unresolved-type] cannot resolve a type nested deeper than " +
                               std::to_string(kMaxTypeDepth) + " levels in an API position; use a supported API type";
  EXPECT_EQ(describe(lowering.diagnostics), (std::vector<std::string>{too_deep, too_deep}));
  const auto& fields = struct_fields(*find_type(lowering, kApp, "H"));
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].rust_name, "c");  // parentheses are unwrapped without recursion
  EXPECT_EQ(describe(fields[1].ty), "List(List(U8))");
}

}  // namespace
}  // namespace vantrel::engine::extract
