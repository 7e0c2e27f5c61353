// The resolver over small in-memory crates: item, module and import lookup,
// `self`/`super`/`crate`, glob imports, outside types and crates, workspace
// crate names, and the depth limit that ends import cycles.
#include "engine/extract/resolve.h"

#include <gtest/gtest.h>

namespace vantrel::engine::extract {
namespace {

class ResolverTest : public ::testing::Test {
 protected:
  void add_crate(const std::string& crate, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [path, text] : files) provider_.insert(crate + "/" + path, text);
    packages_.push_back(Package{crate, crate, crate, crate + "/src/lib.rs", {}});
  }
  Resolver resolver(std::vector<std::string> crates) {
    for (const Package& package : packages_) map_.walk_package("", package, provider_, diagnostics_);
    EXPECT_TRUE(diagnostics_.empty());
    return Resolver(std::move(crates), map_);
  }

  model::MemoryFileProvider provider_;
  std::vector<Package> packages_;
  ModuleMap map_;
  std::vector<model::Diagnostic> diagnostics_;
};

Entity item(ModulePath module, std::string name) { return Entity::item(std::move(module), std::move(name)); }

TEST_F(ResolverTest, PathsInOneCrate) {
  add_crate("app", {{"src/lib.rs", "mod api; mod models; struct Root;"},
                    {"src/api.rs",
                     "pub struct User;\n"
                     "use crate::models::*;\n"
                     "use other::Shadow;\n"
                     "use chrono::{DateTime, Utc};\n"
                     "use uuid::Uuid;\n"
                     "use crate::models as m;\n"
                     "mod Thing {}\n"
                     "struct Thing;\n"},
                    {"src/models.rs", "pub struct User; pub struct Account; pub struct Shadow; pub enum Status { A }"}});
  Resolver r = resolver({"app"});
  const ModulePath api{"app", "api"};
  struct Case {
    std::vector<std::string> path;
    Entity expected;
  };
  const std::vector<Case> cases = {
      {{"User"}, item(api, "User")},
      {{"crate", "models", "User"}, item({"app", "models"}, "User")},
      {{"super", "models", "User"}, item({"app", "models"}, "User")},
      {{"self", "User"}, item(api, "User")},
      {{"Account"}, item({"app", "models"}, "Account")},  // through the glob
      {{"Shadow"}, Entity::not_found()},                   // the explicit import wins though it leads nowhere
      {{"m", "Account"}, item({"app", "models"}, "Account")},
      {{"Thing"}, Entity::module_of({"app", "api", "Thing"})},  // modules before items
      {{"DateTime"}, Entity::external_type(model::ExternalType::DateTimeUtc)},
      {{"Uuid"}, Entity::external_type(model::ExternalType::Uuid)},
      {{"uuid", "Uuid"}, Entity::external_type(model::ExternalType::Uuid)},
      {{"rust_decimal", "Decimal"}, Entity::external_type(model::ExternalType::Decimal)},
      {{"serde_json", "value", "Value"}, Entity::not_found()},
      {{"Status", "A"}, Entity::not_found()},
      {{"crate"}, Entity::module_of({"app"})},
      {{"crate", "Root"}, item({"app"}, "Root")},
      {{"super", "super", "Root"}, Entity::not_found()},
      {{"super"}, Entity::not_found()},
      {{"app", "models", "User"}, item({"app", "models"}, "User")},
      {{"String"}, Entity::not_found()},
      {{}, Entity::not_found()},
  };
  for (const Case& c : cases) {
    std::string text;
    for (const auto& s : c.path) text += s + "::";
    EXPECT_EQ(r.resolve_path_inner(api, c.path, 0), c.expected) << text;
  }
  EXPECT_EQ(r.resolve_path_inner({"app"}, {"super", "X"}, 0), Entity::not_found());
  EXPECT_EQ(r.resolve_path_inner({"nowhere"}, {"X"}, 0), Entity::not_found());
}

TEST_F(ResolverTest, OtherWorkspaceCratesOnlyWhenInReach) {
  add_crate("app", {{"src/lib.rs", "use shared::types::Money as Cash;"}});
  add_crate("shared", {{"src/lib.rs", "pub mod types;"}, {"src/types.rs", "pub struct Money;"}});
  Resolver in_reach = resolver({"app", "shared"});
  EXPECT_EQ(in_reach.resolve_path_inner({"app"}, {"shared", "types", "Money"}, 0), item({"shared", "types"}, "Money"));
  EXPECT_EQ(in_reach.resolve_path_inner({"app"}, {"Cash"}, 0), item({"shared", "types"}, "Money"));
  Resolver out_of_reach({"app"}, map_);
  EXPECT_EQ(out_of_reach.resolve_path_inner({"app"}, {"shared", "types", "Money"}, 0), Entity::not_found());
}

TEST_F(ResolverTest, ImportCyclesEndInNotFound) {
  add_crate("app", {{"src/lib.rs",
                     "mod a { pub use super::b::*; pub use super::b::Loop; }\n"
                     "mod b { pub use super::a::*; pub use super::a::Loop; }\n"
                     "use self::Me as Me;\n"}});
  Resolver r = resolver({"app"});
  EXPECT_EQ(r.resolve_path_inner({"app", "a"}, {"Missing"}, 0), Entity::not_found());
  EXPECT_EQ(r.resolve_path_inner({"app", "a"}, {"Loop"}, 0), Entity::not_found());
  EXPECT_EQ(r.resolve_path_inner({"app"}, {"Me"}, 0), Entity::not_found());
}

TEST_F(ResolverTest, DepthLimit) {
  // A chain of 40 re-exports: each hop costs depth, so the far end is out of reach.
  std::string lib;
  for (int i = 0; i < 40; ++i) lib += "mod m" + std::to_string(i) + " { pub use super::m" + std::to_string(i + 1) + "::X; }\n";
  lib += "mod m40 { pub struct X; }\nmod n0 { pub use super::m40::X; }\n";
  add_crate("app", {{"src/lib.rs", lib}});
  Resolver r = resolver({"app"});
  EXPECT_EQ(r.resolve_path_inner({"app", "n0"}, {"X"}, 0), item({"app", "m40"}, "X"));
  EXPECT_EQ(r.resolve_path_inner({"app", "m0"}, {"X"}, 0), Entity::not_found());
  EXPECT_EQ(r.resolve_path_inner({"app", "n0"}, {"X"}, kMaxResolveDepth + 1), Entity::not_found());
  EXPECT_EQ(r.resolve_name({"app", "n0"}, "X", kMaxResolveDepth + 1), Entity::not_found());
}

TEST(KnownExternal, ExactlyTheFourTwoSegmentPaths) {
  EXPECT_EQ(known_external({"uuid", "Uuid"}), Entity::external_type(model::ExternalType::Uuid));
  EXPECT_EQ(known_external({"chrono", "DateTime"}), Entity::external_type(model::ExternalType::DateTimeUtc));
  EXPECT_EQ(known_external({"rust_decimal", "Decimal"}), Entity::external_type(model::ExternalType::Decimal));
  EXPECT_EQ(known_external({"serde_json", "Value"}), Entity::external_type(model::ExternalType::JsonValue));
  EXPECT_EQ(known_external({"chrono", "Utc"}), std::nullopt);
  EXPECT_EQ(known_external({"Uuid"}), std::nullopt);
  EXPECT_EQ(known_external({"x", "uuid", "Uuid"}), std::nullopt);
}

}  // namespace
}  // namespace vantrel::engine::extract
