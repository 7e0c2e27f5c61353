// Schema lowering: property keys, type and schema translations, declaration
// order and recursion, declaration items (golden worked examples, marks
// included), and the error-as-type check.
#include "engine/gen/schemas.h"

#include <gtest/gtest.h>

#include "engine/gen/contracts.h"
#include "engine/gen/golden.h"

namespace vantrel::engine::gen {
namespace {

using namespace testing;
using model::Optionality;
using model::Primitive;
using model::TypeExpr;

/// The items printed into one file (no header), with their marks described.
std::string print_with_marks(const std::string& file, const std::vector<Item>& items) {
  Printer p;
  for (const auto& item : items) p.item(item);
  auto marks = finish_marks(file, p.out, p.marks);
  return p.out + "---- marks\n" + describe_marks(marks, {{file, p.out}});
}

std::string print_expr(const Expr& e) {
  Printer p;
  p.expr(e, 0);
  return p.out;
}

TEST(ObjectKey, BareIdentifiersElseQuoted) {
  struct Case {
    std::string name, key;
  };
  for (const auto& c : std::vector<Case>{{"id", "id"},
                                         {"_x$1", "_x$1"},
                                         {"$", "$"},
                                         {"user-id", "\"user-id\""},
                                         {"2fa", "\"2fa\""},
                                         {"", "\"\""},
                                         {"a b", "\"a b\""},
                                         {"a/b@c`", "\"a/b@c`\""},
                                         {"héllo", "\"héllo\""},
                                         {"say\"x\\", "\"say\\\"x\\\\\""},
                                         // Escaped, or the key would name another property or
                                         // not be valid TypeScript at all.
                                         {"back\\slash", "\"back\\\\slash\""},
                                         {"line\nbreak\r", "\"line\\nbreak\\r\""}}) {
    EXPECT_EQ(object_key(c.name), c.key) << c.name;
  }
}

TEST(TypeTranslation, TsTypeAndSchemaForEveryShape) {
  model::Contract contract;
  Lowering lowering(contract);
  struct Case {
    TypeExpr ty;
    std::string ts, schema;
  };
  std::vector<Case> cases;
  cases.push_back({prim(Primitive::Bool), "boolean", "Schema.Boolean"});
  cases.push_back({prim(Primitive::String), "string", "Schema.String"});
  cases.push_back({prim(Primitive::U64), "number", "Schema.Number"});
  cases.push_back({prim(Primitive::I128), "number", "Schema.Number"});
  cases.push_back({prim(Primitive::F32), "number", "Schema.Number"});
  cases.push_back({TypeExpr::external(model::ExternalType::JsonValue), "unknown", "Schema.Unknown"});
  cases.push_back({TypeExpr::external(model::ExternalType::Uuid), "string", "Schema.String"});
  cases.push_back({TypeExpr::external(model::ExternalType::DateTimeUtc), "string", "Schema.String"});
  cases.push_back({TypeExpr::external(model::ExternalType::Decimal), "string", "Schema.String"});
  cases.push_back({named("type", "User"), "User", "User"});
  cases.push_back({TypeExpr::option(prim(Primitive::String)), "string | null", "Schema.NullOr(Schema.String)"});
  cases.push_back({TypeExpr::list(named("type", "User")), "ReadonlyArray<User>", "Schema.Array(User)"});
  cases.push_back({TypeExpr::map(prim(Primitive::U32), TypeExpr::list(prim(Primitive::Bool))),
                   "Readonly<Record<string, ReadonlyArray<boolean>>>",
                   "Schema.Record(Schema.String, Schema.Array(Schema.Boolean))"});
  for (const auto& c : cases) {
    EndpointImports imports;
    EXPECT_EQ(lowering.ts_type(c.ty, imports), c.ts);
    EXPECT_EQ(print_expr(lowering.schema_expr(c.ty)), c.schema);
  }
  EXPECT_TRUE(lowering.diagnostics().empty());
}

TEST(TypeTranslation, ImportsRecordedByTsTypeAndSchemaExprImported) {
  model::Contract contract;
  Lowering lowering(contract);
  auto map = TypeExpr::map(named("type", "Key"), TypeExpr::option(named("type", "Value")));

  EndpointImports from_ts;
  lowering.ts_type(map, from_ts);
  // ts_type ignores the key type, so only the value's name is imported.
  EXPECT_EQ(from_ts.schemas, (NameSet{"Value"}));
  EXPECT_TRUE(from_ts.compat.empty());

  EndpointImports from_schema;
  lowering.schema_expr_imported(map, from_schema);
  EXPECT_EQ(from_schema.schemas, (NameSet{"Key", "Value"}));
  EXPECT_EQ(from_schema.compat, (NameSet{"Schema"}));

  EndpointImports bare;
  lowering.schema_expr_imported(named("type", "User"), bare);
  EXPECT_EQ(bare.schemas, (NameSet{"User"}));
  EXPECT_TRUE(bare.compat.empty());

  NameSet collected;
  collect_named(TypeExpr::list(map), collected);
  EXPECT_EQ(collected, (NameSet{"Key", "Value"}));
}

TEST(ErrorAsType, ReportedPerSchemaBuiltNotPerInterface) {
  model::Contract contract;
  contract.errors.push_back(error_decl("UserError", {error_variant("UserError", "NotFound", 404)}));
  contract.types.push_back(struct_decl("Holder", {field("Holder", "err", named("error", "UserError"))}));
  Lowering lowering(contract);
  std::vector<Item> items;
  lowering.type_items(contract.types[0], items);
  ASSERT_EQ(lowering.diagnostics().size(), 1u);
  const auto& d = lowering.diagnostics()[0];
  EXPECT_EQ(d.code, "error-as-type");
  EXPECT_EQ(d.severity, model::Severity::Error);
  EXPECT_EQ(d.message, "API error `UserError` is used as a field type; declare a separate Api enum instead");
  EXPECT_FALSE(d.span.has_value());
  // Every schema built for such a reference reports again.
  lowering.schema_expr(named("error", "UserError"));
  EXPECT_EQ(lowering.diagnostics().size(), 2u);
}

std::vector<std::string> names_of(const std::vector<const model::TypeDecl*>& decls) {
  std::vector<std::string> names;
  for (const auto* d : decls) names.push_back(d->ts_name);
  return names;
}

TEST(TopoSort, DependenciesFirstAndOneRecursionErrorPerPackage) {
  {
    model::Contract c;
    c.types.push_back(struct_decl("A", {field("A", "b", TypeExpr::list(named("type", "B")))}));
    c.types.push_back(struct_decl("B", {field("B", "n", prim(Primitive::U8))}));
    c.types.push_back(newtype_decl("C", TypeExpr::map(named("type", "A"), named("error", "E"))));
    Lowering lowering(c);
    EXPECT_EQ(names_of(lowering.topo_sorted_types()), (std::vector<std::string>{"B", "A", "C"}));
    EXPECT_TRUE(lowering.diagnostics().empty());
  }
  {
    model::Contract c;
    c.types.push_back(struct_decl("Node", {field("Node", "next", TypeExpr::option(named("type", "Node")))}));
    c.types.push_back(enum_decl("X", {enum_variant("X", "Y", "y", {field("X::Y", "z", named("type", "Z"))})}));
    c.types.push_back(struct_decl("Z", {field("Z", "x", named("type", "X"))}));
    Lowering lowering(c);
    EXPECT_EQ(names_of(lowering.topo_sorted_types()), (std::vector<std::string>{"Node", "Z", "X"}));
    ASSERT_EQ(lowering.diagnostics().size(), 1u);
    const auto& d = lowering.diagnostics()[0];
    EXPECT_EQ(d.code, "recursive-type");
    EXPECT_EQ(d.message, "API type `Node` is recursive; recursive types are not supported by the generator yet");
    EXPECT_EQ(d.span, c.types[0].spans.name);
  }
}

TEST(TypeItems, WorkedStructExample) {
  model::Contract c;
  c.types.push_back(struct_decl("User",
                                {field("User", "id", prim(Primitive::U64)),
                                 field("User", "nickname", prim(Primitive::String), Optionality::Nullable)},
                                "A user of the system."));
  Lowering lowering(c);
  std::vector<Item> items;
  lowering.type_items(c.types[0], items);
  expect_golden("struct-user.ts", print_with_marks("schemas.ts", items));
}

TEST(TypeItems, WorkedEnumExample) {
  model::Contract c;
  c.types.push_back(enum_decl("Shape", {enum_variant("Shape", "Circle", "circle",
                                                     {field("Shape::Circle", "radius", prim(Primitive::F64))}),
                                        enum_variant("Shape", "Square", "square",
                                                     {field("Shape::Square", "side", prim(Primitive::F64))})}));
  Lowering lowering(c);
  std::vector<Item> items;
  lowering.type_items(c.types[0], items);
  expect_golden("enum-shape.ts", print_with_marks("schemas.ts", items));
}

TEST(TypeItems, OptionalityKeysUnitEnumsNewtypesAndEmptyStructs) {
  model::Contract c;
  c.types.push_back(struct_decl(
      "Opts", {field("Opts", "a", prim(Primitive::String), Optionality::Optional, "First line.\nSecond line."),
               field("Opts", "b", prim(Primitive::String), Optionality::OptionalNullable),
               field("Opts", "content-type", TypeExpr::map(prim(Primitive::I32), prim(Primitive::U64)))}));
  c.types.push_back(enum_decl("Level", {enum_variant("Level", "Low", "low"), enum_variant("Level", "High", "high")}));
  c.types.push_back(newtype_decl("UserId", TypeExpr::external(model::ExternalType::Uuid)));
  c.types.push_back(struct_decl("Empty", {}));
  c.types.push_back(enum_decl("Never", {}));
  Lowering lowering(c);
  std::vector<Item> items;
  for (const auto* decl : lowering.topo_sorted_types()) lowering.type_items(*decl, items);
  expect_golden("types-misc.ts", print_with_marks("schemas.ts", items));
  EXPECT_TRUE(lowering.diagnostics().empty());
}

TEST(ErrorItems, WorkedErrorExampleAndFieldVariants) {
  model::Contract c;
  c.errors.push_back(
      error_decl("UserError", {error_variant("UserError", "NotFound", 404), error_variant("UserError", "Conflict", 409)}));
  c.errors.push_back(error_decl(
      "ItemError", {error_variant("ItemError", "Gone", 409, {field("ItemError::Gone", "id", prim(Primitive::String))}),
                    error_variant("ItemError", "Missing", 404), error_variant("ItemError", "Lost", 404)}));
  c.errors.push_back(error_decl("NoVariants", {}));
  Lowering lowering(c);
  std::vector<Item> items;
  for (const auto& e : c.errors) lowering.error_items(e, items);
  expect_golden("errors.ts", print_with_marks("errors.ts", items));
  EXPECT_TRUE(lowering.diagnostics().empty());
}

}  // namespace
}  // namespace vantrel::engine::gen
