// The unused-endpoint lint's pieces: collecting the app's sources from the
// configured patterns, and the diagnostics for endpoints the app never uses.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/run_binary.h"
#include "cli/unused_lint.h"

namespace vantrel::cli {
namespace {

using testing::TempDir;

std::vector<std::string> paths_of(const std::vector<engine::usage::SourceText>& sources, const TempDir& dir) {
  std::vector<std::string> out;
  for (const auto& [path, text] : sources) {
    out.push_back(std::filesystem::path(path).lexically_relative(dir.path()).generic_string() + "=" + text);
  }
  return out;
}

TEST(CollectAppSources, EachPathOnceInPatternOrderSkippingWhatCannotBeRead) {
  TempDir dir;
  dir.write("app/src/b.ts", "b");
  dir.write("app/src/a.ts", "a");
  dir.write("app/src/deep/c.tsx", "c");
  dir.write("app/src/bad.ts", std::string("\xff\xfe", 2));
  std::filesystem::create_directories(dir.path() / "app/src/dir.ts");
  const model::DiskFileProvider disk;
  auto sources = collect_app_sources(
      dir.path(), {"app/src/deep/*.tsx", "app/src/**/*.ts", "app/src/*.tsx", "app/./src/a.ts", "nothing/*.ts"},
      disk);
  ASSERT_TRUE(sources.ok()) << sources.error();
  // a.ts is matched again by a differently spelled pattern, the bad and the
  // directory "dir.ts" are skipped silently.
  EXPECT_THAT(paths_of(*sources, dir),
              ::testing::ElementsAre("app/src/deep/c.tsx=c", "app/src/a.ts=a", "app/src/b.ts=b"));
}

TEST(CollectAppSources, PatternErrorsCarryTheirPositionInTheJoinedPattern) {
  const model::DiskFileProvider disk;
  struct Row {
    std::string pattern;
    std::string reason;
    size_t position;  // within the pattern; the root and "/" come before it
  };
  const std::string root = "/work/root";
  for (const Row& row : {Row{"app/**x/*.ts", "recursive wildcards must form a single path component", 6},
                         Row{"app/***/*.ts", "wildcards are either regular `*` or recursive `**`", 6},
                         Row{"app/x[].ts", "invalid range pattern", 5}}) {
    auto sources = collect_app_sources(root, {"ok/*.ts", row.pattern}, disk);
    ASSERT_FALSE(sources.ok()) << row.pattern;
    EXPECT_EQ(sources.error(), "Pattern syntax error near position " + std::to_string(root.size() + 1 + row.position) +
                                   ": " + row.reason)
        << row.pattern;
  }
}

model::Endpoint endpoint(const std::string& name, model::HttpMethod method, const std::string& route, bool with_attr,
                         bool allow_unused = false) {
  model::Endpoint e;
  e.id = model::SymbolId::from_parts("endpoint", {name});
  e.rust_name = name;
  e.ts_name = name;
  e.ts_module = "m";
  e.method = method;
  e.route = route;
  e.spans.name = model::Span{"src/lib.rs", 100, 104};
  if (with_attr) e.spans.attr = model::Span{"src/lib.rs", 10, 30};
  e.allow_unused = allow_unused;
  return e;
}

TEST(UnusedEndpointDiagnostics, MessageSpanAndSeverityByLevel) {
  model::Contract contract;
  contract.endpoints = {endpoint("get_user", model::HttpMethod::Get, "/users/{id}", true),
                        endpoint("used", model::HttpMethod::Post, "/u", true),
                        endpoint("allowed", model::HttpMethod::Put, "/a", true, /*allow_unused=*/true),
                        endpoint("drop_it", model::HttpMethod::Delete, "/d", false)};
  const std::set<std::string> used = {contract.endpoints[1].id.str()};

  auto deny = unused_endpoint_diagnostics(contract, used, engine::LintLevel::Deny);
  ASSERT_EQ(deny.size(), 2u);
  EXPECT_EQ(deny[0].message,
            "endpoint `get_user` (GET /users/{id}) has no TypeScript usage; remove it or mark it "
            "#[api(..., allow_unused)]");
  EXPECT_EQ(deny[0].code, "unused-endpoint");
  EXPECT_EQ(deny[0].severity, model::Severity::Error);
  EXPECT_EQ(deny[0].span, (model::Span{"src/lib.rs", 10, 30}));
  EXPECT_EQ(deny[1].span, (model::Span{"src/lib.rs", 100, 104})) << "the name when there is no attribute";
  EXPECT_NE(deny[1].message.find("(DELETE /d)"), std::string::npos);

  auto warn = unused_endpoint_diagnostics(contract, used, engine::LintLevel::Warn);
  ASSERT_EQ(warn.size(), 2u);
  EXPECT_EQ(warn[0].severity, model::Severity::Warning);
  EXPECT_TRUE(unused_endpoint_diagnostics(contract, used, engine::LintLevel::Off).empty());
}

TEST(UnusedEndpointLint, ScansTheCollectedSources) {
  TempDir dir;
  dir.write("app/src/main.ts", "import { used } from \"@acme/api\";\nused({});\n");
  engine::Config config = engine::Config::default_config();
  config.app_src = {"app/src/**/*.ts"};
  config.unused_endpoints = engine::LintLevel::Warn;
  model::Contract contract;
  contract.package.ts_package = "@acme/api";
  contract.endpoints = {endpoint("used", model::HttpMethod::Post, "/u", true),
                        endpoint("unused", model::HttpMethod::Get, "/x", true)};
  const model::DiskFileProvider disk;
  auto lint = unused_endpoint_lint(dir.path(), config, contract, disk);
  ASSERT_TRUE(lint.ok()) << lint.error();
  ASSERT_EQ(lint->size(), 1u);
  EXPECT_NE((*lint)[0].message.find("`unused`"), std::string::npos);

  config.app_src = {"app/**x"};
  config.unused_endpoints = engine::LintLevel::Off;
  EXPECT_TRUE(unused_endpoint_lint(dir.path(), config, contract, disk).ok()) << "off collects nothing";
}

}  // namespace
}  // namespace vantrel::cli
