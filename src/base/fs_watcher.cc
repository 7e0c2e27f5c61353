// inotify watches single directories, so the watcher keeps one watch per
// directory and maps watch descriptors back to directory paths. The thread
// waits in poll() on the inotify descriptor and on an eventfd that the
// destructor signals, so stopping never depends on a file-system event.
#include "base/fs_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace vantrel::base {

namespace fs = std::filesystem;

namespace {

constexpr uint32_t kChangeMask = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVED_FROM |
                                 IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;

std::string system_error_text(int error) { return std::strerror(error); }

/// `path` as the physical absolute directory it names: ".." and symbolic
/// links resolved the way the kernel resolves them, so that reported paths
/// never carry a component the real location does not have. A path that
/// cannot be resolved is only made absolute; watching it then reports why.
fs::path physical_path(const fs::path& path) {
  std::error_code ec;
  fs::path canonical = fs::canonical(path, ec);
  if (!ec) return canonical;
  fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute;
}

bool is_real_directory(const fs::path& path) {
  std::error_code ec;
  return fs::symlink_status(path, ec).type() == fs::file_type::directory;
}

}  // namespace

Result<std::unique_ptr<FsWatcher>, std::string> FsWatcher::create(FsEventHandler handler) {
  int inotify_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (inotify_fd < 0) return err("cannot start the file watcher: " + system_error_text(errno));
  int wake_fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (wake_fd < 0) {
    int error = errno;
    close(inotify_fd);
    return err("cannot start the file watcher: " + system_error_text(error));
  }
  std::unique_ptr<FsWatcher> watcher(new FsWatcher(inotify_fd, wake_fd, std::move(handler)));
  watcher->thread_ = std::thread([w = watcher.get()] { w->run(); });
  return watcher;
}

FsWatcher::FsWatcher(int inotify_fd, int wake_fd, FsEventHandler handler)
    : inotify_fd_(inotify_fd), wake_fd_(wake_fd), handler_(std::move(handler)) {}

FsWatcher::~FsWatcher() {
  uint64_t one = 1;
  // The eventfd counter cannot overflow from a single write, so this only
  // fails if the descriptor is broken, and then poll() reports it anyway.
  [[maybe_unused]] ssize_t written = write(wake_fd_, &one, sizeof one);
  if (thread_.joinable()) thread_.join();
  close(inotify_fd_);
  close(wake_fd_);
}

Result<Unit, std::string> FsWatcher::watch_recursive(const fs::path& root, FsSkipDirectory skip) {
  auto shared_skip = std::make_shared<const FsSkipDirectory>(std::move(skip));
  return add_tree(physical_path(root), /*is_root=*/true, shared_skip, nullptr);
}

Result<Unit, std::string> FsWatcher::add_tree(const fs::path& dir, bool is_root,
                                              const std::shared_ptr<const FsSkipDirectory>& skip,
                                              std::vector<fs::path>* found) {
  {
    // Held across add and insert so that the thread never sees an event for
    // a descriptor it cannot map yet.
    std::lock_guard lock(mutex_);
    uint32_t mask = is_root ? kChangeMask : (kChangeMask | IN_ONLYDIR | IN_DONT_FOLLOW);
    int wd = inotify_add_watch(inotify_fd_, dir.c_str(), mask);
    if (wd < 0) {
      int error = errno;
      if (is_root) return err(system_error_text(error) + ": " + dir.string());
      if (error == ENOSPC) {
        return err("the system's limit of inotify watches is reached (fs.inotify.max_user_watches) at " + dir.string());
      }
      return Unit{};  // vanished or unreadable: nothing there to report
    }
    // A directory moved within the tree keeps its descriptor; the new path wins.
    watched_[wd] = Watched{dir, skip};
  }
  std::error_code ec;
  fs::directory_iterator it(dir, ec);
  if (ec) return Unit{};
  for (; it != fs::directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path& child = it->path();
    if (found != nullptr) found->push_back(child);
    if (!is_real_directory(child) || (*skip && (*skip)(child))) continue;
    auto added = add_tree(child, /*is_root=*/false, skip, found);
    if (!added) return added;
  }
  return Unit{};
}

void FsWatcher::run() {
  pollfd fds[2] = {{inotify_fd_, POLLIN, 0}, {wake_fd_, POLLIN, 0}};
  for (;;) {
    int ready = poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      handler_(err("file watcher stopped: " + system_error_text(errno)));
      return;
    }
    if (fds[1].revents != 0) return;
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
      handler_(err(std::string("file watcher stopped: inotify descriptor failed")));
      return;
    }
    if (fds[0].revents & POLLIN) drain();
  }
}

void FsWatcher::drain() {
  alignas(inotify_event) char buffer[64 * 1024];
  for (;;) {
    ssize_t length = read(inotify_fd_, buffer, sizeof buffer);
    if (length <= 0) return;  // EAGAIN: drained; EINTR: poll() wakes us again
    for (ssize_t offset = 0; offset < length;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
      handle(event->wd, event->mask, event->len > 0 ? event->name : "");
      offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
}

void FsWatcher::handle(int wd, uint32_t mask, const char* name) {
  if (mask & IN_Q_OVERFLOW) {
    handler_(err(std::string("file-system event queue overflowed; changes may have been lost")));
    return;
  }
  Watched watched;
  {
    std::lock_guard lock(mutex_);
    auto it = watched_.find(wd);
    if (it == watched_.end()) return;
    if (mask & IN_IGNORED) {
      watched_.erase(it);
      return;
    }
    watched = it->second;
  }
  fs::path path = *name != '\0' ? watched.dir / name : watched.dir;
  std::vector<fs::path> paths{path};
  bool new_directory = (mask & IN_ISDIR) && (mask & (IN_CREATE | IN_MOVED_TO));
  if (new_directory && !(*watched.skip && (*watched.skip)(path))) {
    // Whatever was created in the directory before its watch existed is
    // reported with it, so a quick "mkdir -p a/b && touch a/b/c.rs" is seen.
    auto added = add_tree(path, /*is_root=*/false, watched.skip, &paths);
    if (!added) handler_(err(std::move(added).error()));
  }
  handler_(FsEvent(std::move(paths)));
}

}  // namespace vantrel::base
