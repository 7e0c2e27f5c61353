// The watch loop: the first generation, the watcher whose handler turns
// relevant events into channel messages, and the debounced reruns.
#include "cli/run_watch.h"

#include <memory>
#include <ostream>

#include "base/fs_watcher.h"
#include "cli/run_generate.h"

namespace vantrel::cli {

namespace fs = std::filesystem;

namespace {

/// One generation whose failure is not printed: a broken configuration is a
/// normal state while the user edits it, and the next save retries.
/// Diagnostics the driver prints before failing still appear.
void generate_quietly(const fs::path& root, bool contract_json, std::ostream& out, std::ostream& err) {
  // Each round parses afresh and frees what it built: the loop runs for hours.
  RunMemory memory;
  auto result = run_generate(root, contract_json, out, err, memory);
  (void)result;
  // Lines must reach a piped or redirected output while the loop idles.
  out.flush();
  err.flush();
}

/// Events inside these directories are never relevant, so they are not
/// watched at all: a large target/ or node_modules/ would otherwise cost
/// events and watches for nothing.
bool is_ignored_directory(const fs::path& dir) {
  const fs::path name = dir.filename();
  return name == "target" || name == "node_modules";
}

}  // namespace

base::Result<int, std::string> run_watch(const fs::path& root, bool contract_json, std::ostream& out,
                                         std::ostream& err) {
  generate_quietly(root, contract_json, out, err);

  auto [sender, changes] = base::channel<base::Unit>();
  auto watcher = base::FsWatcher::create([sender = std::move(sender)](const base::FsEvent& event) {
    // Errors are ignored, and so is a failed send: the loop is gone.
    if (event && is_relevant_event(event.value())) sender.send(base::Unit{});
  });
  if (!watcher) return base::err(std::move(watcher).error());
  auto watched = watcher.value()->watch_recursive(root, is_ignored_directory);
  if (!watched) return base::err(std::move(watched).error());

  out << "watching " << root.string() << " for changes...\n";
  out.flush();

  debounce_changes(changes, kQuietPeriod, [&] { generate_quietly(root, contract_json, out, err); });
  return 0;
}

}  // namespace vantrel::cli
