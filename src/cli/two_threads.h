// Running two independent tasks at once, one on a worker thread and one on
// the calling thread. The engine's stages never start threads; they hand
// independent work to a function of this shape (see extract's RunBoth).
#pragma once

#include <functional>

namespace vantrel::cli {

/// Runs `second` on a new thread and `first` on this one, and returns once
/// both are done. An exception from either is rethrown here (the first's
/// ahead of the second's) after both have finished.
void run_on_two_threads(const std::function<void()>& first, const std::function<void()>& second);

}  // namespace vantrel::cli
