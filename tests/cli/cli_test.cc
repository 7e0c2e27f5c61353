// The built binary end to end: exit statuses, help and version, root
// resolution, the fatal-error form and VANTREL_RUN_LSP.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "cli/run_binary.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::IsEmpty;

const std::string kMissingConfig =
    "error: error[missing-config]: no vantrel.toml found at ./vantrel.toml; run `vantrel new` or create one "
    "with a [[package]] entry\n";

TEST(Cli, NoArgumentsPrintsHelpOnStandardErrorWithStatus2) {
  TempDir dir;
  RunResult r = run_vantrel({}, dir.path());
  EXPECT_EQ(r.status, 2);
  EXPECT_THAT(r.out, IsEmpty());
  EXPECT_THAT(r.err, HasSubstr("Rust-to-TypeScript API tooling for Effect clients"));
  EXPECT_THAT(r.err, HasSubstr("generate"));
}

TEST(Cli, VersionAndHelpGoToStandardOutput) {
  TempDir dir;
  for (const char* flag : {"--version", "-V"}) {
    RunResult r = run_vantrel({flag}, dir.path());
    EXPECT_EQ(r.status, 0) << flag;
    EXPECT_EQ(r.out, "vantrel 0.0.11\n") << flag;
    EXPECT_THAT(r.err, IsEmpty()) << flag;
  }
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {{"--help"},
       {"Rust-to-TypeScript API tooling for Effect clients", "Scaffold a new vantrel project",
        "Generate TypeScript bindings for every configured package",
        "Check the workspace: extraction diagnostics and optional usage lints",
        "Run the vantrel language server on stdio",
        "Workspace root (directory containing Cargo.toml and vantrel.toml)"}},
      {{"help"}, {"Scaffold a new vantrel project"}},
      {{"generate", "--help"},
       {"Keep watching the workspace and regenerate on change",
        "Also write the extracted contract JSON next to each package"}},
      {{"help", "check"}, {"Lint for endpoints with no TypeScript usage"}},
      {{"new", "-h"}, {"Project name (also the directory to create)"}},
      {{"lsp", "--help"}, {"RUST_ANALYZER"}},
  };
  for (const Case& c : cases) {
    RunResult r = run_vantrel(c.args, dir.path());
    EXPECT_EQ(r.status, 0) << c.args[0];
    for (const std::string& text : c.expected) EXPECT_THAT(r.out, HasSubstr(text)) << c.args[0];
  }
}

TEST(Cli, UsageErrorsExitWith2) {
  TempDir dir;
  const std::vector<std::vector<std::string>> cases = {
      {"--frobnicate"}, {"generate", "--frobnicate"}, {"new"},          {"deploy"},
      {"--root", "x"},  {"check", "extra"},           {"help", "nope"}, {"check", "--root"},
  };
  for (const auto& args : cases) {
    RunResult r = run_vantrel(args, dir.path());
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_THAT(r.out, IsEmpty()) << args[0];
    EXPECT_THAT(r.err, ::testing::Not(IsEmpty())) << args[0];
  }
}

TEST(Cli, MissingConfigIsFatalWithExactLine) {
  TempDir dir;
  for (const char* sub : {"generate", "check"}) {
    RunResult r = run_vantrel({sub}, dir.path());
    EXPECT_EQ(r.status, 1) << sub;
    EXPECT_EQ(r.err, kMissingConfig) << sub;
    EXPECT_THAT(r.out, IsEmpty()) << sub;
  }
}

TEST(Cli, RootOptionIsTakenExactlyAsTypedBeforeOrAfterTheSubcommand) {
  TempDir dir;
  dir.write("ws/vantrel.toml", "[[package]]\ncargo = \"api\"\nts = \"@demo/api\"\n");
  for (const auto& args : std::vector<std::vector<std::string>>{{"--root", "ws", "check"}, {"check", "--root", "ws"}}) {
    RunResult r = run_vantrel(args, dir.path());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "error: error[missing-manifest]: no Cargo.toml found at ws/Cargo.toml\n");
  }
  RunResult r = run_vantrel({"check", "--root", "does/not/exist"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("error: error[missing-config]: no vantrel.toml found at does/not/exist/vantrel.toml"));
}

TEST(Cli, RootIsTheNearestAncestorHoldingVantrelToml) {
  TempDir dir;
  dir.write("ws/vantrel.toml", "[[package]]\ncargo = \"api\"\nts = \"@demo/api\"\n");
  dir.write("ws/deep/er/keep", "");
  RunResult r = run_vantrel({"generate"}, dir.path() / "ws/deep/er");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "error: error[missing-manifest]: no Cargo.toml found at " + (dir.path() / "ws").string() +
                       "/Cargo.toml\n");
}

TEST(Cli, WorkspaceDiagnosticsArePrintedBeforeTheDriverRuns) {
  TempDir dir;
  dir.write("vantrel.toml", "[[package]]\ncargo = \"api\"\nts = \"@demo/api\"\n");
  dir.write("Cargo.toml", "[workspace]\nmembers = [\"crates/[\", \"missing\"]\n");
  RunResult r = run_vantrel({"check"}, dir.path());
  EXPECT_EQ(r.status, 1);
  EXPECT_THAT(r.err, HasSubstr("warning[invalid-member-glob]: invalid workspace member pattern `crates/[`: "
                               "Pattern syntax error near position"));
  EXPECT_THAT(r.err, HasSubstr("warning[missing-member-manifest]: workspace member has no manifest: "));
  EXPECT_THAT(r.err, ::testing::EndsWith(
                         "error: error[unknown-package]: package `api` is not a member of this workspace\n"));
}

TEST(Cli, RunLspEnvironmentVariableOnlyForExactlyOne) {
  TempDir dir;
  RunResult r = run_vantrel({"--help"}, dir.path(), {{"VANTREL_RUN_LSP", "1"}});
  EXPECT_THAT(r.out, IsEmpty());
  EXPECT_THAT(r.err, ::testing::Not(HasSubstr("Usage")));
  EXPECT_EQ(r.status, 1);  // the language server is not part of this build yet
  for (const char* value : {"", "true", "01", "1 "}) {
    RunResult normal = run_vantrel({"--help"}, dir.path(), {{"VANTREL_RUN_LSP", value}});
    EXPECT_EQ(normal.status, 0) << value;
    EXPECT_THAT(normal.out, HasSubstr("Usage")) << value;
  }
}

}  // namespace
}  // namespace vantrel::testing
