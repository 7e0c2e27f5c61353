#include "cli/root.h"

#include <system_error>

namespace vantrel::cli {

namespace fs = std::filesystem;

std::optional<fs::path> find_config_dir(const fs::path& start) {
  fs::path dir = start;
  while (true) {
    std::error_code ec;
    if (fs::is_regular_file(dir / "vantrel.toml", ec)) return dir;
    fs::path parent = dir.parent_path();
    if (parent.empty() || parent == dir) return std::nullopt;
    dir = parent;
  }
}

fs::path resolve_root(const std::optional<std::string>& root_option) {
  if (root_option) return fs::path(*root_option);
  std::error_code ec;
  fs::path cwd = fs::current_path(ec);
  if (ec) return fs::path(".");
  if (auto dir = find_config_dir(cwd)) return *dir;
  return fs::path(".");
}

}  // namespace vantrel::cli
