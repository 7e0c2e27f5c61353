// Runs the built vantrel binary in a chosen directory with a chosen
// environment and captures its exit status, standard output and error.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::testing {

struct RunResult {
  int status = -1;
  std::string out;
  std::string err;
};

/// `env` entries override the inherited environment; a nullopt value unsets.
RunResult run_vantrel(const std::vector<std::string>& args, const std::filesystem::path& cwd,
                      const std::map<std::string, std::optional<std::string>>& env = {});

/// A fresh empty directory below the system temp directory, removed with the
/// object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  /// Writes `text` to `relative`, creating parent directories.
  void write(const std::filesystem::path& relative, const std::string& text) const;

 private:
  std::filesystem::path path_;
};

}  // namespace vantrel::testing
