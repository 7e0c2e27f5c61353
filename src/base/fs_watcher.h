// A recursive file-system watcher over Linux inotify. It reports the paths
// that changes touch (creation, modification, attribute change, removal,
// rename) on its own thread; directories that appear below a watched root are
// watched as they appear. What a change means is left to the handler.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/result.h"

namespace vantrel::base {

/// One report: the absolute paths a change touched, or why changes may have
/// been lost (for example an overflowing event queue).
using FsEvent = Result<std::vector<std::filesystem::path>, std::string>;

/// Called on the watcher's thread, once per event, never concurrently.
using FsEventHandler = std::function<void(const FsEvent&)>;

/// Directories below a watched root for which this returns true are neither
/// watched nor descended into (their own creation or removal is still
/// reported by their parent).
using FsSkipDirectory = std::function<bool(const std::filesystem::path&)>;

class FsWatcher {
 public:
  /// Starts the watcher's thread with `handler`, which the watcher owns until
  /// it is destroyed. Fails with the system's error text.
  static Result<std::unique_ptr<FsWatcher>, std::string> create(FsEventHandler handler);

  /// Stops the thread; the handler has returned for the last time and is
  /// destroyed when this returns.
  ~FsWatcher();
  FsWatcher(const FsWatcher&) = delete;
  FsWatcher& operator=(const FsWatcher&) = delete;

  /// Watches `root` and every directory below it (symbolic links below the
  /// root are not followed). Reported paths start with the root's canonical
  /// absolute path.
  /// Fails when the root cannot be watched or the system's watch limit is
  /// reached; subdirectories that cannot be read are left out.
  Result<Unit, std::string> watch_recursive(const std::filesystem::path& root, FsSkipDirectory skip = {});

 private:
  struct Watched {
    std::filesystem::path dir;
    std::shared_ptr<const FsSkipDirectory> skip;
  };

  FsWatcher(int inotify_fd, int wake_fd, FsEventHandler handler);
  void run();
  void drain();
  void handle(int wd, uint32_t mask, const char* name);
  Result<Unit, std::string> add_tree(const std::filesystem::path& dir, bool is_root,
                                     const std::shared_ptr<const FsSkipDirectory>& skip,
                                     std::vector<std::filesystem::path>* found);

  int inotify_fd_;
  int wake_fd_;
  FsEventHandler handler_;
  std::mutex mutex_;                // guards watched_
  std::map<int, Watched> watched_;  // by inotify watch descriptor
  std::thread thread_;
};

}  // namespace vantrel::base
