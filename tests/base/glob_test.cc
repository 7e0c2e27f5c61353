// Glob patterns: the error texts and positions users see, matching of path
// text, and walks over a real directory tree (order, directories only,
// symbolic-link loops, unreadable directories, relative prefixes).
#include "base/glob.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace vantrel::base {
namespace {

namespace fs = std::filesystem;

struct ErrorCase {
  std::string pattern;
  size_t position;
  std::string_view reason;
};

const ErrorCase kErrorCases[] = {
    // `**` glued to something else: the position is the character after the
    // `**` when it is followed by one, else the character before it.
    {"**a", 2, kGlobRecursiveComponent},
    {"a**", 0, kGlobRecursiveComponent},
    {"a**b", 0, kGlobRecursiveComponent},
    {"a/**b", 4, kGlobRecursiveComponent},
    {"a/bc**", 3, kGlobRecursiveComponent},
    {"a/b**c**d", 2, kGlobRecursiveComponent},
    {"/abs/**x", 7, kGlobRecursiveComponent},
    // Three or more stars: two past the first star.
    {"***", 2, kGlobWildcards},
    {"a/*****", 4, kGlobWildcards},
    {"src/***/x.ts", 6, kGlobWildcards},
    // Unclosed or empty classes: the position of the `[`.
    {"crates/[", 7, kGlobInvalidRange},
    {"abc[def", 3, kGlobInvalidRange},
    {"abc[!def", 3, kGlobInvalidRange},
    {"abc[", 3, kGlobInvalidRange},
    {"abc[!", 3, kGlobInvalidRange},
    {"abc[]", 3, kGlobInvalidRange},
    {"abc[!]", 3, kGlobInvalidRange},
    // Positions count characters, not bytes.
    {"\xC3\xA9t\xC3\xA9/[", 4, kGlobInvalidRange},
    // The first error wins.
    {"[x/***", 0, kGlobInvalidRange},
};

TEST(GlobErrors, CompileReportsPositionAndReason) {
  for (const ErrorCase& c : kErrorCases) {
    auto compiled = GlobPattern::compile(c.pattern);
    ASSERT_FALSE(compiled.ok()) << c.pattern;
    EXPECT_EQ(compiled.error(), (GlobError{c.position, std::string(c.reason)})) << c.pattern;
  }
}

TEST(GlobErrors, GlobReportsTheSameErrorsWithoutTouchingTheDisk) {
  for (const ErrorCase& c : kErrorCases) {
    auto found = glob("/nonexistent-vantrel-dir/" + c.pattern);
    ASSERT_FALSE(found.ok()) << c.pattern;
    EXPECT_EQ(found.error().reason, c.reason) << c.pattern;
    EXPECT_EQ(found.error().position, c.position + 25) << c.pattern;
  }
}

TEST(GlobErrors, ClassSpanningASeparatorIsAnErrorOfItsComponent) {
  // "[/]" compiles as a whole, but a walk compares one component at a time,
  // where "[" is unclosed. The position still counts from the pattern start.
  EXPECT_TRUE(GlobPattern::compile("x/[/]").ok());
  auto found = glob("x/[/]");
  ASSERT_FALSE(found.ok());
  EXPECT_EQ(found.error(), (GlobError{2, std::string(kGlobInvalidRange)}));
}

TEST(GlobErrors, MessageText) {
  EXPECT_EQ(GlobPattern::compile("crates/[").error().to_string(),
            "Pattern syntax error near position 7: invalid range pattern");
  EXPECT_EQ(GlobPattern::compile("a/***").error().to_string(),
            "Pattern syntax error near position 4: wildcards are either regular `*` or "
            "recursive `**`");
  EXPECT_EQ(GlobPattern::compile("a**").error().to_string(),
            "Pattern syntax error near position 0: recursive wildcards must form a single path "
            "component");
}

struct MatchCase {
  std::string pattern;
  std::vector<std::string> matching;
  std::vector<std::string> not_matching;
};

TEST(GlobMatch, PatternsAgainstPathText) {
  const MatchCase cases[] = {
      {"*.ts", {"a.ts", ".ts", ".hidden.ts"}, {"a/b.ts", "a.tsx", "a.TS", ""}},
      {"*", {"", "x", ".git"}, {"a/b", "/"}},
      {"?", {"a", "\xC3\xA9", "."}, {"", "ab", "/"}},
      {"a*b*c", {"abc", "a_b_c", "a___b___c"}, {"abcd", "a/b/c"}},
      {"a*a*a*a*a*a*a*a*a", {std::string(31, 'a')}, {std::string(30, 'a') + "b"}},
      {"[abc]", {"a", "c"}, {"d", "A", "", "ab"}},
      {"[!abc]", {"d", "A"}, {"a", "c", "/", ""}},
      {"[a-z]x", {"ax", "zx"}, {"Ax", "0x", "x"}},
      {"[!0-9]", {"a", "_"}, {"0", "9"}},
      {"[]]", {"]"}, {"["}},
      {"[!]]", {"["}, {"]"}},
      {"[-a]", {"-", "a"}, {"b"}},
      {"[a-c-]", {"a", "b", "-"}, {"d"}},
      {"[2-1]", {}, {"1", "2"}},
      {"[*?]", {"*", "?"}, {"a"}},
      {"Cargo.toml", {"Cargo.toml"}, {"cargo.toml", "Cargo.toml/"}},
      {"**", {"", "a", "a/b/c", ".x"}, {}},
      {"**/x.ts", {"x.ts", "a/x.ts", "a/b/x.ts"}, {"ax.ts", "a/bx.ts"}},
      {"a/**/b", {"a/b", "a/x/b", "a/x/y/b"}, {"ab", "a/xb", "a/b/c"}},
      {"a/**", {"a/", "a/b", "a/b/c.ts"}, {"a", "ab"}},
      {"a/**/**/b", {"a/b", "a/x/y/b"}, {"a/xb"}},
      {"/**/test", {"/test", "/one/two/test"}, {"test", "/notthis"}},
      {"**/.*", {".abc", "abc/.abc"}, {"ab.c", "abc/ab.c"}},
      {"src/*/mod.rs", {"src/a/mod.rs"}, {"src/mod.rs", "src/a/b/mod.rs"}},
  };
  for (const MatchCase& c : cases) {
    auto pattern = GlobPattern::compile(c.pattern);
    ASSERT_TRUE(pattern.ok()) << c.pattern;
    for (const std::string& path : c.matching) {
      EXPECT_TRUE(pattern->matches(path)) << c.pattern << " should match " << path;
    }
    for (const std::string& path : c.not_matching) {
      EXPECT_FALSE(pattern->matches(path)) << c.pattern << " should not match " << path;
    }
  }
}

TEST(GlobMatch, WildcardFlags) {
  EXPECT_FALSE(GlobPattern::compile("src/lib.rs")->has_wildcards());
  EXPECT_TRUE(GlobPattern::compile("[s]rc")->has_wildcards());
  EXPECT_TRUE(GlobPattern::compile("a/**")->is_recursive());
  EXPECT_FALSE(GlobPattern::compile("a/*")->is_recursive());
}

// ---------------------------------------------------------------------------
// Walks over a temporary tree.

class TempTree {
 public:
  TempTree() {
    std::string templ = (fs::temp_directory_path() / "vantrel-glob-XXXXXX").string();
    if (::mkdtemp(templ.data()) == nullptr) std::abort();
    root_ = templ;
  }
  ~TempTree() {
    std::error_code ec;
    // Give back permissions taken away by a test so the tree can go.
    for (const fs::path& path : locked_) {
      fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::remove_all(root_, ec);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const fs::path& root() const { return root_; }
  std::string str() const { return root_.string(); }

  void file(const std::string& relative) const {
    const fs::path path = root_ / relative;
    fs::create_directories(path.parent_path());
    std::ofstream(path) << "x";
  }
  void dir(const std::string& relative) const { fs::create_directories(root_ / relative); }
  void link(const std::string& relative, const std::string& target) const {
    fs::create_directories((root_ / relative).parent_path());
    fs::create_symlink(target, root_ / relative);
  }
  /// Takes every permission away from a directory until the tree goes.
  void lock(const std::string& relative) {
    locked_.push_back(root_ / relative);
    fs::permissions(locked_.back(), fs::perms::none);
  }

 private:
  fs::path root_;
  std::vector<fs::path> locked_;
};

/// Runs `pattern` (with "{R}" standing for the tree's root) and gives the
/// matches as text with the root written as "{R}" again.
std::vector<std::string> run_glob(const TempTree& tree, const std::string& pattern) {
  std::string full = pattern;
  if (full.rfind("{R}", 0) == 0) full = tree.str() + full.substr(3);
  auto found = glob(full);
  EXPECT_TRUE(found.ok()) << pattern;
  std::vector<std::string> out;
  if (!found.ok()) return out;
  for (const fs::path& path : found.value()) {
    std::string text = path.string();
    if (text.rfind(tree.str(), 0) == 0) text = "{R}" + text.substr(tree.str().size());
    out.push_back(text);
  }
  return out;
}

using Paths = std::vector<std::string>;

class GlobWalk : public testing::Test {
 protected:
  void SetUp() override {
    tree_.file("crates/api/Cargo.toml");
    tree_.dir("crates/web");
    tree_.dir("crates/.hidden");
    tree_.file("crates/notes.txt");
    tree_.file("src/a.ts");
    tree_.file("src/b.tsx");
    tree_.file("src/Upper.TS");
    tree_.file("src/nested/d.ts");
    tree_.file("src/nested/deep/c.ts");
  }
  TempTree tree_;
};

TEST_F(GlobWalk, FilesAndDirectoriesInNameOrder) {
  const struct {
    std::string pattern;
    Paths expected;
  } cases[] = {
      // Hidden names are not special; byte order puts "." first.
      {"{R}/crates/*",
       {"{R}/crates/.hidden", "{R}/crates/api", "{R}/crates/notes.txt", "{R}/crates/web"}},
      // A trailing "/" keeps directories only.
      {"{R}/crates/*/", {"{R}/crates/.hidden", "{R}/crates/api", "{R}/crates/web"}},
      {"{R}/crates/*/Cargo.toml", {"{R}/crates/api/Cargo.toml"}},
      {"{R}/crates/[a-m]*", {"{R}/crates/api"}},
      {"{R}/crates/[!a-m]*", {"{R}/crates/.hidden", "{R}/crates/notes.txt", "{R}/crates/web"}},
      {"{R}/crates/?pi", {"{R}/crates/api"}},
      // Case-sensitive.
      {"{R}/src/*.TS", {"{R}/src/Upper.TS"}},
      {"{R}/src/*.ts", {"{R}/src/a.ts"}},
      // Literal paths are yielded when they exist, files or directories.
      {"{R}/src/a.ts", {"{R}/src/a.ts"}},
      {"{R}/crates", {"{R}/crates"}},
      {"{R}/src/missing.ts", {}},
      {"{R}/missing/*", {}},
      {"{R}/src/a.ts/*", {}},
      {"{R}/crates/./api", {"{R}/crates/./api"}},
      {"{R}/src/../crates/api", {"{R}/src/../crates/api"}},
  };
  for (const auto& c : cases) EXPECT_EQ(run_glob(tree_, c.pattern), c.expected) << c.pattern;
}

TEST_F(GlobWalk, RecursiveWildcard) {
  const struct {
    std::string pattern;
    Paths expected;
  } cases[] = {
      // Depth first; a directory's own matches come before its subdirectories'.
      {"{R}/src/**/*.ts", {"{R}/src/a.ts", "{R}/src/nested/d.ts", "{R}/src/nested/deep/c.ts"}},
      {"{R}/**/c.ts", {"{R}/src/nested/deep/c.ts"}},
      {"{R}/**/nested/*.ts", {"{R}/src/nested/d.ts"}},
      {"{R}/src/**/**/d.ts", {"{R}/src/nested/d.ts"}},
      // Ending in `**`: the directories below, not the files.
      {"{R}/src/**", {"{R}/src/nested", "{R}/src/nested/deep"}},
      {"{R}/crates/**/", {"{R}/crates/.hidden", "{R}/crates/api", "{R}/crates/web"}},
  };
  for (const auto& c : cases) EXPECT_EQ(run_glob(tree_, c.pattern), c.expected) << c.pattern;
}

TEST_F(GlobWalk, DotEntriesNeedALiteralDot) {
  // A component starting with "." may also name the directory itself and its
  // parent; they come first, as the last ones queued.
  EXPECT_EQ(run_glob(tree_, "{R}/crates/.*"),
            (Paths{"{R}/crates/..", "{R}/crates/.", "{R}/crates/.hidden"}));
  EXPECT_EQ(run_glob(tree_, "{R}/crates/.."), (Paths{"{R}/crates/.."}));
  EXPECT_EQ(run_glob(tree_, "{R}/src/a.ts/.."), (Paths{}));
}

class CurrentDir {
 public:
  explicit CurrentDir(const fs::path& dir) : saved_(fs::current_path()) { fs::current_path(dir); }
  ~CurrentDir() { fs::current_path(saved_); }
  CurrentDir(const CurrentDir&) = delete;
  CurrentDir& operator=(const CurrentDir&) = delete;

 private:
  fs::path saved_;
};

TEST_F(GlobWalk, RelativePatternsKeepTheirPrefix) {
  CurrentDir cwd(tree_.root());
  EXPECT_EQ(run_glob(tree_, "crates/*/"), (Paths{"crates/.hidden", "crates/api", "crates/web"}));
  EXPECT_EQ(run_glob(tree_, "*"), (Paths{"crates", "src"}));
  // A leading "./" names the current directory and is not repeated.
  EXPECT_EQ(run_glob(tree_, "./crates/api"), (Paths{"crates/api"}));
  EXPECT_EQ(run_glob(tree_, "./src/*.ts"), (Paths{"src/a.ts"}));
  EXPECT_EQ(run_glob(tree_, "src/nested/../*.ts"), (Paths{"src/nested/../a.ts"}));
  EXPECT_EQ(run_glob(tree_, ""), (Paths{}));
}

TEST_F(GlobWalk, JoinedToARoot) {
  auto relative = glob_joined(tree_.root(), "crates/*/Cargo.toml");
  ASSERT_TRUE(relative.ok());
  EXPECT_EQ(relative.value(), (std::vector<fs::path>{tree_.root() / "crates/api/Cargo.toml"}));

  // An absolute pattern ignores the root.
  auto absolute = glob_joined("/nonexistent-vantrel-root", tree_.str() + "/src/*.ts");
  ASSERT_TRUE(absolute.ok());
  EXPECT_EQ(absolute.value(), (std::vector<fs::path>{tree_.root() / "src/a.ts"}));

  // Positions count in the joined text: "/w/" comes first.
  auto invalid = glob_joined("/w", "crates/[");
  ASSERT_FALSE(invalid.ok());
  EXPECT_EQ(invalid.error().position, 10u);
  auto trailing = glob_joined("/w/", "[");
  ASSERT_FALSE(trailing.ok());
  EXPECT_EQ(trailing.error().position, 3u);
}

TEST(GlobRoot, AbsoluteRootItself) {
  auto found = glob("/");
  ASSERT_TRUE(found.ok());
  EXPECT_EQ(found.value(), (std::vector<fs::path>{"/"}));
}

TEST(GlobLinks, LoopsBelowRecursiveWildcardEnd) {
  TempTree tree;
  tree.file("loop/a.txt");
  tree.link("loop/self", ".");
  tree.file("pair/x/in_x.txt");
  tree.file("pair/y/in_y.txt");
  tree.link("pair/x/to_y", "../y");
  tree.link("pair/y/to_x", "../x");

  // The link is itself a directory match, but is not entered: it leads back
  // to a directory already on the way down.
  EXPECT_EQ(run_glob(tree, "{R}/loop/**"), (Paths{"{R}/loop/self"}));
  EXPECT_EQ(run_glob(tree, "{R}/loop/**/*.txt"), (Paths{"{R}/loop/a.txt"}));
  // Two directories linked to each other: each is entered once per way down.
  EXPECT_EQ(run_glob(tree, "{R}/pair/**/*.txt"),
            (Paths{"{R}/pair/x/in_x.txt", "{R}/pair/x/to_y/in_y.txt", "{R}/pair/y/in_y.txt",
                   "{R}/pair/y/to_x/in_x.txt"}));
  // Without `**` the depth is bounded, so links are followed as written.
  EXPECT_EQ(run_glob(tree, "{R}/loop/self/self/*.txt"), (Paths{"{R}/loop/self/self/a.txt"}));
}

TEST(GlobLinks, LinksToDirectoriesAndDanglingLinks) {
  TempTree tree;
  tree.file("real/f.ts");
  tree.link("via/link", "../real");
  tree.link("via/dangling", "../nowhere");

  EXPECT_EQ(run_glob(tree, "{R}/via/*/"), (Paths{"{R}/via/link"}));
  EXPECT_EQ(run_glob(tree, "{R}/via/**/*.ts"), (Paths{"{R}/via/link/f.ts"}));
  EXPECT_EQ(run_glob(tree, "{R}/via/*"), (Paths{"{R}/via/dangling", "{R}/via/link"}));
  EXPECT_EQ(run_glob(tree, "{R}/via/dangling"), (Paths{"{R}/via/dangling"}));
}

TEST(GlobUnreadable, UnreadableDirectoriesAreSkipped) {
  TempTree tree;
  tree.file("open/a.ts");
  tree.file("locked/b.ts");
  tree.file("z/c.ts");
  tree.lock("locked");

  // A privileged user reads the directory anyway; either way the walk goes
  // on past it.
  const bool can_read = ::access((tree.str() + "/locked").c_str(), R_OK | X_OK) == 0;
  Paths expected = {"{R}/open/a.ts", "{R}/z/c.ts"};
  if (can_read) expected.insert(expected.begin(), "{R}/locked/b.ts");
  EXPECT_EQ(run_glob(tree, "{R}/**/*.ts"), expected);
  EXPECT_EQ(run_glob(tree, "{R}/*/*.ts"), expected);
}

TEST(GlobNames, NamesThatAreNotUtf8NeverMatchWildcards) {
  TempTree tree;
  tree.file("d/ok.txt");
  tree.file("d/\xFF.txt");
  EXPECT_EQ(run_glob(tree, "{R}/d/*"), (Paths{"{R}/d/ok.txt"}));
}

}  // namespace
}  // namespace vantrel::base
