// The golden fixture runner. Each directory of tests/fixtures is one case: a
// workspace as a user has it, the arguments to run vantrel with, and the
// expected exit status, standard output, standard error and files below
// target/. The workspace is copied to a fresh directory first so that runs
// never write into the source tree and printed paths are relative. A fixture
// with a file `base` naming another fixture starts from that fixture's
// workspace and lays its own `workspace/` (if any) over it, so variants that
// differ in one file do not repeat the whole workspace.
//
// VANTREL_UPDATE_GOLDEN=1 rewrites the expectations from the actual results
// (read the diff before committing).
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/read_file.h"
#include "cli/run_binary.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

fs::path fixtures_dir() { return fs::path(VANTREL_SOURCE_DIR) / "tests" / "fixtures"; }

std::vector<std::string> fixture_names() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fixtures_dir(), ec)) {
    if (entry.is_directory() && fs::exists(entry.path() / "args")) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_text(const fs::path& path) { return base::read_file(path).value_or(std::string()); }

void write_text(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::vector<std::string> read_args(const fs::path& path) {
  std::vector<std::string> args;
  std::istringstream lines(read_text(path));
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) args.push_back(line);
  }
  return args;
}

// Every regular file below `dir`, by "/"-separated relative path.
std::map<std::string, std::string> files_below(const fs::path& dir) {
  std::map<std::string, std::string> files;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) return files;
  for (const auto& entry : fs::recursive_directory_iterator(dir, ec)) {
    if (entry.is_regular_file()) files[entry.path().lexically_relative(dir).generic_string()] = read_text(entry.path());
  }
  return files;
}

bool updating() {
  const char* value = std::getenv("VANTREL_UPDATE_GOLDEN");
  return value != nullptr && std::string(value) == "1";
}

class Fixture : public ::testing::TestWithParam<std::string> {};

TEST_P(Fixture, MatchesGolden) {
  const fs::path dir = fixtures_dir() / GetParam();
  TempDir temp;
  if (fs::exists(dir / "base")) {
    std::vector<std::string> base = read_args(dir / "base");
    ASSERT_EQ(base.size(), 1u) << "base names one fixture";
    fs::copy(fixtures_dir() / base.front() / "workspace", temp.path(), fs::copy_options::recursive);
  }
  if (fs::exists(dir / "workspace")) {
    fs::copy(dir / "workspace", temp.path(),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  RunResult result = run_vantrel(read_args(dir / "args"), temp.path());
  std::map<std::string, std::string> written = files_below(temp.path() / "target");
  const fs::path expected = dir / "expected";

  if (updating()) {
    // Only this runner's expectations: other goldens (contracts) live beside them.
    fs::remove_all(expected / "files");
    write_text(expected / "status", std::to_string(result.status) + "\n");
    write_text(expected / "stdout", result.out);
    write_text(expected / "stderr", result.err);
    for (const auto& [path, text] : written) write_text(expected / "files" / path, text);
    return;
  }
  EXPECT_EQ(std::to_string(result.status) + "\n", read_text(expected / "status")) << "exit status";
  EXPECT_EQ(result.out, read_text(expected / "stdout")) << "standard output";
  EXPECT_EQ(result.err, read_text(expected / "stderr")) << "standard error";
  std::map<std::string, std::string> golden = files_below(expected / "files");
  for (const auto& [path, text] : golden) {
    auto found = written.find(path);
    if (found == written.end()) {
      ADD_FAILURE() << "expected file not written: target/" << path;
    } else {
      EXPECT_EQ(found->second, text) << "target/" << path;
    }
  }
  for (const auto& [path, text] : written) {
    if (golden.count(path) == 0) ADD_FAILURE() << "unexpected file written: target/" << path;
  }
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Fixture);
INSTANTIATE_TEST_SUITE_P(Golden, Fixture, ::testing::ValuesIn(fixture_names()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace vantrel::testing
