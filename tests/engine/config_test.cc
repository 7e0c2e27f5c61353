// vantrel.toml: defaults, the validation order and its messages, the framed
// TOML error text, refusal of npm names that would escape the output
// directory, and package directories.
#include "engine/config.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "base/utf8.h"

namespace vantrel::engine {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr std::string_view kOnePackage = "[[package]]\ncargo = \"server\"\nts = \"@demo/api\"\n";

std::string with_package(std::string_view rest) { return std::string(kOnePackage) + std::string(rest); }

struct FailureCase {
  const char* label;
  std::string text;
  std::string message;
};

TEST(ConfigParse, FailuresAreSingleInvalidConfigErrors) {
  const std::string kNeedsKeys = "each [[package]] needs `cargo = \"...\"` and `ts = \"...\"`";
  const std::string kNoPackages = "vantrel.toml declares no [[package]] entries";
  const FailureCase cases[] = {
      {"empty file", "", kNoPackages},
      {"single [package] table", "[package]\ncargo = \"server\"\nts = \"@demo/api\"\n", kNoPackages},
      {"package is a string", "package = \"server\"\n", kNoPackages},
      {"empty package array", "package = []\n", kNoPackages},
      {"ts is a number", "[[package]]\ncargo = \"server\"\nts = 1\n", kNeedsKeys},
      {"cargo missing", "[[package]]\nts = \"@demo/api\"\n", kNeedsKeys},
      {"element not a table", "package = [\"server\"]\n", kNeedsKeys},
      {"second entry broken", with_package("[[package]]\ncargo = \"other\"\n"), kNeedsKeys},
      {"capitalised lint level", with_package("[lint]\nunused-endpoints = \"Warn\"\n"),
       "unknown lint level `Warn`; expected off, warn, or deny"},
      {"unknown lint level", with_package("[lint]\nunused-endpoints = \"error\"\n"),
       "unknown lint level `error`; expected off, warn, or deny"},
      // The package list is checked before the lint table.
      {"broken entry before bad level", "[lint]\nunused-endpoints = \"x\"\n[[package]]\ncargo = \"a\"\n", kNeedsKeys},
  };
  for (const FailureCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto config = Config::parse(c.text);
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error().code, "invalid-config");
    EXPECT_EQ(config.error().severity, model::Severity::Error);
    EXPECT_EQ(config.error().span, std::nullopt);
    EXPECT_EQ(config.error().message, c.message);
  }
}

struct SuccessCase {
  const char* label;
  std::string text;
  Config expected;
};

Config expected_config(std::string out_dir = "target/vantrel/packages", std::vector<std::string> app_src = {},
                       LintLevel level = LintLevel::Warn) {
  Config config;
  config.packages = {{"server", "@demo/api"}};
  config.out_dir = std::move(out_dir);
  config.app_src = std::move(app_src);
  config.unused_endpoints = level;
  return config;
}

TEST(ConfigParse, SettingsAndDefaults) {
  const SuccessCase cases[] = {
      {"only a package", std::string(kOnePackage), expected_config()},
      {"extra key in entry", "[[package]]\ncargo = \"server\"\nts = \"@demo/api\"\nversion = 2\n", expected_config()},
      {"out-dir number ignored", with_package("[generate]\nout-dir = 3\n"), expected_config()},
      {"generate not a table", with_package("generate = \"dist\"\n"), expected_config()},
      {"out-dir string", with_package("[generate]\nout-dir = \"dist/clients\"\n"), expected_config("dist/clients")},
      {"src single string ignored", with_package("[app]\nsrc = \"app/**/*.ts\"\n"), expected_config()},
      {"src drops non-strings", with_package("[app]\nsrc = [\"a/*.ts\", 3, \"b/*.ts\"]\n"),
       expected_config("target/vantrel/packages", {"a/*.ts", "b/*.ts"})},
      {"lint boolean ignored", with_package("[lint]\nunused-endpoints = true\n"), expected_config()},
      {"lint off", with_package("[lint]\nunused-endpoints = \"off\"\n"),
       expected_config("target/vantrel/packages", {}, LintLevel::Off)},
      {"lint deny", with_package("[lint]\nunused-endpoints = \"deny\"\n"),
       expected_config("target/vantrel/packages", {}, LintLevel::Deny)},
      {"unknown table ignored", with_package("[unknown]\nkey = 1\n[unknown.deeper]\nx = \"y\"\n"), expected_config()},
      {"scaffold file",
       with_package("\n[app]\nsrc = [\"app/src/**/*.ts\"]\n\n[lint]\nunused-endpoints = \"warn\"\n"),
       expected_config("target/vantrel/packages", {"app/src/**/*.ts"})},
  };
  for (const SuccessCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto config = Config::parse(c.text);
    ASSERT_TRUE(config.ok()) << config.error().message;
    EXPECT_EQ(*config, c.expected);
  }
}

TEST(ConfigParse, KeepsPackagesInFileOrderWithDuplicates) {
  auto config = Config::parse(
      "[[package]]\ncargo = \"b\"\nts = \"@x/b\"\n[[package]]\ncargo = \"a\"\nts = \"a\"\n"
      "[[package]]\ncargo = \"b\"\nts = \"@x/b\"\n");
  ASSERT_TRUE(config.ok());
  EXPECT_EQ(config->packages,
            (std::vector<PackageConfig>{{"b", "@x/b"}, {"a", "a"}, {"b", "@x/b"}}));
}

TEST(ConfigParse, RefusesNpmNamesThatLeaveTheOutputDirectory) {
  const char* refused[] = {"",          "/abs",   "@scope/",  "@scope//api", "..",        "../escape",
                           "@scope/..", ".",      "./api",    "a/./b",       "@scope\\api", "api\\..\\..",
                           "/",         "a/../b", "@scope/../../etc"};
  for (const char* ts : refused) {
    SCOPED_TRACE(ts);
    auto config = Config::parse(std::string("[[package]]\ncargo = \"server\"\nts = '") + ts + "'\n");
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error().code, "invalid-config");
    EXPECT_EQ(config.error().message,
              std::string("package name `") + ts +
                  "` must be an npm package name such as \"@scope/api\"; it must not lead outside the output "
                  "directory");
  }
  const char* accepted[] = {"api", "@scope/api", "@demo/api-client", "..api", "a..b", "@scope/.hidden", "a/b/c"};
  for (const char* ts : accepted) {
    SCOPED_TRACE(ts);
    auto config = Config::parse(std::string("[[package]]\ncargo = \"server\"\nts = '") + ts + "'\n");
    ASSERT_TRUE(config.ok()) << config.error().message;
    EXPECT_EQ(config->packages.front().ts, ts);
  }
}

TEST(ConfigParse, ReportsTheFirstRefusedNameInPackageOrder) {
  auto config = Config::parse(
      "[[package]]\ncargo = \"a\"\nts = \"@ok/a\"\n[[package]]\ncargo = \"b\"\nts = \"../b\"\n"
      "[[package]]\ncargo = \"c\"\nts = \"/c\"\n[lint]\nunused-endpoints = \"bad\"\n");
  ASSERT_FALSE(config.ok());
  EXPECT_THAT(config.error().message, StartsWith("package name `../b` "));
}

TEST(ConfigParse, TomlSyntaxErrorIsFramed) {
  struct FrameCase {
    const char* label;
    std::string text;
    std::string message;
  };
  const FrameCase cases[] = {
      {"line 3", "[[package]]\ncargo = \"server\"\nts = = 1\n",
       "invalid vantrel.toml: TOML parse error at line 3, column 6\n"
       "  |\n"
       "3 | ts = = 1\n"
       "  |      ^\n"
       "Error while parsing value: could not determine value type\n"},
      {"line 12, wider gutter", std::string(9, '\n') + "[[package]]\ncargo = \"server\"\nts = \"@a/b\" x\n",
       "invalid vantrel.toml: TOML parse error at line 12, column 13\n"
       "   |\n"
       "12 | ts = \"@a/b\" x\n"
       "   |             ^\n"
       "Error while parsing key-value pair: expected a comment or whitespace, saw 'x'\n"},
      {"column counts characters", "[[package]]\ncargo = \"sérvér\" y\n",
       "invalid vantrel.toml: TOML parse error at line 2, column 18\n"
       "  |\n"
       "2 | cargo = \"sérvér\" y\n"
       "  |                  ^\n"
       "Error while parsing key-value pair: expected a comment or whitespace, saw 'y'\n"},
      {"invalid UTF-8", "[[package]]\ncargo = \"s\xFFrver\"\n",
       "invalid vantrel.toml: TOML parse error at line 2, column 11\n"
       "  |\n"
       "2 | cargo = \"s\xEF\xBF\xBDrver\"\n"
       "  |           ^\n"
       "invalid UTF-8 sequence\n"},
      {"NUL byte", std::string("[[package]]\ncar\0go = \"x\"\n", 24),
       "invalid vantrel.toml: TOML parse error at line 2, column 4\n"
       "  |\n"
       "2 | car\xEF\xBF\xBDgo = \"x\"\n"
       "  |    ^\n"
       "Error while parsing key-value pair: expected '=', saw '\\u0000'\n"},
  };
  for (const FrameCase& c : cases) {
    SCOPED_TRACE(c.label);
    auto config = Config::parse(c.text);
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error().code, "invalid-config");
    EXPECT_EQ(config.error().message, c.message);
  }
}

// Every prefix of a valid file, and the file with any one byte replaced by a
// troublesome one, either parses or fails with a clean, valid UTF-8 message.
TEST(ConfigParse, DamagedFilesNeverCrash) {
  const std::string file = with_package(
      "[generate]\nout-dir = \"dist\"\n[app]\nsrc = [\"app/**/*.ts\", '''x''', \"\"\"y\"\"\"]\n"
      "[lint]\nunused-endpoints = \"deny\" # comment\n");
  for (size_t n = 0; n <= file.size(); ++n) {
    auto config = Config::parse(file.substr(0, n));
    if (!config.ok()) {
      EXPECT_TRUE(base::valid_utf8(config.error().message)) << n;
    }
  }
  for (char bad : {'\0', '\xFF', '\xC3', '"', '[', '\n', '\x1B'}) {
    for (size_t i = 0; i < file.size(); ++i) {
      std::string damaged = file;
      damaged[i] = bad;
      auto config = Config::parse(damaged);
      if (config.ok()) continue;
      EXPECT_TRUE(base::valid_utf8(config.error().message)) << i;
      EXPECT_EQ(config.error().message.find('\0'), std::string::npos) << i;
      EXPECT_EQ(config.error().message.find('\x1B'), std::string::npos) << i;
    }
  }
}

TEST(ConfigParse, VeryLongDottedKeysAreRefusedNotOverflowed) {
  std::string key = "a";
  for (int i = 0; i < 100000; ++i) key += ".b";
  for (const std::string& text : {with_package(key + " = 1\n"), with_package("[" + key + "]\n")}) {
    auto config = Config::parse(text);
    ASSERT_FALSE(config.ok());
    EXPECT_THAT(config.error().message, HasSubstr("dotted key has more than 256 parts\n"));
  }
  // Ordinary dotted keys, floats and strings full of dots are untouched.
  auto config = Config::parse(with_package("a.b.c.d = 1.5\nx = \"" + key + "\"\n[t.\"q.r\".s]\nv = '''" + key +
                                           "'''\n"));
  EXPECT_TRUE(config.ok()) << config.error().message;
}

TEST(ConfigLoad, ReadsTheFileInTheRoot) {
  model::MemoryFileProvider files;
  files.insert("ws/vantrel.toml", std::string(kOnePackage));
  auto config = Config::load("ws", files);
  ASSERT_TRUE(config.ok());
  EXPECT_EQ(config->packages, (std::vector<PackageConfig>{{"server", "@demo/api"}}));
}

TEST(ConfigLoad, MissingFileNamesThePathAsJoined) {
  model::MemoryFileProvider files;
  for (auto [root, shown] : {std::pair{".", "./vantrel.toml"}, std::pair{"ws/sub", "ws/sub/vantrel.toml"}}) {
    auto config = Config::load(root, files);
    ASSERT_FALSE(config.ok());
    EXPECT_EQ(config.error().code, "missing-config");
    EXPECT_EQ(config.error().span, std::nullopt);
    EXPECT_EQ(config.error().message, std::string("no vantrel.toml found at ") + shown +
                                          "; run `vantrel new` or create one with a [[package]] entry");
  }
}

TEST(ConfigDefault, IsAPlaceholderWithEveryDefault) {
  Config config = Config::default_config();
  EXPECT_TRUE(config.packages.empty());
  EXPECT_EQ(config.out_dir, "target/vantrel/packages");
  EXPECT_TRUE(config.app_src.empty());
  EXPECT_EQ(config.unused_endpoints, LintLevel::Warn);
}

TEST(ConfigPackageDir, AppendsTheNamePieces) {
  Config config = Config::default_config();
  EXPECT_EQ(config.package_dir("@demo/api"), std::filesystem::path("target/vantrel/packages/@demo/api"));
  EXPECT_EQ(config.package_dir("api"), std::filesystem::path("target/vantrel/packages/api"));
  config.out_dir = "dist/clients";
  EXPECT_EQ(config.package_dir("@scope/name"), std::filesystem::path("dist/clients/@scope/name"));
  config.out_dir = "/abs/out";
  EXPECT_EQ(config.package_dir("@scope/name"), std::filesystem::path("/abs/out/@scope/name"));
}

}  // namespace
}  // namespace vantrel::engine
