// Workspace discovery over real temporary workspaces (member globs always
// look at the disk) and, where only file contents matter, in memory.
#include "engine/workspace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <system_error>

namespace vantrel::engine {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

/// A temporary directory removed with everything below it.
class TempWorkspace {
 public:
  TempWorkspace() {
    std::string tmpl = (fs::temp_directory_path() / "vantrel-ws-XXXXXX").string();
    char* made = mkdtemp(tmpl.data());
    EXPECT_NE(made, nullptr);
    root_ = tmpl;
  }
  ~TempWorkspace() {
    std::error_code ec;
    fs::remove_all(root_, ec);
  }
  const fs::path& root() const { return root_; }

  void write(const fs::path& relative, std::string_view text) const {
    fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }
  void mkdir(const fs::path& relative) const { fs::create_directories(root_ / relative); }

  /// A member crate: a manifest naming `name` plus src/lib.rs.
  void crate(const fs::path& dir, std::string_view name, std::string_view extra = "") const {
    write(dir / "Cargo.toml", "[package]\nname = \"" + std::string(name) + "\"\nversion = \"0.1.0\"\n" +
                                  std::string(extra));
    write(dir / "src/lib.rs", "");
  }

 private:
  fs::path root_;
};

std::vector<std::string> names(const std::vector<Package>& packages) {
  std::vector<std::string> out;
  for (const Package& package : packages) out.push_back(package.name);
  return out;
}

std::vector<std::string> messages(const Workspace& workspace) {
  std::vector<std::string> out;
  for (const model::Diagnostic& diagnostic : workspace.diagnostics) out.push_back(diagnostic.display());
  return out;
}

Workspace discover_ok(const fs::path& root) {
  model::DiskFileProvider disk;
  auto workspace = discover(root, disk);
  EXPECT_TRUE(workspace.ok()) << (workspace.ok() ? "" : workspace.error().message);
  return workspace.ok() ? std::move(workspace).value() : Workspace{};
}

TEST(Normalize, IsLexical) {
  const std::pair<const char*, const char*> cases[] = {
      {"a/./b/../c", "a/c"},   {"crates/./api/", "crates/api"}, {"/a/../..", "/"},     {"/x/./y", "/x/y"},
      {"a//b", "a/b"},         {"a/..", "."},                   {".", "."},            {"", ""},
      {"../x", "../x"},        {"a/../../x", "../x"},           {"../../a/..", "../.."},
      {"//a//b/", "/a/b"},     {"./a", "a"},                    {"/..", "/"},          {"a/b/c/../..", "a"},
  };
  for (auto [in, out] : cases) EXPECT_EQ(normalize(in), fs::path(out)) << in;
}

TEST(Discover, SinglePackageRepository) {
  TempWorkspace ws;
  ws.crate(".", "solo");
  Workspace workspace = discover_ok(ws.root());
  EXPECT_EQ(workspace.root, ws.root());
  ASSERT_EQ(workspace.packages.size(), 1u);
  const Package& package = workspace.packages[0];
  EXPECT_EQ(package.name, "solo");
  EXPECT_EQ(package.crate_name, "solo");
  EXPECT_EQ(package.dir, ws.root());
  EXPECT_EQ(package.root, ws.root() / "src/lib.rs");
  EXPECT_THAT(workspace.diagnostics, IsEmpty());
}

TEST(Discover, VirtualRootIsNotAPackage) {
  TempWorkspace ws;
  ws.write("Cargo.toml", "[workspace]\nmembers = [\"crates/api\"]\n");
  ws.crate("crates/api", "api");
  Workspace workspace = discover_ok(ws.root());
  EXPECT_THAT(names(workspace.packages), ElementsAre("api"));
  EXPECT_EQ(workspace.packages[0].dir, ws.root() / "crates/api");
}

TEST(Discover, GlobMembersAreDirectoriesOnly) {
  TempWorkspace ws;
  ws.write("Cargo.toml", "[workspace]\nmembers = [\"crates/*\"]\n");
  ws.crate("crates/b", "b");
  ws.crate("crates/a", "a");
  ws.write("crates/README.md", "# crates\n");
  Workspace workspace = discover_ok(ws.root());
  EXPECT_THAT(names(workspace.packages), ElementsAre("a", "b"));
  EXPECT_THAT(workspace.diagnostics, IsEmpty());

  auto dirs = expand_member_glob(ws.root(), "crates/*");
  ASSERT_TRUE(dirs.ok());
  EXPECT_THAT(*dirs, ElementsAre(ws.root() / "crates/a", ws.root() / "crates/b"));
}

TEST(Discover, RootPackageAndMembersTogether) {
  TempWorkspace ws;
  ws.write("Cargo.toml",
           "[package]\nname = \"app\"\n[workspace]\nmembers = [\"crates/*\"]\n"
           "[dependencies]\ncore = { path = \"crates/core\" }\n");
  ws.write("src/main.rs", "");
  ws.crate("crates/core", "core", "[dependencies]\napp = { path = \"../..\" }\n");
  Workspace workspace = discover_ok(ws.root());
  ASSERT_THAT(names(workspace.packages), ElementsAre("app", "core"));
  EXPECT_EQ(workspace.packages[0].root, ws.root() / "src/main.rs");
  EXPECT_THAT(workspace.packages[0].dependencies, ElementsAre("core"));
  EXPECT_THAT(workspace.packages[1].dependencies, ElementsAre("app"));
}

TEST(Discover, NormalisedDuplicateMembersAreProcessedOnce) {
  TempWorkspace ws;
  // No manifest in the member: each time it is processed it warns.
  ws.write("Cargo.toml", "[workspace]\nmembers = [\"crates/./api/\", \"crates/api\", \"crates/x/../api\"]\n");
  ws.mkdir("crates/api");
  Workspace workspace = discover_ok(ws.root());
  EXPECT_THAT(messages(workspace),
              ElementsAre("warning[missing-member-manifest]: workspace member has no manifest: " +
                          (ws.root() / "crates/api/Cargo.toml").string()));
}

TEST(Discover, ExcludeComparesExactText) {
  struct Case {
    const char* exclude;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"crates/old", {"new"}},
      {"./crates/old", {"new", "old"}},
      {"crates/old/", {"new", "old"}},
      {"crates/*", {"new", "old"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.exclude);
    TempWorkspace ws;
    ws.write("Cargo.toml", std::string("[workspace]\nmembers = [\"crates/*\", \"crates/old\"]\nexclude = [1, \"") +
                               c.exclude + "\"]\n");
    ws.crate("crates/old", "old");
    ws.crate("crates/new", "new");
    EXPECT_EQ(names(discover_ok(ws.root()).packages), c.expected);
  }
}

TEST(Discover, CrateRootChoice) {
  struct Case {
    const char* label;
    std::string lib;
    std::vector<const char*> files;
    const char* expected;
  };
  const Case cases[] = {
      {"lib.path exists", "[lib]\npath = \"src/custom.rs\"\n", {"src/custom.rs", "src/lib.rs"}, "src/custom.rs"},
      {"lib.path missing falls back", "[lib]\npath = \"src/missing.rs\"\n", {"src/lib.rs"}, "src/lib.rs"},
      {"lib.path not a string", "[lib]\npath = 3\n", {"src/lib.rs"}, "src/lib.rs"},
      {"lib.rs before main.rs", "", {"src/main.rs", "src/lib.rs"}, "src/lib.rs"},
      {"main.rs alone", "", {"src/main.rs"}, "src/main.rs"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    model::MemoryFileProvider files;
    files.insert("ws/Cargo.toml", "[package]\nname = \"p\"\n" + c.lib);
    for (const char* file : c.files) files.insert(fs::path("ws") / file, "");
    auto workspace = discover("ws", files);
    ASSERT_TRUE(workspace.ok());
    ASSERT_EQ(workspace->packages.size(), 1u);
    EXPECT_EQ(workspace->packages[0].root, fs::path("ws") / c.expected);
  }
}

TEST(Discover, CrateNameReplacesDashes) {
  model::MemoryFileProvider files;
  files.insert("ws/Cargo.toml", "[package]\nname = \"my-api-v2\"\n");
  files.insert("ws/src/lib.rs", "");
  auto workspace = discover("ws", files);
  ASSERT_TRUE(workspace.ok());
  ASSERT_EQ(workspace->packages.size(), 1u);
  EXPECT_EQ(workspace->packages[0].name, "my-api-v2");
  EXPECT_EQ(workspace->packages[0].crate_name, "my_api_v2");
}

TEST(Discover, OnlyPathDependenciesOnMembersCount) {
  TempWorkspace ws;
  ws.write("Cargo.toml", "[workspace]\nmembers = [\"crates/*\"]\n");
  ws.crate("crates/api", "api",
           "[dependencies]\nserde = \"1\"\nzeta = { path = \"../zeta\" }\nfar = { path = \"../../../far\" }\n"
           "versioned = { version = \"2\" }\nbad = { path = 7 }\n"
           "[dev-dependencies]\nzeta = { path = \"../zeta/\" }\nmodels = { path = \"../models\" }\n"
           "[build-dependencies]\nmissing = { path = \"../missing\" }\n");
  ws.crate("crates/zeta", "zeta");
  ws.crate("crates/models", "models");
  ws.crate("../far-" + ws.root().filename().string(), "far");  // outside, beside the workspace
  Workspace workspace = discover_ok(ws.root());
  ASSERT_THAT(names(workspace.packages), ElementsAre("api", "models", "zeta"));
  EXPECT_THAT(workspace.packages[0].dependencies, ElementsAre("models", "zeta"));
  std::error_code ec;
  fs::remove_all(ws.root().parent_path() / ("far-" + ws.root().filename().string()), ec);
}

TEST(Discover, MutualDependenciesAreReachableFromEither) {
  model::MemoryFileProvider files;
  files.insert("ws/Cargo.toml", "[workspace]\nmembers = [\"a\", \"b\", \"c\", \"d\"]\n");
  files.insert("ws/a/Cargo.toml", "[package]\nname = \"a\"\n[dependencies]\nb = { path = \"../b\" }\n");
  files.insert("ws/b/Cargo.toml", "[package]\nname = \"b\"\n[dependencies]\na = { path = \"../a\" }\n");
  files.insert("ws/c/Cargo.toml", "[package]\nname = \"c\"\n[dependencies]\na = { path = \"../a\" }\n");
  files.insert("ws/d/Cargo.toml", "[package]\nname = \"d\"\n");
  for (const char* dir : {"a", "b", "c", "d"}) files.insert(fs::path("ws") / dir / "src/lib.rs", "");
  auto workspace = discover("ws", files);
  ASSERT_TRUE(workspace.ok());
  EXPECT_THAT(names(workspace->reachable_packages("a")), ElementsAre("a", "b"));
  EXPECT_THAT(names(workspace->reachable_packages("b")), ElementsAre("a", "b"));
  EXPECT_THAT(names(workspace->reachable_packages("c")), ElementsAre("a", "b", "c"));
  EXPECT_THAT(names(workspace->reachable_packages("d")), ElementsAre("d"));
  EXPECT_THAT(workspace->reachable_packages("nope"), IsEmpty());
  ASSERT_NE(workspace->find("c"), nullptr);
  EXPECT_EQ(workspace->find("c")->dir, fs::path("ws/c"));
  EXPECT_EQ(workspace->find("e"), nullptr);
}

TEST(Discover, MemberProblemsAreCollectedInOrder) {
  TempWorkspace ws;
  ws.write("Cargo.toml",
           "[workspace]\nmembers = [\"crates/[\", \"crates/*\", \"crates/a**\", 5, \"README.md\"]\n");
  ws.write("README.md", "");
  ws.crate("crates/good", "good");
  ws.write("crates/no-name/Cargo.toml", "[package]\nversion = \"1.0.0\"\n");
  ws.write("crates/no-root/Cargo.toml", "[package]\nname = \"no-root\"\n");
  ws.write("crates/package-string/Cargo.toml", "package = \"x\"\n");
  ws.write("crates/syntax/Cargo.toml", "[package]\nname = = \"x\"\n");
  ws.write("crates/virtual/Cargo.toml", "[workspace]\n");
  ws.mkdir("crates/empty-dir");
  const fs::path crates = ws.root() / "crates";
  Workspace workspace = discover_ok(ws.root());
  EXPECT_THAT(names(workspace.packages), ElementsAre("good"));
  EXPECT_THAT(
      messages(workspace),
      ElementsAre(
          "warning[invalid-member-glob]: invalid workspace member pattern `crates/[`: Pattern syntax error near "
          "position 7: invalid range pattern",
          "warning[invalid-member-glob]: invalid workspace member pattern `crates/a**`: Pattern syntax error near "
          "position 7: recursive wildcards must form a single path component",
          "warning[missing-member-manifest]: workspace member has no manifest: " +
              (ws.root() / "README.md/Cargo.toml").string(),
          "warning[missing-member-manifest]: workspace member has no manifest: " +
              (crates / "empty-dir/Cargo.toml").string(),
          "error[invalid-manifest]: missing package.name in " + (crates / "no-name/Cargo.toml").string(),
          "warning[missing-crate-root]: no src/lib.rs or src/main.rs found for package `no-root`",
          "error[invalid-manifest]: missing package.name in " + (crates / "package-string/Cargo.toml").string(),
          "error[invalid-manifest]: failed to parse " + (crates / "syntax/Cargo.toml").string() +
              ": TOML parse error at line 2, column 8\n"
              "  |\n"
              "2 | name = = \"x\"\n"
              "  |        ^\n"
              "Error while parsing value: could not determine value type\n"));
}

TEST(Discover, RootManifestFailures) {
  model::MemoryFileProvider files;
  auto missing = discover("ws", files);
  ASSERT_FALSE(missing.ok());
  EXPECT_EQ(missing.error().code, "missing-manifest");
  EXPECT_EQ(missing.error().display(), "error[missing-manifest]: no Cargo.toml found at ws/Cargo.toml");

  files.insert("ws/Cargo.toml", "[workspace]\nmembers = [\n");
  auto broken = discover("ws", files);
  ASSERT_FALSE(broken.ok());
  EXPECT_EQ(broken.error().code, "invalid-manifest");
  EXPECT_EQ(broken.error().span, std::nullopt);
  EXPECT_EQ(broken.error().message,
            "failed to parse ws/Cargo.toml: TOML parse error at line 2, column 13\n"
            "  |\n"
            "2 | members = [\n"
            "  |             ^\n"
            "Error while parsing array: encountered end-of-file\n");
}

TEST(Discover, OddManifestsNeverCrash) {
  const std::string cases[] = {
      "",
      std::string("\0\0\0\x7f" "ELF\x02\x01", 10),
      "\xFF\xFE[package]\n",
      "workspace = 1\npackage = []\n",
      "[workspace]\nmembers = \"crates/*\"\nexclude = \"x\"\n",
      "[workspace]\nmembers = [[\"a\"], {}, \"\"]\n",
      "[package]\nname = \"p\"\n[dependencies]\nx = { path = \"\\u0000\" }\n",
  };
  for (const std::string& text : cases) {
    model::MemoryFileProvider files;
    files.insert("ws/Cargo.toml", text);
    auto workspace = discover("ws", files);
    if (!workspace.ok()) {
      EXPECT_EQ(workspace.error().code, "invalid-manifest");
    }
  }
}

TEST(Discover, GlobsSurviveLinkLoopsAndUnreadableDirectories) {
  TempWorkspace ws;
  ws.write("Cargo.toml", "[workspace]\nmembers = [\"crates/**\"]\n");
  ws.crate("crates/a", "a");
  fs::create_directory_symlink("..", ws.root() / "crates/a/up");
  fs::create_directory_symlink("loop", ws.root() / "crates/loop");  // points at itself
  ws.mkdir("crates/locked/inner");
  fs::permissions(ws.root() / "crates/locked", fs::perms::none);
  Workspace workspace = discover_ok(ws.root());
  fs::permissions(ws.root() / "crates/locked", fs::perms::owner_all);
  EXPECT_THAT(names(workspace.packages), ElementsAre("a"));
}

TEST(Discover, RootWithGlobCharactersIsTakenLiterally) {
  TempWorkspace outer;
  outer.write("ws[1]*/Cargo.toml", "[workspace]\nmembers = [\"crates/*\"]\n");
  outer.crate("ws[1]*/crates/api", "api");
  outer.crate("ws1x/crates/other", "other");
  model::DiskFileProvider disk;
  auto result = discover(outer.root() / "ws[1]*", disk);
  ASSERT_TRUE(result.ok()) << result.error().display();
  Workspace& workspace = *result;
  EXPECT_THAT(names(workspace.packages), ElementsAre("api"));
}

TEST(Discover, RelativeRootsKeepMemberPathsUsable) {
  // The command line's default root "." displays members without "./".
  model::MemoryFileProvider files;
  files.insert("./Cargo.toml", "[workspace]\nmembers = [\"crates/x\", \"crates/y\"]\nexclude = [\"crates/y\"]\n");
  auto here = discover(".", files);
  ASSERT_TRUE(here.ok());
  EXPECT_THAT(messages(*here),
              ElementsAre("warning[missing-member-manifest]: workspace member has no manifest: crates/x/Cargo.toml"));

  // A root above the current directory keeps its "..", so members are read
  // where they are.
  files.insert("../ws/Cargo.toml", "[workspace]\nmembers = [\"crates/a\"]\n");
  files.insert("../ws/crates/a/Cargo.toml", "[package]\nname = \"a\"\n[dependencies]\nb = { path = \"../../b\" }\n");
  files.insert("../ws/crates/a/src/lib.rs", "");
  auto above = discover("../ws", files);
  ASSERT_TRUE(above.ok());
  ASSERT_EQ(above->packages.size(), 1u);
  EXPECT_EQ(above->packages[0].dir, fs::path("../ws/crates/a"));
  EXPECT_EQ(above->packages[0].root, fs::path("../ws/crates/a/src/lib.rs"));
}

TEST(Discover, LaterMemberWithTheSameNameWins) {
  model::MemoryFileProvider files;
  files.insert("ws/Cargo.toml", "[workspace]\nmembers = [\"b\", \"a\"]\n");
  for (const char* dir : {"a", "b"}) {
    files.insert(fs::path("ws") / dir / "Cargo.toml", "[package]\nname = \"same\"\n");
    files.insert(fs::path("ws") / dir / "src/lib.rs", "");
  }
  auto workspace = discover("ws", files);
  ASSERT_TRUE(workspace.ok());
  ASSERT_EQ(workspace->packages.size(), 1u);
  EXPECT_EQ(workspace->packages[0].dir, fs::path("ws/b"));
}

}  // namespace
}  // namespace vantrel::engine
