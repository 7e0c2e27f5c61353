// The recursive watcher on a real temporary directory: absolute paths,
// directories that appear later, skipped directories, failures and stopping.
// Waits are generous deadlines for events that must come; an event that must
// not come is checked against a later marker event, since one watcher's
// events arrive in order.
#include "base/fs_watcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <fstream>

#include "base/channel.h"

namespace vantrel::base {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using ::testing::HasSubstr;

class TempTree {
 public:
  TempTree() {
    std::string templ = (fs::temp_directory_path() / "vantrel-watch-XXXXXX").string();
    if (mkdtemp(templ.data()) == nullptr) std::abort();
    path_ = fs::canonical(templ);
  }
  ~TempTree() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  void write(const fs::path& relative, const std::string& text = "x") const {
    fs::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative) << text;
  }

 private:
  fs::path path_;
};

/// A watcher whose events land in a channel the test reads.
struct Recorder {
  Receiver<FsEvent> events;
  std::unique_ptr<FsWatcher> watcher;

  static Recorder start() {
    auto [sender, receiver] = channel<FsEvent>();
    auto watcher = FsWatcher::create([s = std::move(sender)](const FsEvent& e) { s.send(e); });
    if (!watcher) ADD_FAILURE() << watcher.error();
    return Recorder{std::move(receiver), std::move(watcher).value()};
  }

  /// Every path reported until `wanted` is, or all of them when it never is
  /// within the deadline (the caller's expectation then fails).
  std::vector<fs::path> paths_until(const fs::path& wanted) {
    std::vector<fs::path> seen;
    auto deadline = std::chrono::steady_clock::now() + 20s;
    while (std::chrono::steady_clock::now() < deadline) {
      auto event = events.recv_for(1s);
      if (!event) continue;
      if (!event.value()) continue;
      for (const fs::path& p : event.value().value()) seen.push_back(p);
      if (std::find(seen.begin(), seen.end(), wanted) != seen.end()) return seen;
    }
    return seen;
  }
};

bool contains(const std::vector<fs::path>& paths, const fs::path& p) {
  return std::find(paths.begin(), paths.end(), p) != paths.end();
}

TEST(FsWatcher, ReportsAbsolutePathsOfChangesInExistingSubdirectories) {
  TempTree tree;
  tree.write("src/deep/old.rs");
  Recorder r = Recorder::start();
  ASSERT_TRUE(r.watcher->watch_recursive(tree.path()));
  tree.write("src/deep/old.rs", "changed");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "src/deep/old.rs"), tree.path() / "src/deep/old.rs"));
  fs::remove(tree.path() / "src/deep/old.rs");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "src/deep/old.rs"), tree.path() / "src/deep/old.rs"));
}

TEST(FsWatcher, WatchesDirectoriesCreatedAfterTheWatchStarted) {
  TempTree tree;
  Recorder r = Recorder::start();
  ASSERT_TRUE(r.watcher->watch_recursive(tree.path()));
  // Created in one go: the files may exist before the watch on their
  // directory does, and must be reported anyway.
  tree.write("a/b/c/first.rs");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "a/b/c/first.rs"), tree.path() / "a/b/c/first.rs"));
  // And the new directories are watched from now on.
  tree.write("a/b/c/second.rs");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "a/b/c/second.rs"), tree.path() / "a/b/c/second.rs"));
  fs::rename(tree.path() / "a", tree.path() / "moved");
  tree.write("moved/b/c/third.rs");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "moved/b/c/third.rs"), tree.path() / "moved/b/c/third.rs"));
}

TEST(FsWatcher, SkippedDirectoriesAreNotWatchedNowOrLater) {
  TempTree tree;
  tree.write("target/old.rs");
  Recorder r = Recorder::start();
  auto skip = [](const fs::path& dir) { return dir.filename() == "target"; };
  ASSERT_TRUE(r.watcher->watch_recursive(tree.path(), skip));
  tree.write("target/old.rs", "changed");
  tree.write("sub/target/new.rs");
  tree.write("sub/target/newer.rs");
  tree.write("marker");
  std::vector<fs::path> seen = r.paths_until(tree.path() / "marker");
  ASSERT_TRUE(contains(seen, tree.path() / "marker"));
  EXPECT_FALSE(contains(seen, tree.path() / "target/old.rs"));
  EXPECT_FALSE(contains(seen, tree.path() / "sub/target/newer.rs"));
  // The skipped directory's own appearance is still a change of its parent.
  EXPECT_TRUE(contains(seen, tree.path() / "sub/target"));
}

TEST(FsWatcher, RelativeRootsReportTheRealLocation) {
  TempTree tree;
  tree.write("inner/keep");
  Recorder r = Recorder::start();
  fs::path relative = fs::relative(tree.path() / "inner" / "..", fs::current_path());
  ASSERT_TRUE(r.watcher->watch_recursive(relative));
  tree.write("file.rs");
  EXPECT_TRUE(contains(r.paths_until(tree.path() / "file.rs"), tree.path() / "file.rs"));
}

TEST(FsWatcher, AMissingRootFailsWithTheSystemsText) {
  TempTree tree;
  Recorder r = Recorder::start();
  auto watched = r.watcher->watch_recursive(tree.path() / "missing");
  ASSERT_FALSE(watched);
  EXPECT_THAT(watched.error(), HasSubstr("No such file or directory"));
  EXPECT_THAT(watched.error(), HasSubstr("missing"));
}

TEST(FsWatcher, DestroyingTheWatcherStopsItAndReleasesTheHandler) {
  TempTree tree;
  Recorder r = Recorder::start();
  ASSERT_TRUE(r.watcher->watch_recursive(tree.path()));
  r.watcher.reset();
  // The handler owned the only sender: the channel is closed now.
  tree.write("after.rs");
  for (;;) {
    auto event = r.events.recv();
    if (!event) {
      EXPECT_EQ(event.error(), RecvError::Disconnected);
      break;
    }
  }
}

}  // namespace
}  // namespace vantrel::base
