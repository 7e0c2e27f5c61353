// The symbol table's scopes and lookups, and the index's queries.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "engine/usage/usage_index.h"
#include "usage_fixture.h"

namespace vantrel::engine::usage {
namespace {

using testing::acme_contract;
using testing::acme_id;

TEST(SymbolTable, ScopeForSpecifier) {
  const SymbolTable table(acme_contract());
  struct Row {
    const char* specifier;
    std::optional<SpecifierScope> scope;
  };
  const Row rows[] = {
      {"@acme/api", SpecifierScope::root()},
      {"@acme/api/schemas", SpecifierScope::schemas()},
      {"@acme/api/errors", SpecifierScope::errors()},
      {"@acme/api/endpoints/users", SpecifierScope::endpoint_module("users")},
      {"@acme/api/endpoints/orders", SpecifierScope::endpoint_module("orders")},
      {"@acme/api/endpoints/unknown", std::nullopt},
      {"@acme/api/endpoints/", std::nullopt},
      {"@acme/api/endpoints/users.ts", std::nullopt},
      {"@acme/api/client", std::nullopt},
      {"@acme/api/index", std::nullopt},
      {"@acme/api/", std::nullopt},
      {"@acme/apix", std::nullopt},
      {"@ACME/api", std::nullopt},
      {"./schemas", std::nullopt},
      {"", std::nullopt},
  };
  for (const Row& row : rows) EXPECT_EQ(table.scope_for_specifier(row.specifier), row.scope) << row.specifier;
}

TEST(SymbolTable, LookupPerScope) {
  const SymbolTable table(acme_contract());
  auto kind_of = [&](const SpecifierScope& scope, const char* name) -> std::optional<UsageKind> {
    const NameTarget* t = table.lookup(scope, name);
    return t ? std::optional(t->kind) : std::nullopt;
  };
  EXPECT_EQ(kind_of(SpecifierScope::root(), "getUserRoute"), UsageKind::RouteConstant);
  EXPECT_EQ(kind_of(SpecifierScope::root(), "NotFound"), UsageKind::ErrorClass);
  EXPECT_EQ(kind_of(SpecifierScope::root(), "users"), std::nullopt);
  EXPECT_EQ(kind_of(SpecifierScope::endpoint_module("users"), "listUsers"), UsageKind::EndpointFunction);
  EXPECT_EQ(kind_of(SpecifierScope::endpoint_module("users"), "createOrder"), std::nullopt);
  EXPECT_EQ(kind_of(SpecifierScope::endpoint_module("nope"), "getUser"), std::nullopt);
  EXPECT_EQ(kind_of(SpecifierScope::schemas(), "Order"), UsageKind::TypeName);
  EXPECT_EQ(kind_of(SpecifierScope::schemas(), "UserError"), std::nullopt);
  EXPECT_EQ(kind_of(SpecifierScope::errors(), "UserError"), UsageKind::ErrorName);
  EXPECT_EQ(kind_of(SpecifierScope::errors(), "User"), std::nullopt);
  EXPECT_EQ(table.lookup(SpecifierScope::root(), "getUser")->symbol, acme_id("getUser"));
  ASSERT_NE(table.variant_for_tag("Conflict"), nullptr);
  EXPECT_EQ(*table.variant_for_tag("Conflict"), acme_id("Conflict"));
}

TEST(SymbolTable, LaterNamesReplaceEarlierOnes) {
  // A type spelled like an endpoint function, and an error class spelled
  // like a type: errors come last, so the root sees the error class.
  model::Contract c = acme_contract();
  c.types[0].ts_name = "getUser";
  c.errors[0].variants[0].tag = "Order";
  const SymbolTable table(c);
  EXPECT_EQ(table.lookup(SpecifierScope::root(), "getUser")->kind, UsageKind::TypeName);
  EXPECT_EQ(table.lookup(SpecifierScope::endpoint_module("users"), "getUser")->kind, UsageKind::EndpointFunction);
  EXPECT_EQ(table.lookup(SpecifierScope::root(), "Order")->kind, UsageKind::ErrorClass);
  EXPECT_EQ(table.lookup(SpecifierScope::schemas(), "Order")->kind, UsageKind::TypeName);
}

UsageRef ref(const std::string& symbol, const std::string& file, uint32_t start, uint32_t end, bool weak = false,
             UsageKind kind = UsageKind::EndpointFunction) {
  return UsageRef{symbol, file, start, end, weak, kind};
}

TEST(UsageIndex, SymbolAtPrefersTheShortestThenTheEarliest) {
  UsageIndex index;
  index.add(ref("outer", "a.ts", 10, 30));
  index.add(ref("inner", "a.ts", 20, 25));
  index.add(ref("twin1", "a.ts", 40, 45));
  index.add(ref("twin2", "a.ts", 40, 45));
  index.add(ref("other", "b.ts", 0, 100));
  struct Row {
    uint32_t offset;
    const char* want;  // null: none
  };
  for (const Row& row : {Row{9, nullptr}, Row{10, "outer"}, Row{19, "outer"}, Row{20, "inner"}, Row{25, "inner"},
                         Row{26, "outer"}, Row{30, "outer"}, Row{31, nullptr}, Row{42, "twin1"}, Row{45, "twin1"}}) {
    const UsageRef* found = index.symbol_at("a.ts", row.offset);
    if (row.want == nullptr) {
      EXPECT_EQ(found, nullptr) << row.offset;
    } else {
      ASSERT_NE(found, nullptr) << row.offset;
      EXPECT_EQ(found->symbol, row.want) << row.offset;
    }
  }
  EXPECT_EQ(index.symbol_at("c.ts", 20), nullptr);
}

TEST(UsageIndex, RefsForAndStrongUse) {
  UsageIndex index;
  index.add(ref("e1", "a.ts", 0, 1, /*weak=*/true));
  index.add(ref("t1", "a.ts", 2, 3, false, UsageKind::TypeName));
  index.add(ref("e2", "a.ts", 4, 5, false, UsageKind::RouteConstant));
  index.add(ref("e1", "b.ts", 6, 7, true));
  index.add(ref("v1", "b.ts", 8, 9, false, UsageKind::ErrorTag));
  index.add(ref("e3", "b.ts", 10, 11, false));
  const auto e1 = index.refs_for("e1");
  ASSERT_EQ(e1.size(), 2u);
  EXPECT_EQ(e1[0]->file, "a.ts");
  EXPECT_EQ(e1[1]->file, "b.ts");
  EXPECT_TRUE(index.refs_for("missing").empty());
  EXPECT_EQ(index.strongly_used_endpoints(), (std::set<std::string>{"e2", "e3"}));
}

}  // namespace
}  // namespace vantrel::engine::usage
