// Golden-file comparison for generator tests.
#include "engine/gen/golden.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel::engine::gen::testing {

namespace fs = std::filesystem;

void expect_golden(const std::string& name, std::string_view actual) {
  fs::path path = fs::path(VANTREL_SOURCE_DIR) / "tests/engine/gen/golden" / name;
  const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
  if (update && std::string_view(update) == "1") {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << actual;
    return;
  }
  std::ifstream in(path, std::ios::binary);
  ASSERT_TRUE(in) << "missing golden file " << path << " (run with VANTREL_UPDATE_GOLDEN=1)";
  std::stringstream expected;
  expected << in.rdbuf();
  EXPECT_EQ(expected.str(), actual) << "golden file " << path;
}

std::string describe_marks(const std::vector<Mark>& marks,
                           const std::vector<std::pair<std::string, std::string>>& files) {
  std::string out;
  for (const auto& m : marks) {
    std::string_view text;
    for (const auto& [path, contents] : files)
      if (path == m.file) text = contents;
    std::string_view marked = m.end <= text.size() && m.start <= m.end ? text.substr(m.start, m.end - m.start) : "";
    out += m.file + " " + std::to_string(m.line) + ":" + std::to_string(m.character) + " " +
           std::to_string(m.start) + "-" + std::to_string(m.end) + " " + std::string(mark_kind_name(m.kind)) + " " +
           m.symbol + " `" + std::string(marked) + "`\n";
  }
  return out;
}

}  // namespace vantrel::engine::gen::testing
