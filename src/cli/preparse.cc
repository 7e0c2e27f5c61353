// Lists the sources in a fixed (sorted) order, reads them on the calling
// thread (providers make no promise of thread safety) and splits parsing and
// preparing between two threads. Each parse owns its own tree-sitter parser, and the
// trees are only handed over after the threads are joined.
#include "cli/preparse.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "rustsyn/source_file.h"

namespace vantrel::cli {
namespace fs = std::filesystem;

namespace {

constexpr size_t kThreads = 2;

/// The `.rs` files below `dir`, normalised and sorted; none when it cannot
/// be listed.
std::vector<fs::path> rust_files_below(const fs::path& dir) {
  std::vector<fs::path> files;
  std::error_code ec;
  fs::recursive_directory_iterator it(dir, fs::directory_options::skip_permission_denied, ec);
  for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
    std::error_code type_ec;
    if (it->path().extension() == ".rs" && it->is_regular_file(type_ec)) files.push_back(engine::normalize(it->path()));
  }
  std::sort(files.begin(), files.end());
  return files;
}

struct Job {
  fs::path path;
  model::SharedText text;
  engine::extract::PreparedFile prepared;
};

/// Parses and prepares jobs `first`, `first + stride`, ... in place.
void parse_share(std::vector<Job>& jobs, size_t first, size_t stride) {
  for (size_t i = first; i < jobs.size(); i += stride) {
    jobs[i].prepared = engine::extract::prepare_file(rustsyn::SourceFile::parse(*jobs[i].text));
  }
}

}  // namespace

void preparse_package(const engine::Workspace& workspace, std::string_view cargo_package,
                      const model::FileProvider& provider, engine::extract::ParsedFiles& parsed) {
  std::set<fs::path> seen;
  std::vector<Job> jobs;
  for (const engine::Package& package : workspace.reachable_packages(cargo_package)) {
    for (fs::path& file : rust_files_below(package.dir / "src")) {
      if (parsed.contains(file) || !seen.insert(file).second) continue;
      model::SharedText text = provider.read(file);
      if (text) jobs.push_back(Job{std::move(file), std::move(text), {}});
    }
  }
  if (jobs.empty()) return;
  std::vector<std::thread> workers;
  for (size_t t = 1; t < kThreads && t < jobs.size(); ++t) workers.emplace_back(parse_share, std::ref(jobs), t, kThreads);
  parse_share(jobs, 0, kThreads);
  for (std::thread& worker : workers) worker.join();
  for (Job& job : jobs) parsed.insert(job.path, std::move(job.prepared));
}

}  // namespace vantrel::cli
