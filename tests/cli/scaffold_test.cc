// `vantrel new`: the project's files byte for byte against the golden copies
// in golden/scaffold/my_app (each with a ".golden" suffix, so that no tool
// mistakes them for a real project), the printed next steps, and the refusals
// that must leave the directory untouched.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <set>
#include <sstream>

#include "cli/run_binary.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kGoldenDir = fs::path(VANTREL_SOURCE_DIR) / "tests/cli/golden/scaffold/my_app";

const std::string kNextSteps =
    "created my_app/\n"
    "next steps:\n"
    "  cd my_app\n"
    "  vantrel generate        # extract + generate the Effect client\n"
    "  npm install\n"
    "  npm run server           # start the API server\n"
    "  npm run app              # run the example client\n";

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

/// Every regular file below `dir`, relative to it, sorted.
std::set<std::string> files_below(const fs::path& dir) {
  std::set<std::string> files;
  if (!fs::exists(dir)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    if (entry.is_regular_file()) files.insert(fs::relative(entry.path(), dir).string());
  }
  return files;
}

/// The directory's entries with their contents, to show nothing changed.
std::set<std::pair<std::string, std::string>> snapshot(const fs::path& dir) {
  std::set<std::pair<std::string, std::string>> entries;
  for (const auto& entry : fs::recursive_directory_iterator(dir)) {
    entries.insert({fs::relative(entry.path(), dir).string(), entry.is_regular_file() ? slurp(entry.path()) : "<dir>"});
  }
  return entries;
}

TEST(Scaffold, CreatesTheNineFilesByteForByteAndPrintsTheNextSteps) {
  TempDir dir;
  RunResult r = run_vantrel({"new", "my_app"}, dir.path());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, kNextSteps);
  EXPECT_EQ(r.err, "");

  std::set<std::string> expected;
  for (const std::string& golden : files_below(kGoldenDir)) {
    ASSERT_TRUE(golden.ends_with(".golden")) << golden;
    expected.insert(golden.substr(0, golden.size() - std::string(".golden").size()));
  }
  ASSERT_EQ(expected.size(), 9u);
  EXPECT_EQ(files_below(dir.path() / "my_app"), expected);
  for (const std::string& file : expected) {
    EXPECT_EQ(slurp(dir.path() / "my_app" / file), slurp(kGoldenDir / (file + ".golden"))) << file;
  }
}

TEST(Scaffold, FillsTheNameIntoEveryPlaceThatNamesTheProject) {
  TempDir dir;
  RunResult r = run_vantrel({"new", "Demo-2"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::StartsWith("created Demo-2/\nnext steps:\n  cd Demo-2\n"));
  for (const std::string& file : files_below(dir.path() / "Demo-2")) {
    std::string golden = slurp(kGoldenDir / (file + ".golden"));
    std::string expected;
    // The golden project is named my_app; every occurrence is the name.
    for (size_t i = 0; i < golden.size();) {
      if (golden.compare(i, 6, "my_app") == 0) {
        expected += "Demo-2";
        i += 6;
      } else {
        expected += golden[i++];
      }
    }
    EXPECT_EQ(slurp(dir.path() / "Demo-2" / file), expected) << file;
  }
}

TEST(Scaffold, InvalidNamesAreRefusedBeforeAnythingIsCreated) {
  for (const std::string name : {"my.app", "a b", "", "x/y", "..", "caf\xc3\xa9"}) {
    TempDir dir;
    RunResult r = run_vantrel({"new", name}, dir.path());
    EXPECT_EQ(r.status, 1) << name;
    EXPECT_EQ(r.err, "error: project names must be alphanumeric with - or _\n") << name;
    EXPECT_EQ(r.out, "") << name;
    EXPECT_TRUE(fs::is_empty(dir.path())) << name;
  }
}

TEST(Scaffold, AnythingAlreadyAtTheNameIsRefusedAndLeftAlone) {
  struct Case {
    const char* what;
    void (*make)(const TempDir&);
  };
  const Case cases[] = {
      {"file", [](const TempDir& d) { d.write("demo", "mine\n"); }},
      {"directory", [](const TempDir& d) { d.write("demo/Cargo.toml", "[workspace]\n"); }},
      {"link to a directory", [](const TempDir& d) {
         d.write("elsewhere/keep", "");
         fs::create_directory_symlink(d.path() / "elsewhere", d.path() / "demo");
       }},
      {"dangling link", [](const TempDir& d) { fs::create_symlink(d.path() / "nowhere", d.path() / "demo"); }},
  };
  for (const Case& c : cases) {
    TempDir dir;
    c.make(dir);
    auto before = snapshot(dir.path());
    RunResult r = run_vantrel({"new", "demo"}, dir.path());
    EXPECT_EQ(r.status, 1) << c.what;
    EXPECT_EQ(r.err, "error: directory `demo` already exists\n") << c.what;
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_EQ(snapshot(dir.path()), before) << c.what;
  }
}

TEST(Scaffold, RootOptionPlaysNoPart) {
  TempDir dir;
  dir.write("elsewhere/keep", "");
  RunResult r = run_vantrel({"--root", "elsewhere", "new", "my_app"}, dir.path());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists(dir.path() / "my_app/vantrel.toml"));
  EXPECT_FALSE(fs::exists(dir.path() / "elsewhere/my_app"));
}

TEST(Scaffold, TheProjectGeneratesAndChecksCleanlyFromInside) {
  TempDir dir;
  ASSERT_EQ(run_vantrel({"new", "my_app"}, dir.path()).status, 0);
  // As a new user would: from somewhere inside, the root found upwards.
  RunResult generated = run_vantrel({"generate"}, dir.path() / "my_app/app/src");
  EXPECT_EQ(generated.status, 0) << generated.err;
  EXPECT_EQ(generated.out, "generated @my_app/api (2 endpoints, 2 types, 1 errors)\n");
  EXPECT_EQ(generated.err, "");
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "my_app/target/vantrel/packages/@my_app/api/index.ts"));
  RunResult checked = run_vantrel({"check"}, dir.path() / "my_app");
  EXPECT_EQ(checked.status, 0);
  EXPECT_EQ(checked.out, "checked @my_app/api (2 endpoints)\n");
  EXPECT_EQ(checked.err, "");
}

TEST(Scaffold, AWriteFailureEndsWithTheSystemsText) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  TempDir dir;
  dir.write("locked/keep", "");
  fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  RunResult r = run_vantrel({"new", "my_app"}, dir.path() / "locked");
  fs::permissions(dir.path() / "locked", fs::perms::owner_all);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: Permission denied\n");
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace vantrel::testing
