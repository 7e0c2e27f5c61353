// Lists the sources in a fixed (sorted) order, reads them on the calling
// thread (providers make no promise of thread safety) and shares parsing and
// preparing between that thread and one worker. Each parse owns its own
// tree-sitter parser, and the results are only handed over after the worker
// is joined; each lands in its job's slot, so the outcome does not depend on
// which thread did what.
#include "cli/preparse.h"

#include <algorithm>
#include <atomic>
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

/// The jobs of one call and how far reading and claiming have got. Jobs
/// below `read` have their text (or none, for an unreadable file); each
/// thread claims the next unclaimed job, so a thread the system holds back
/// leaves its share to the other instead of making both wait.
struct Queue {
  std::vector<Job> jobs;
  std::atomic<size_t> read{0};
  std::atomic<size_t> next{0};
};

/// Claims, parses and prepares jobs until none is left.
void parse_claimed(Queue& queue) {
  for (;;) {
    size_t i = queue.next.fetch_add(1);
    if (i >= queue.jobs.size()) return;
    while (queue.read.load(std::memory_order_acquire) <= i) std::this_thread::yield();
    Job& job = queue.jobs[i];
    if (job.text) job.prepared = engine::extract::prepare_file(rustsyn::SourceFile::parse(*job.text));
  }
}

}  // namespace

void preparse_package(const engine::Workspace& workspace, std::string_view cargo_package,
                      const model::FileProvider& provider, engine::extract::ParsedFiles& parsed) {
  std::set<fs::path> seen;
  Queue queue;
  for (const engine::Package& package : workspace.reachable_packages(cargo_package)) {
    for (fs::path& file : rust_files_below(package.dir / "src")) {
      if (parsed.contains(file) || !seen.insert(file).second) continue;
      queue.jobs.push_back(Job{std::move(file), nullptr, {}});
    }
  }
  if (queue.jobs.empty()) return;
  // The worker starts on the first files while this thread still reads the
  // rest; then this thread parses too.
  std::thread worker(parse_claimed, std::ref(queue));
  try {
    for (size_t i = 0; i < queue.jobs.size(); ++i) {
      queue.jobs[i].text = provider.read(queue.jobs[i].path);
      queue.read.store(i + 1, std::memory_order_release);
    }
  } catch (...) {
    // Jobs left unread count as unreadable, so the worker can finish.
    queue.read.store(queue.jobs.size(), std::memory_order_release);
    worker.join();
    throw;
  }
  parse_claimed(queue);
  worker.join();
  for (Job& job : queue.jobs) {
    if (job.text) parsed.insert(job.path, std::move(job.prepared));
  }
}

}  // namespace vantrel::cli
