// Trees parsed ahead of extraction: used only when they match the text the
// provider serves, so a stale tree (an unsaved buffer, a file changed after
// it was parsed) never changes the outcome.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/extract/extract.h"
#include "rustsyn/source_file.h"

namespace vantrel::engine::extract {
namespace {

using ::testing::ElementsAre;

constexpr const char* kRouter = "#[api_router] pub fn router() -> Router { Router::new().endpoint(get) }\n";

std::string source_returning(const std::string& type) {
  return std::string(kRouter) + "#[derive(Api)] pub struct " + type + " { pub x: u8 }\n" +
         "#[api(get, \"/x\")] pub async fn get() -> Json<" + type + "> { todo!() }\n";
}

Workspace one_package() {
  Workspace workspace;
  workspace.root = "ws";
  workspace.packages.push_back(Package{"app", "app", "ws/app", "ws/app/src/lib.rs", {}});
  return workspace;
}

std::vector<std::string> type_names(const Extraction& extraction) {
  std::vector<std::string> names;
  for (const auto& type : extraction.contract.types) names.push_back(type.ts_name);
  return names;
}

TEST(ParsedFiles, FindsATreeOnlyForItsOwnText) {
  ParsedFiles parsed;
  auto tree = rustsyn::SourceFile::parse("struct A;");
  parsed.insert("ws/./app//src/lib.rs", tree);
  ASSERT_NE(parsed.find("ws/app/src/lib.rs", "struct A;"), nullptr);
  EXPECT_EQ(parsed.find("ws/app/src/lib.rs", "struct A;")->tree, tree);
  EXPECT_EQ(parsed.find("ws/app/src/lib.rs", "struct A; "), nullptr);
  EXPECT_EQ(parsed.find("ws/app/src/other.rs", "struct A;"), nullptr);
  EXPECT_TRUE(parsed.contains("ws/app/src/lib.rs"));
  EXPECT_FALSE(parsed.contains("ws/app/src/other.rs"));
}

TEST(ParsedFiles, ExtractionUsesMatchingTreesAndIgnoresStaleOnes) {
  Workspace workspace = one_package();
  model::MemoryFileProvider provider;
  provider.insert("ws/app/src/lib.rs", source_returning("Fresh"));

  struct Case {
    const char* name;
    std::string preparsed_text;
  };
  for (const Case& c : {Case{"matching", source_returning("Fresh")}, Case{"stale", source_returning("Stale")},
                        Case{"stale with a syntax error", "pub struct {"}}) {
    SCOPED_TRACE(c.name);
    ParsedFiles parsed;
    parsed.insert("ws/app/src/lib.rs", rustsyn::SourceFile::parse(c.preparsed_text));
    auto result = extract(workspace, "app", "@t/app", provider, &parsed);
    ASSERT_TRUE(result);
    EXPECT_THAT(type_names(*result), ElementsAre("Fresh"));
    EXPECT_FALSE(result->has_errors());
    EXPECT_EQ(result->contract.endpoints.size(), 1u);
  }
}

}  // namespace
}  // namespace vantrel::engine::extract
