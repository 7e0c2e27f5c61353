// Stable identifiers, the primitive name table, enumeration names and the
// value semantics of the contract records.
#include "model/ir.h"

#include <gtest/gtest.h>

#include <set>

namespace vantrel::model {
namespace {

TEST(SymbolIdTest, KnownVectors) {
  EXPECT_EQ(SymbolId::from_parts("abc").str(), "abc:e71fa2190541574b");
  EXPECT_EQ(fnv1a("endpoint"), 0xfb9b5fb7a890a1fcULL);
  EXPECT_EQ(SymbolId::from_parts("type", {"a", "bc"}).str(), "type:34339fc4382a5f7d");
  EXPECT_EQ(SymbolId::from_parts("type", {"ab", "c"}).str(), "type:e213d5c2564cbf39");
  EXPECT_EQ(SymbolId::from_parts("type").str(), "type:a79439ef7bfa9c2d");
  // An empty part still adds its separator.
  EXPECT_EQ(SymbolId::from_parts("type", {""}).str(), "type:bb7a9eefaad76077");
}

TEST(SymbolIdTest, SeparatorKeepsPartBoundariesApart) {
  std::set<SymbolId> ids = {SymbolId::from_parts("type", {"a", "bc"}), SymbolId::from_parts("type", {"ab", "c"}),
                            SymbolId::from_parts("type", {"abc"}), SymbolId::from_parts("type")};
  EXPECT_EQ(ids.size(), 4u);
}

TEST(SymbolIdTest, AllPartFormsAgree) {
  std::vector<std::string> owned = {"crate", "models", "User", "name"};
  std::vector<std::string_view> views(owned.begin(), owned.end());
  SymbolId expected = SymbolId::from_parts("field", {"crate", "models", "User", "name"});
  EXPECT_EQ(expected.str(), "field:d73bfc925c54af18");
  EXPECT_EQ(SymbolId::from_parts("field", owned), expected);
  EXPECT_EQ(SymbolId::from_parts("field", views), expected);
  // Hashing the kind once and extending it gives the same id.
  uint64_t hash = fnv1a("field");
  for (const std::string& part : owned) hash = symbol_hash_part(hash, part);
  EXPECT_EQ(SymbolId::from_hash("field", hash), expected);
  EXPECT_EQ(expected.kind(), "field");
}

TEST(SymbolIdTest, LeadingZerosArePrinted) {
  EXPECT_EQ(SymbolId::from_hash("k", 0x1a).str(), "k:000000000000001a");
}

TEST(SymbolIdTest, OrdersAsString) {
  EXPECT_LT(SymbolId("endpoint:ffffffffffffffff"), SymbolId("error:0000000000000000"));
  EXPECT_LT(SymbolId("type:0a"), SymbolId("type:a0"));
}

TEST(PrimitiveTest, RustNames) {
  struct Case {
    std::string_view ident;
    std::optional<Primitive> expected;
  };
  const Case cases[] = {
      {"bool", Primitive::Bool},   {"i8", Primitive::I8},       {"u8", Primitive::U8},
      {"i16", Primitive::I16},     {"u16", Primitive::U16},     {"i32", Primitive::I32},
      {"u32", Primitive::U32},     {"i64", Primitive::I64},     {"u64", Primitive::U64},
      {"i128", Primitive::I128},   {"u128", Primitive::U128},   {"usize", Primitive::Usize},
      {"isize", Primitive::Isize}, {"f32", Primitive::F32},     {"f64", Primitive::F64},
      {"str", Primitive::String},  {"String", Primitive::String},
      {"Str", std::nullopt},       {"char", std::nullopt},      {"Bool", std::nullopt},
      {"string", std::nullopt},    {"", std::nullopt},          {"u256", std::nullopt},
      {"i32 ", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(primitive_from_rust_name(c.ident), c.expected) << c.ident;
}

TEST(EnumNamesTest, NamesFollowDeclarationOrder) {
  std::vector<std::string_view> primitives;
  for (Primitive p : kPrimitives) primitives.push_back(primitive_name(p));
  EXPECT_EQ(primitives, (std::vector<std::string_view>{"Bool", "I8", "U8", "I16", "U16", "I32", "U32", "I64", "U64",
                                                       "I128", "U128", "Usize", "Isize", "F32", "F64", "String"}));
  for (size_t i = 0; i < kPrimitives.size(); ++i) EXPECT_EQ(static_cast<size_t>(kPrimitives[i]), i);

  std::vector<std::string_view> methods, upper;
  for (HttpMethod m : kHttpMethods) {
    methods.push_back(http_method_name(m));
    upper.push_back(http_method_upper(m));
  }
  EXPECT_EQ(methods, (std::vector<std::string_view>{"Delete", "Get", "Patch", "Post", "Put"}));
  EXPECT_EQ(upper, (std::vector<std::string_view>{"DELETE", "GET", "PATCH", "POST", "PUT"}));

  EXPECT_EQ(external_type_name(ExternalType::DateTimeUtc), "DateTimeUtc");
  EXPECT_EQ(optionality_name(Optionality::OptionalNullable), "OptionalNullable");
  EXPECT_EQ(transport_name(Transport::BinaryDownload), "BinaryDownload");
}

TEST(TypeExprTest, CopyIsDeep) {
  TypeExpr original = TypeExpr::map(TypeExpr::primitive(Primitive::String),
                                    TypeExpr::list(TypeExpr::option(TypeExpr::named(SymbolId("type:1"), "User"))));
  TypeExpr copy = original;
  EXPECT_EQ(copy, original);

  // Change the copy deep inside; the original must not see it.
  auto& map = std::get<TypeExpr::Map>(copy.value);
  auto& list = std::get<TypeExpr::List>(map.value->value);
  auto& option = std::get<TypeExpr::Option>(list.inner->value);
  std::get<TypeExpr::Named>(option.inner->value).name = "Account";
  EXPECT_NE(copy, original);
  const auto& original_map = std::get<TypeExpr::Map>(original.value);
  const auto& original_list = std::get<TypeExpr::List>(original_map.value->value);
  const auto& original_option = std::get<TypeExpr::Option>(original_list.inner->value);
  EXPECT_EQ(std::get<TypeExpr::Named>(original_option.inner->value).name, "User");

  // Copy assignment replaces the whole tree.
  copy = original;
  EXPECT_EQ(copy, original);
}

TEST(TypeExprTest, EqualityDistinguishesVariantsAndPayloads) {
  EXPECT_NE(TypeExpr::option(TypeExpr::primitive(Primitive::U8)), TypeExpr::list(TypeExpr::primitive(Primitive::U8)));
  EXPECT_NE(TypeExpr::list(TypeExpr::primitive(Primitive::U8)), TypeExpr::list(TypeExpr::primitive(Primitive::I8)));
  EXPECT_NE(TypeExpr::primitive(Primitive::Bool), TypeExpr::external(ExternalType::Uuid));
  EXPECT_EQ(TypeExpr{}, TypeExpr::primitive(Primitive::Bool));
}

TEST(RecordTest, ContractCopiesCompareEqualAndIndependently) {
  Contract contract;
  TypeDecl decl;
  decl.id = SymbolId::from_parts("type", {"crate", "User"});
  decl.shape = TypeShape{TypeShape::Newtype{TypeExpr::list(TypeExpr::primitive(Primitive::U64))}};
  contract.types.push_back(decl);
  Contract copy = contract;
  EXPECT_EQ(copy, contract);
  std::get<TypeShape::Newtype>(copy.types[0].shape.value).inner = TypeExpr::primitive(Primitive::U64);
  EXPECT_NE(copy, contract);
  EXPECT_EQ(contract.schema_version, 3u);
}

}  // namespace
}  // namespace vantrel::model
