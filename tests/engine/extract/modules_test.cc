// The module map: candidate files of `mod` declarations, test-only items,
// use-tree flattening, display paths, spans, and the walk's diagnostics
// (missing and unparsable files, self-inclusion).
#include "engine/extract/modules.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vantrel::engine::extract {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Pair;

struct Walk {
  ModuleMap map;
  std::vector<model::Diagnostic> diagnostics;
};

// Walks the crate `app` rooted at src/lib.rs of the in-memory files.
Walk walk(const std::vector<std::pair<std::string, std::string>>& files, std::string root_file = "src/lib.rs") {
  model::MemoryFileProvider provider;
  for (const auto& [path, text] : files) provider.insert(path, text);
  Package package{"app", "app", "", root_file, {}};
  Walk result;
  result.map.walk_package("", package, provider, result.diagnostics);
  return result;
}

std::vector<std::string> rendered(const std::vector<model::Diagnostic>& diagnostics) {
  std::vector<std::string> out;
  for (const auto& d : diagnostics) out.push_back(d.render(std::nullopt));
  return out;
}

std::vector<std::string> item_names(const ModuleData& data) {
  std::vector<std::string> names;
  for (const auto& item : data.items) {
    if (auto ident = item.ident()) names.emplace_back(ident->text);
  }
  return names;
}

struct CandidateCase {
  const char* label;
  std::vector<std::pair<std::string, std::string>> files;
  ModulePath module;
  std::string expected_file;
};

class ModuleCandidates : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(ModuleCandidates, FindsTheFirstExistingCandidate) {
  const CandidateCase& c = GetParam();
  Walk w = walk(c.files);
  EXPECT_THAT(rendered(w.diagnostics), IsEmpty());
  const ModuleData* data = w.map.find(c.module);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->file, c.expected_file);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, ModuleCandidates,
    ::testing::Values(
        CandidateCase{"flat", {{"src/lib.rs", "mod util;"}, {"src/util.rs", ""}}, {"app", "util"}, "src/util.rs"},
        CandidateCase{"mod_rs", {{"src/lib.rs", "mod util;"}, {"src/util/mod.rs", ""}}, {"app", "util"},
                      "src/util/mod.rs"},
        CandidateCase{"flat_wins",
                      {{"src/lib.rs", "mod util;"}, {"src/util.rs", ""}, {"src/util/mod.rs", "syntax error ("}},
                      {"app", "util"},
                      "src/util.rs"},
        CandidateCase{"nested_below_stem",
                      {{"src/lib.rs", "mod a;"}, {"src/a.rs", "mod b;"}, {"src/a/b.rs", ""}},
                      {"app", "a", "b"},
                      "src/a/b.rs"},
        CandidateCase{"nested_mod_rs_below_stem",
                      {{"src/lib.rs", "mod a;"}, {"src/a.rs", "mod b;"}, {"src/a/b/mod.rs", ""}},
                      {"app", "a", "b"},
                      "src/a/b/mod.rs"},
        CandidateCase{"beside_mod_rs",
                      {{"src/lib.rs", "mod a;"}, {"src/a/mod.rs", "mod b;"}, {"src/a/b.rs", ""}},
                      {"app", "a", "b"},
                      "src/a/b.rs"},
        CandidateCase{"inline_in_root_uses_stem",
                      {{"src/lib.rs", "mod a { mod b; }"}, {"src/lib/b.rs", ""}},
                      {"app", "a", "b"},
                      "src/lib/b.rs"},
        CandidateCase{"path_attribute",
                      {{"src/lib.rs", "#[path = \"other.rs\"] mod x;"}, {"src/other.rs", ""}, {"src/x.rs", ""}},
                      {"app", "x"},
                      "src/other.rs"},
        CandidateCase{"first_path_attribute_counts",
                      {{"src/lib.rs", "#[path(\"no.rs\")] #[path = \"one.rs\"] #[path = \"two.rs\"] mod x;"},
                       {"src/one.rs", ""}},
                      {"app", "x"},
                      "src/one.rs"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(ModuleMap, PathAttributeToMissingFileWarnsWithTheModuleName) {
  Walk w = walk({{"src/lib.rs", "#[path = \"other.rs\"] mod x;"}, {"src/x.rs", ""}});
  EXPECT_THAT(rendered(w.diagnostics),
              ElementsAre("warning[missing-module-file]: file for module `x` not found (from src/lib.rs)"));
  EXPECT_FALSE(w.map.contains({"app", "x"}));
  EXPECT_THAT(w.map.find({"app"})->mods, ElementsAre(Pair("x", ModulePath{"app", "x"})));
}

TEST(ModuleMap, TestOnlyItemsAreDroppedAndNotWalked) {
  Walk w = walk({{"src/lib.rs",
                  "#[cfg(test)] mod tests;\n"
                  "#[cfg(not(test))] mod x;\n"
                  "#[cfg(all(test, unix))] mod y;\n"
                  "#[cfg(test)] struct Hidden;\n"
                  "#[cfg(unix, test)] fn hidden() {}\n"
                  "#[cfg(test)] use foo::Bar;\n"
                  "#[cfg(test)] macro_rules! kept { () => {} }\n"
                  "#[cfg] struct Shown;\n"
                  "#[cfg(feature = \"x\", test)] enum AlsoHidden {}\n"
                  "#[cfg(test = \"x\")] struct HiddenToo;\n"
                  "#[cfg(testing)] struct Visible;\n"}});
  EXPECT_THAT(rendered(w.diagnostics),
              ElementsAre("warning[missing-module-file]: file for module `x` not found (from src/lib.rs)",
                          "warning[missing-module-file]: file for module `y` not found (from src/lib.rs)"));
  const ModuleData* root = w.map.find({"app"});
  ASSERT_NE(root, nullptr);
  EXPECT_THAT(item_names(*root), ElementsAre("kept", "Shown", "Visible"));
  EXPECT_EQ(root->mods.count("tests"), 0u);
  EXPECT_THAT(root->uses, IsEmpty());
}

TEST(ModuleMap, UseTreesFlattenIntoUsesAndGlobs) {
  Walk w = walk({{"src/lib.rs",
                  "use crate::a::{self, b as c, d::*};\n"
                  "use std::io::{self};\n"
                  "use self;\n"
                  "use {self};\n"
                  "pub use ::uuid::Uuid;\n"
                  "use x::One as Same;\n"
                  "use y::Two as Same;\n"
                  "use m::{n::{o::{p, q::*}}};\n"}});
  const ModuleData* root = w.map.find({"app"});
  ASSERT_NE(root, nullptr);
  EXPECT_THAT(root->uses, ElementsAre(Pair("Same", UsePath{"y", "Two"}), Pair("Uuid", UsePath{"uuid", "Uuid"}),
                                      Pair("a", UsePath{"crate", "a"}), Pair("c", UsePath{"crate", "a", "b"}),
                                      Pair("io", UsePath{"std", "io"}), Pair("p", UsePath{"m", "n", "o", "p"})));
  EXPECT_THAT(root->globs, ElementsAre(UsePath{"crate", "a", "d"}, UsePath{"m", "n", "o", "q"}));
  EXPECT_EQ(root->items.size(), 8u);  // use items are kept
}

TEST(ModuleMap, InlineModulesAndRedeclarations) {
  Walk w = walk({{"src/lib.rs", "mod a { pub struct A; mod b { struct B; } }\nstruct Top;\nmod a { struct Again; }\n"}});
  EXPECT_THAT(rendered(w.diagnostics), IsEmpty());
  EXPECT_THAT(item_names(*w.map.find({"app"})), ElementsAre("Top"));
  // The later declaration replaces the earlier module.
  EXPECT_THAT(item_names(*w.map.find({"app", "a"})), ElementsAre("Again"));
  EXPECT_THAT(item_names(*w.map.find({"app", "a", "b"})), ElementsAre("B"));
  EXPECT_EQ(w.map.find({"app", "a", "b"})->file, "src/lib.rs");
}

TEST(ModuleMap, MissingCrateRootIsOneErrorAndNoModule) {
  Walk w = walk({});
  EXPECT_THAT(rendered(w.diagnostics), ElementsAre("error[missing-module-file]: module file not found: src/lib.rs"));
  EXPECT_EQ(w.map.size(), 0u);
}

TEST(ModuleMap, ParseErrorDropsTheModuleAndItsChildren) {
  Walk w = walk({{"src/lib.rs", "mod a;\nmod c;"}, {"src/a.rs", "mod b;\nstruct X {"}, {"src/a/b.rs", ""},
                 {"src/c.rs", ""}});
  ASSERT_EQ(w.diagnostics.size(), 1u);
  EXPECT_EQ(w.diagnostics[0].code, "parse-error");
  EXPECT_THAT(w.diagnostics[0].message, ::testing::StartsWith("failed to parse src/a.rs: "));
  ASSERT_TRUE(w.diagnostics[0].span);
  EXPECT_EQ(w.diagnostics[0].span->file, "src/a.rs");
  EXPECT_FALSE(w.map.contains({"app", "a"}));
  EXPECT_FALSE(w.map.contains({"app", "a", "b"}));
  EXPECT_TRUE(w.map.contains({"app", "c"}));
  EXPECT_EQ(w.map.find({"app"})->mods.count("a"), 1u);
}

TEST(ModuleMap, SelfInclusionEndsWithAnError) {
  Walk w = walk({{"src/lib.rs", "mod a;"},
                 {"src/a.rs", "#[path = \"a.rs\"] mod again;\n#[path = \"lib.rs\"] mod root;\nstruct A;"}});
  EXPECT_THAT(rendered(w.diagnostics),
              ElementsAre("error[missing-module-file]: module file src/a.rs includes itself; the inner module is "
                          "treated as missing",
                          "error[missing-module-file]: module file src/lib.rs includes itself; the inner module is "
                          "treated as missing"));
  EXPECT_THAT(item_names(*w.map.find({"app", "a"})), ElementsAre("A"));
  EXPECT_FALSE(w.map.contains({"app", "a", "again"}));
}

TEST(ModuleMap, ModPointingAtADirectoryIsMissing) {
  // The provider reports directories as non-existent files.
  model::MemoryFileProvider provider;
  provider.insert("src/lib.rs", "#[path = \"dir\"] mod d;");
  provider.insert("src/dir/inner.rs", "");
  Package package{"app", "app", "", "src/lib.rs", {}};
  ModuleMap map;
  std::vector<model::Diagnostic> diagnostics;
  map.walk_package("", package, provider, diagnostics);
  EXPECT_THAT(rendered(diagnostics),
              ElementsAre("warning[missing-module-file]: file for module `d` not found (from src/lib.rs)"));
}

TEST(ModuleMap, EachCrateIsWalkedOncePerMap) {
  model::MemoryFileProvider provider;
  provider.insert("src/lib.rs", "struct A;");
  Package package{"my-app", "my_app", "", "src/lib.rs", {}};
  ModuleMap map;
  std::vector<model::Diagnostic> diagnostics;
  map.walk_package("", package, provider, diagnostics);
  provider.insert("src/lib.rs", "struct Changed;");
  map.walk_package("", package, provider, diagnostics);
  EXPECT_THAT(item_names(*map.find({"my_app"})), ElementsAre("A"));
}

// How derive lists are read: comma-separated paths judged by their last
// segment, the last API derive winning, a malformed entry ending the list
// while keeping what came before it.
TEST(ApiItemKind, ReadsDeriveListsPathByPath) {
  struct Case {
    const char* source;
    std::optional<ApiKind> expected;
  };
  const std::vector<Case> cases = {
      {"#[derive(Api)] struct S;", ApiKind::Api},
      {"#[derive(Debug, Clone, Serialize, Deserialize, Api)] struct S;", ApiKind::Api},
      {"#[derive(vantrel::ApiError)] enum E {}", ApiKind::ApiError},
      {"#[derive(::vantrel::Api)] struct S;", ApiKind::Api},
      {"#[derive(Api, ApiError)] enum E {}", ApiKind::ApiError},
      {"#[derive(ApiError)] #[derive(Api)] struct S;", ApiKind::Api},
      {"#[derive(Api)] #[derive(Debug)] struct S;", ApiKind::Api},
      {"#[derive(Serialize)] struct S;", std::nullopt},
      {"#[derive(Api::)] struct S;", std::nullopt},
      {"#[derive(::)] struct S;", std::nullopt},
      {"#[derive(Api Debug)] struct S;", ApiKind::Api},
      {"#[derive(Api<T>)] struct S;", ApiKind::Api},
      {"#[derive(Debug Api)] struct S;", std::nullopt},
      {"#[derive(, Api)] struct S;", std::nullopt},
      {"#[derive(Api,)] struct S;", ApiKind::Api},
      {"#[derive(\"Api\", Api)] struct S;", std::nullopt},
      {"#[derive(true, Api)] struct S;", std::nullopt},
      {"#[derive(Debug, 'a, Api)] struct S;", std::nullopt},
      {"#[derive((Api))] struct S;", std::nullopt},
      {"#[derive(/* c */ Api /* d */, /* e */ ApiError)] enum E {}", ApiKind::ApiError},
      {"#[derive[Api]] struct S;", ApiKind::Api},
      {"#[derive = \"Api\"] struct S;", std::nullopt},
      {"#[derive] struct S;", std::nullopt},
      {"/// derive(Api)\nstruct S;", std::nullopt},
      {"#[derive(Api)] fn f() {}", std::nullopt},
  };
  for (const Case& c : cases) {
    Walk w = walk({{"src/lib.rs", c.source}});
    const ModuleData* root = w.map.find({"app"});
    ASSERT_NE(root, nullptr) << c.source;
    ASSERT_EQ(root->api_kinds.size(), 1u) << c.source;
    EXPECT_EQ(root->api_kinds[0], c.expected) << c.source;
  }
}

TEST(DisplayPath, RelativeToTheRootWithForwardSlashes) {
  EXPECT_EQ(display_path("/ws", "/ws/crates/a/src/lib.rs"), "crates/a/src/lib.rs");
  EXPECT_EQ(display_path(".", "./crates/a/src/lib.rs"), "crates/a/src/lib.rs");
  EXPECT_EQ(display_path("ws", "ws/src/../src/lib.rs"), "src/lib.rs");
  EXPECT_EQ(display_path("/ws", "/elsewhere/lib.rs"), "/elsewhere/lib.rs");
  EXPECT_EQ(display_path("/ws", "/wsx/lib.rs"), "/wsx/lib.rs");
  EXPECT_EQ(display_path(".", "../outside/lib.rs"), "../outside/lib.rs");
  EXPECT_EQ(display_path("", "src\\win.rs"), "src/win.rs");
  EXPECT_EQ(display_path("/", "/ws/lib.rs"), "ws/lib.rs");
  EXPECT_EQ(display_path("ws", "ws"), "ws");
  EXPECT_EQ(display_path("ws/", "ws//src/lib.rs"), "src/lib.rs");
  EXPECT_EQ(display_path("ws", "/ws/lib.rs"), "/ws/lib.rs");
}

TEST(SpanOf, ItemsStartAtTheirFirstAttribute) {
  Walk w = walk({{"src/lib.rs", "/// doc\n#[derive(Api)]\npub struct User { id: u32 }\n"}});
  const rustsyn::Item& item = w.map.find({"app"})->items.at(0);
  EXPECT_EQ(span_of("src/lib.rs", item), (model::Span{"src/lib.rs", 0, 50}));
  EXPECT_EQ(span_of("src/lib.rs", *item.ident()), (model::Span{"src/lib.rs", 34, 38}));
  EXPECT_EQ(span_of("f", rustsyn::Node()), (model::Span{"f", 0, 0}));
}

}  // namespace
}  // namespace vantrel::engine::extract
