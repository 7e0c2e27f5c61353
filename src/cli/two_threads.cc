#include "cli/two_threads.h"

#include <exception>
#include <thread>

namespace vantrel::cli {

void run_on_two_threads(const std::function<void()>& first, const std::function<void()>& second) {
  std::exception_ptr second_failure;
  std::thread worker([&] {
    try {
      second();
    } catch (...) {
      second_failure = std::current_exception();
    }
  });
  std::exception_ptr first_failure;
  try {
    first();
  } catch (...) {
    first_failure = std::current_exception();
  }
  worker.join();
  if (first_failure) std::rethrow_exception(first_failure);
  if (second_failure) std::rethrow_exception(second_failure);
}

}  // namespace vantrel::cli
