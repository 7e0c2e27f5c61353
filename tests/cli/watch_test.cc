// Watch mode: the event filter as a table, the quiet-period loop on a fake
// clock, and the built binary watching a temporary workspace.
//
// The binary test counts generation runs by a workspace warning that every
// run prints (a Cargo workspace member without a manifest), so it holds
// whether or not a run gets as far as writing packages. Waits for what must
// happen are generous deadlines; what must not happen is checked by a later
// change that must happen, plus a pause before counting.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "cli/run_binary.h"
#include "cli/run_watch.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using base::RecvError;
using base::Result;
using base::Unit;

TEST(WatchFilter, LooksOnlyAtTheNameAndTheComponents) {
  struct Case {
    const char* path;
    bool relevant;
  };
  const Case cases[] = {
      {"/ws/src/lib.rs", true},
      {"/ws/crates/api/src/deep/mod.rs", true},
      {"/ws/vantrel.toml", true},
      {"/ws/Cargo.toml", true},
      {"/ws/crates/api/Cargo.toml", true},
      {"/ws/build.rs", true},
      {"/ws/app/src/main.ts", false},
      {"/ws/README.md", false},
      {"/ws/Cargo.lock", false},
      {"/ws/cargo.toml", false},       // names compare case-sensitively
      {"/ws/src/lib.RS", false},
      {"/ws/src/lib.rs.swp", false},
      {"/ws/src/.rs", false},          // a hidden file, not an extension
      {"/ws/vantrel.toml~", false},
      {"/ws/src", false},              // a directory event
      {"/ws/target/debug/build/x.rs", false},
      {"/ws/target/vantrel/packages/@demo/api/index.ts", false},
      {"/ws/node_modules/pkg/Cargo.toml", false},
      {"/ws/app/node_modules/x/vantrel.toml", false},
      {"/home/target/ws/src/lib.rs", false},  // above the root counts too
      {"/ws/targets/lib.rs", true},           // whole components only
      {"/ws/my_target/Cargo.toml", true},
      {"/ws/Target/lib.rs", true},
  };
  for (const Case& c : cases) EXPECT_EQ(cli::is_relevant_change(c.path), c.relevant) << c.path;
}

TEST(WatchFilter, AnEventIsRelevantWhenAnyOfItsPathsIs) {
  EXPECT_FALSE(cli::is_relevant_event({}));
  EXPECT_FALSE(cli::is_relevant_event({"/ws/a.ts", "/ws/target/x.rs"}));
  EXPECT_TRUE(cli::is_relevant_event({"/ws/a.ts", "/ws/target/x.rs", "/ws/new/lib.rs"}));
}

/// A change channel on a fake clock in milliseconds. Changes happen at the
/// scripted times; waiting moves the clock. After the script the channel
/// stays open for timed waits (or closes, when `closes` is set), and an
/// untimed wait finds it closed so that the loop ends.
struct FakeChanges {
  std::deque<int> script;
  bool closes = false;
  int now = 0;

  Result<Unit, RecvError> recv() {
    if (script.empty()) return base::err(RecvError::Disconnected);
    return take();
  }
  Result<Unit, RecvError> recv_for(std::chrono::milliseconds limit) {
    if (!script.empty() && script.front() <= now + limit.count()) return take();
    if (script.empty() && closes) return base::err(RecvError::Disconnected);
    now += static_cast<int>(limit.count());
    return base::err(RecvError::Timeout);
  }
  Result<Unit, RecvError> take() {
    now = std::max(now, script.front());
    script.pop_front();
    return Unit{};
  }
};

/// The fake times at which generations start.
std::vector<int> generations(std::deque<int> script, int generation_ms, bool closes = false) {
  FakeChanges changes{std::move(script), closes};
  std::vector<int> started;
  cli::debounce_changes(changes, cli::kQuietPeriod, [&] {
    started.push_back(changes.now);
    changes.now += generation_ms;
  });
  return started;
}

TEST(WatchDebounce, OneGenerationPerBurstAfterItHasBeenQuiet) {
  struct Case {
    const char* what;
    std::deque<int> script;
    int generation_ms;
    std::vector<int> expected;
  };
  const Case cases[] = {
      {"nothing changes", {}, 0, {}},
      {"one change", {0}, 0, {150}},
      {"three saves within 100 ms", {0, 40, 80}, 0, {230}},
      {"each change restarts the period", {0, 140, 280, 420}, 0, {570}},
      {"a change just after the period", {0, 151}, 0, {150, 301}},
      {"two bursts", {0, 50, 400, 420}, 10, {200, 570}},
      {"a burst during a generation gives one more", {0, 200, 250, 260}, 300, {150, 600}},
      {"a change during a generation waits for quiet", {0, 440}, 300, {150, 600}},
  };
  for (const Case& c : cases) EXPECT_EQ(generations(c.script, c.generation_ms), c.expected) << c.what;
}

TEST(WatchDebounce, AChannelClosingDuringTheQuietPeriodStillGenerates) {
  EXPECT_EQ(generations({0, 40}, 0, /*closes=*/true), std::vector<int>({40}));
}

/// `vantrel generate --watch` running in the background until destroyed.
class WatchProcess {
 public:
  explicit WatchProcess(const fs::path& cwd) {
    out_ = capture_.path() / "stdout";
    err_ = capture_.path() / "stderr";
    std::string binary = std::string(VANTREL_BINARY_DIR) + "/vantrel";
    pid_ = fork();
    if (pid_ == 0) {
      int in = open("/dev/null", O_RDONLY);
      int out = open(out_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      int err = open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (in < 0 || out < 0 || err < 0 || chdir(cwd.c_str()) != 0) _exit(127);
      dup2(in, 0);
      dup2(out, 1);
      dup2(err, 2);
      unsetenv("VANTREL_RUN_LSP");
      execl(binary.c_str(), binary.c_str(), "generate", "--watch", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~WatchProcess() { interrupt(); }

  std::string out() const { return slurp(out_); }
  std::string err() const { return slurp(err_); }

  /// Waits up to a generous deadline for `done`; false if it never held.
  bool wait_until(const std::function<bool()>& done) const {
    for (auto deadline = std::chrono::steady_clock::now() + 30s; std::chrono::steady_clock::now() < deadline;) {
      if (done()) return true;
      std::this_thread::sleep_for(20ms);
    }
    return done();
  }

  /// Sends SIGINT, as Ctrl-C does, and returns how the process ended.
  int interrupt() {
    if (pid_ <= 0) return status_;
    kill(pid_, SIGINT);
    waitpid(pid_, &status_, 0);
    pid_ = -1;
    return status_;
  }

 private:
  static std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }

  TempDir capture_;
  fs::path out_;
  fs::path err_;
  pid_t pid_ = -1;
  int status_ = 0;
};

size_t count(const std::string& text, const std::string& needle) {
  size_t n = 0;
  for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) ++n;
  return n;
}

TEST(WatchBinary, RegeneratesOnRelevantChangesOnlyAndEndsOnInterrupt) {
  TempDir dir;
  dir.write("app/src/main.ts", "export {}\n");
  dir.write("src/lib.rs", "\n");
  dir.write("target/debug/keep.rs", "\n");
  dir.write("node_modules/pkg/index.rs", "\n");

  // No configuration yet: the first run fails without a word, and the root
  // is "." because no vantrel.toml lies above the directory.
  WatchProcess watch(dir.path());
  ASSERT_TRUE(watch.wait_until([&] { return !watch.out().empty(); }));
  EXPECT_EQ(watch.out(), "watching . for changes...\n");
  EXPECT_EQ(watch.err(), "");

  const std::string run_marker = "warning[missing-member-manifest]";
  auto runs = [&] { return count(watch.err(), run_marker); };
  auto settle_at = [&](size_t expected) {
    EXPECT_TRUE(watch.wait_until([&] { return runs() >= expected; })) << "expected run " << expected;
    std::this_thread::sleep_for(800ms);  // room for a run that must not come
    EXPECT_EQ(runs(), expected);
  };

  // vantrel.toml (and the manifest written right after it) trigger one run.
  dir.write("vantrel.toml", "[[package]]\ncargo = \"api\"\nts = \"@demo/api\"\n");
  dir.write("Cargo.toml", "[workspace]\nmembers = [\"missing\"]\n");
  settle_at(1);

  // Three saves in quick succession: one run.
  for (int i = 0; i < 3; ++i) dir.write("src/lib.rs", "// save " + std::to_string(i) + "\n");
  settle_at(2);

  // Nothing here is relevant; the manifest touch afterwards is the one run.
  dir.write("app/src/main.ts", "export const x = 1\n");
  dir.write("target/debug/keep.rs", "// built\n");
  dir.write("target/vantrel/packages/@demo/api/index.ts", "export {}\n");
  dir.write("node_modules/pkg/index.rs", "// installed\n");
  dir.write("app/node_modules/dep/Cargo.toml", "[package]\n");
  dir.write("README.md", "hello\n");
  std::this_thread::sleep_for(400ms);
  dir.write("crates/api/Cargo.toml", "[package]\nname = \"api\"\n");
  settle_at(3);

  int status = watch.interrupt();
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
  EXPECT_EQ(count(watch.out(), "watching"), 1u);
  EXPECT_THAT(watch.err(), ::testing::Not(::testing::HasSubstr("error: ")));
}

TEST(WatchBinary, TheRootFoundAboveIsDisplayedAsResolved) {
  TempDir dir;
  dir.write("vantrel.toml", "[[package]]\ncargo = \"api\"\nts = \"@demo/api\"\n");
  dir.write("Cargo.toml", "[workspace]\nmembers = [\"missing\"]\n");
  dir.write("deep/er/keep", "");
  WatchProcess watch(dir.path() / "deep/er");
  ASSERT_TRUE(watch.wait_until([&] { return !watch.out().empty(); }));
  EXPECT_EQ(watch.out(), "watching " + dir.path().string() + " for changes...\n");
  // The first run happened before the line, and reached the workspace.
  EXPECT_THAT(watch.err(), ::testing::HasSubstr("warning[missing-member-manifest]"));
}

TEST(WatchBinary, RerunsPrintTheSummaryLinesOfAPlainGenerate) {
  TempDir dir;
  ASSERT_EQ(run_vantrel({"new", "demo"}, dir.path()).status, 0);
  const fs::path root = dir.path() / "demo";
  const std::string summary = "generated @demo/api (2 endpoints, 2 types, 1 errors)";
  WatchProcess watch(root);
  const std::string started = summary + "\nwatching " + root.string() + " for changes...\n";
  ASSERT_TRUE(watch.wait_until([&] { return watch.out().size() >= started.size(); })) << watch.err();
  EXPECT_EQ(watch.out(), started);
  {
    std::ofstream(root / "server/src/main.rs", std::ios::app) << "// edited\n";
  }
  const std::string rerun = started + summary + " [unchanged]\n";
  EXPECT_TRUE(watch.wait_until([&] { return watch.out().size() >= rerun.size(); }));
  EXPECT_EQ(watch.out(), rerun);
  EXPECT_EQ(watch.err(), "");
}

}  // namespace
}  // namespace vantrel::testing
