// The extraction driver on in-memory workspaces: what the contract keeps,
// warnings versus errors, and hostile input that must neither crash nor hang
// (deep nesting, import and mount cycles, modules declared twice).
#include "engine/extract/extract.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantrel::engine::extract {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

struct Outcome {
  Extraction extraction;
  std::vector<std::string> codes;
  std::vector<std::string> type_names;
};

// Extracts crate `app` made of `files` (paths relative to its directory).
Outcome run(const std::vector<std::pair<std::string, std::string>>& files) {
  model::MemoryFileProvider provider;
  for (const auto& [path, text] : files) provider.insert("ws/app/" + path, text);
  Workspace workspace;
  workspace.root = "ws";
  workspace.packages.push_back(Package{"app", "app", "ws/app", "ws/app/src/lib.rs", {}});
  auto result = extract(workspace, "app", "@t/app", provider);
  EXPECT_TRUE(result);
  Outcome out{std::move(result).value(), {}, {}};
  for (const auto& d : out.extraction.diagnostics) out.codes.emplace_back(d.code);
  for (const auto& t : out.extraction.contract.types) out.type_names.push_back(t.ts_name);
  return out;
}

constexpr const char* kRouter = "#[api_router] pub fn router() -> Router { Router::new().endpoint(get) }\n";

TEST(Extract, KeepsOnlyWhatEndpointsReach) {
  Outcome r = run({{"src/lib.rs",
                std::string(kRouter) +
                    "#[derive(Api)] pub struct Used { pub a: Vec<Inner>, pub b: Option<Inner> }\n"
                    "#[derive(Api)] pub struct Inner { pub x: u8 }\n"
                    "#[derive(Api)] pub struct Unused { pub y: OnlyHere }\n"
                    "#[derive(Api)] pub struct OnlyHere { pub z: u8 }\n"
                    "#[derive(Api)] pub struct Also { pub w: u64 }\n"
                    "#[api(get, \"/x\")] pub async fn get() -> Json<Used> { todo!() }\n"}});
  EXPECT_THAT(r.type_names, ElementsAre("Inner", "Used"));
  // Unused declarations are still lowered, so their diagnostics stay.
  EXPECT_THAT(r.codes, ElementsAre("imprecise-int"));
  EXPECT_FALSE(r.extraction.has_errors());
  EXPECT_EQ(r.extraction.contract.endpoints.at(0).route, "/x");
}

TEST(Extract, DeepTypeNestingIsReportedNotFatal) {
  std::string deep = "u8";
  for (int i = 0; i < 5000; ++i) deep = "Vec<" + deep + ">";
  Outcome r = run({{"src/lib.rs", std::string(kRouter) + "#[derive(Api)] pub struct Deep { pub v: " + deep +
                                  " }\n#[api(get, \"/x\")] pub async fn get() -> Json<Deep> { todo!() }\n"}});
  EXPECT_TRUE(r.extraction.has_errors());
  EXPECT_THAT(r.type_names, ElementsAre("Deep"));
}

TEST(Extract, CyclesEndAndAreReported) {
  Outcome r = run({{"src/lib.rs",
                "mod a; mod a;\n"
                "mod x { pub use super::y::*; }\n"
                "mod y { pub use super::x::*; }\n"
                "#[path = \"lib.rs\"] mod again;\n"
                "#[api_router] pub fn loop_a() -> Router { Router::new().merge(loop_a()).endpoint(get) }\n"
                "#[api_router] pub fn loop_b() -> Router { Router::new().nest(\"/b\", loop_c()) }\n"
                "#[api_router] pub fn loop_c() -> Router { Router::new().nest(\"/c\", loop_b()).endpoint(get) }\n"
                "#[api(get, \"/x\")] pub async fn get() -> Json<x::Missing> { todo!() }\n"},
               {"src/a.rs", "pub struct A;"}});
  EXPECT_THAT(r.codes, ElementsAre("missing-module-file", "unresolved-type", "unmounted-endpoint"));
  EXPECT_EQ(r.extraction.contract.endpoints.size(), 1u);
}

TEST(Extract, ModuleMapProblemsComeFirst) {
  Outcome r = run({{"src/lib.rs", "mod gone;\n#[derive(Api)] pub struct Bad(u8, u8);\n"}});
  EXPECT_THAT(r.codes, ElementsAre("missing-module-file", "invalid-api-item"));
  EXPECT_THAT(r.extraction.contract.endpoints, IsEmpty());
}

}  // namespace
}  // namespace vantrel::engine::extract
