// SynError: why a piece of attribute or signature syntax was refused, and the
// byte range of the syntax it points at. The syntax layer never reports
// diagnostics itself; extraction turns each SynError into one.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::syntax {

/// A byte range of one source file, end exclusive.
struct TextRange {
  uint32_t start = 0;
  uint32_t end = 0;

  bool operator==(const TextRange&) const = default;
};

/// A refused piece of syntax: the message shown to the user and the range of
/// the syntax it is about.
struct SynError {
  std::string message;
  TextRange range;

  bool operator==(const SynError&) const = default;
};

}  // namespace vantrel::syntax
