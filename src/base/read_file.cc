#include "base/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace vantrel::base {

std::optional<std::string> read_file(const std::filesystem::path& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string text(static_cast<size_t>(info.st_size) + 1, '\0');
  size_t used = 0;
  for (;;) {
    if (used == text.size()) text.resize(text.size() * 2);
    ssize_t got = ::read(fd, text.data() + used, text.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    used += static_cast<size_t>(got);
  }
  ::close(fd);
  text.resize(used);
  return text;
}

}  // namespace vantrel::base
