// `vantrel generate --watch`: generate once, then regenerate after every
// quiet period that follows a change to a Rust source, vantrel.toml or a
// Cargo.toml anywhere below the workspace root.
//
// The event filter and the debounce loop are kept free of the file system and
// of the real clock, and live in this header, so that they can be tested on
// their own without linking the generation driver; the loop is a template
// over its event source so that tests can drive it with a fake clock.
#pragma once

#include <chrono>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <vector>

#include "base/channel.h"
#include "base/result.h"

namespace vantrel::cli {

/// How long the workspace must stay quiet after a change before the next
/// generation starts.
inline constexpr std::chrono::milliseconds kQuietPeriod{150};

/// Whether a change to `path` (absolute) calls for a new generation: a ".rs"
/// file, "vantrel.toml" or "Cargo.toml", unless any component of the path is
/// "target" or "node_modules" (generated output and installed packages).
/// Looks only at the path: bursts of events from a build must stay cheap.
inline bool is_relevant_change(const std::filesystem::path& path) {
  // The whole path counts, including the part above the workspace root.
  for (const std::filesystem::path& part : path) {
    if (part == "target" || part == "node_modules") return false;
  }
  const std::filesystem::path name = path.filename();
  return path.extension() == ".rs" || name == "vantrel.toml" || name == "Cargo.toml";
}

/// Whether any of one event's paths is relevant.
inline bool is_relevant_event(const std::vector<std::filesystem::path>& paths) {
  for (const std::filesystem::path& path : paths) {
    if (is_relevant_change(path)) return true;
  }
  return false;
}

/// Waits for changes on `changes` and calls `regenerate` once per burst, after
/// `quiet` has passed without a further change; returns when the channel is
/// closed. `Source` offers `recv()` and `recv_for(duration)` returning
/// `base::Result<_, base::RecvError>`, like `base::Receiver`.
template <class Source, class Regenerate>
void debounce_changes(Source& changes, std::chrono::milliseconds quiet, Regenerate&& regenerate) {
  while (changes.recv()) {
    // Every change within the quiet period restarts it; changes that arrive
    // during a generation are queued and start the next period at once.
    for (;;) {
      auto next = changes.recv_for(quiet);
      if (!next) break;  // quiet, or closed: generate what was collected
    }
    regenerate();
  }
}

/// Runs the watch loop on `root` (displayed as given). Generation failures are
/// not printed. Returns the exit status 0 when the loop ends, or the
/// watcher's error text.
base::Result<int, std::string> run_watch(const std::filesystem::path& root, bool contract_json, std::ostream& out,
                                         std::ostream& err);

}  // namespace vantrel::cli
