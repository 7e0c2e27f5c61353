// Contract goldens and determinism. Every fixture under tests/fixtures that
// keeps contract goldens (an expected/contracts directory; the extraction
// themes always do) is extracted package by package, and each contract's JSON
// is compared byte for byte with expected/contracts/<cargo package>.json.
// Extraction must not depend on the order in which files were created, nor
// keep anything between calls.
//
// VANTREL_UPDATE_GOLDEN=1 rewrites the contract files.
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "base/read_file.h"
#include "engine/config.h"
#include "engine/extract/extract.h"
#include "engine/workspace.h"
#include "model/contract_json.h"
#include "model/vfs.h"

namespace vantrel::engine::extract {
namespace {

namespace fs = std::filesystem;

fs::path fixtures_dir() { return fs::path(VANTREL_SOURCE_DIR) / "tests" / "fixtures"; }

// Fixtures of these themes are about extraction and always keep contracts;
// others (generation, lints) opt in by having expected/contracts.
bool keeps_contracts(const fs::path& dir) {
  static constexpr std::string_view kThemes[] = {"check-", "extract-", "lower-", "modules-", "resolve-", "router-"};
  std::string name = dir.filename().string();
  for (std::string_view theme : kThemes) {
    if (name.starts_with(theme)) return true;
  }
  return fs::is_directory(dir / "expected" / "contracts");
}

std::vector<std::string> fixture_names() {
  std::vector<std::string> names;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(fixtures_dir(), ec)) {
    if (fs::exists(entry.path() / "workspace" / "vantrel.toml") && keeps_contracts(entry.path())) {
      names.push_back(entry.path().filename().string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string read_text(const fs::path& path) { return base::read_file(path).value_or(std::string()); }

// The contract JSON of every configured package that extraction accepts,
// keyed by Cargo package name, extracted from the workspace at `root`.
std::vector<std::pair<std::string, std::string>> contracts_of(const fs::path& root) {
  model::DiskFileProvider disk;
  std::vector<std::pair<std::string, std::string>> out;
  auto config = Config::load(root, disk);
  if (!config) return out;
  auto workspace = discover(root, disk);
  if (!workspace) return out;
  for (const PackageConfig& package : config->packages) {
    auto extraction = extract(*workspace, package.cargo, package.ts, disk);
    if (extraction) out.emplace_back(package.cargo, model::contract_to_json(extraction->contract));
  }
  return out;
}

class ContractGolden : public ::testing::TestWithParam<std::string> {};

TEST_P(ContractGolden, MatchesExpectedContracts) {
  const fs::path dir = fixtures_dir() / GetParam();
  const fs::path expected = dir / "expected" / "contracts";
  auto contracts = contracts_of(dir / "workspace");
  const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
  if (update != nullptr && std::string(update) == "1") {
    fs::remove_all(expected);
    fs::create_directories(expected);
    for (const auto& [cargo, json] : contracts) std::ofstream(expected / (cargo + ".json"), std::ios::binary) << json;
    return;
  }
  std::vector<std::string> golden;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(expected, ec)) golden.push_back(entry.path().stem().string());
  std::sort(golden.begin(), golden.end());
  std::vector<std::string> actual;
  for (const auto& [cargo, json] : contracts) {
    actual.push_back(cargo);
    EXPECT_EQ(json, read_text(expected / (cargo + ".json"))) << cargo;
  }
  std::sort(actual.begin(), actual.end());
  EXPECT_EQ(actual, golden);
}

GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ContractGolden);
INSTANTIATE_TEST_SUITE_P(Fixtures, ContractGolden, ::testing::ValuesIn(fixture_names()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

// Copies the regular files below `from` to `to`, creating them in the given
// order (directories appear as a side effect of their first file).
void copy_in_order(const fs::path& from, const fs::path& to, bool reversed) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(from)) {
    if (entry.is_regular_file()) files.push_back(entry.path().lexically_relative(from));
  }
  std::sort(files.begin(), files.end());
  if (reversed) std::reverse(files.begin(), files.end());
  for (const fs::path& file : files) {
    fs::create_directories((to / file).parent_path());
    fs::copy_file(from / file, to / file);
  }
}

class TempRoot {
 public:
  explicit TempRoot(const std::string& tag) {
    path_ = fs::temp_directory_path() / ("vantrel-extract-" + tag + "-" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempRoot() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

TEST(ExtractDeterminism, SameContractsTwiceAndWhateverTheFileCreationOrder) {
  for (const std::string& name : fixture_names()) {
    const fs::path source = fixtures_dir() / name / "workspace";
    TempRoot forward("forward"), backward("backward");
    copy_in_order(source, forward.path(), false);
    copy_in_order(source, backward.path(), true);
    auto first = contracts_of(forward.path());
    EXPECT_EQ(first, contracts_of(forward.path())) << name;
    EXPECT_EQ(first, contracts_of(backward.path())) << name;
  }
}

// Every extraction of the workspace at `root` (contract JSON and diagnostics,
// in order), with independent work run by `run_both`.
std::vector<std::string> extractions_of(const fs::path& root, const RunBoth& run_both) {
  model::DiskFileProvider disk;
  std::vector<std::string> out;
  auto config = Config::load(root, disk);
  auto workspace = discover(root, disk);
  if (!config || !workspace) return out;
  for (const PackageConfig& package : config->packages) {
    auto extraction = extract(*workspace, package.cargo, package.ts, disk, nullptr, run_both);
    if (!extraction) continue;
    std::string text = model::contract_to_json(extraction->contract);
    for (const model::Diagnostic& d : extraction->diagnostics) text += "\n" + d.display();
    out.push_back(std::move(text));
  }
  return out;
}

// Extraction hands independent halves of its work to the caller, which may
// run them in any order or at once: the outcome, diagnostics included, must
// not depend on it.
TEST(ExtractDeterminism, IndependentWorkInAnyOrder) {
  RunBoth backwards = [](const std::function<void()>& first, const std::function<void()>& second) {
    second();
    first();
  };
  for (const std::string& name : fixture_names()) {
    const fs::path root = fixtures_dir() / name / "workspace";
    EXPECT_EQ(extractions_of(root, run_in_turn), extractions_of(root, backwards)) << name;
  }
}

TEST(Extract, UnknownPackageIsTheOnlyFailure) {
  model::MemoryFileProvider files;
  Workspace workspace;
  workspace.root = "ws";
  workspace.packages.push_back(Package{"api", "api", "ws/api-dir", "ws/api-dir/src/lib.rs", {}});
  auto missing = extract(workspace, "api-dir", "@x/api", files);
  ASSERT_FALSE(missing);
  EXPECT_EQ(missing.error().display(), "error[unknown-package]: package `api-dir` is not a member of this workspace");
  auto present = extract(workspace, "api", "@x/api", files);
  ASSERT_TRUE(present);
  EXPECT_EQ(present->contract.schema_version, 3u);
  EXPECT_EQ(present->contract.package.ts_package, "@x/api");
  EXPECT_EQ(present->contract.package.cargo_package, "api");
  ASSERT_EQ(present->diagnostics.size(), 1u);
  EXPECT_EQ(present->diagnostics[0].render(std::nullopt),
            "error[missing-module-file]: module file not found: api-dir/src/lib.rs");
  EXPECT_TRUE(present->has_errors());
}

}  // namespace
}  // namespace vantrel::engine::extract
