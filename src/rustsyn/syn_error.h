// SynError: the one failure currency of the Rust syntax layers. It carries the
// parser's (or a rule's) message and the byte range of the offending syntax;
// extraction turns it into a diagnostic.
#pragma once

#include <string>

#include "rustsyn/range.h"

namespace vantrel::rustsyn {

struct SynError {
  std::string message;
  Range range;

  bool operator==(const SynError&) const = default;
};

}  // namespace vantrel::rustsyn
