// The syntax layer refuses attribute and signature syntax with the same
// currency as the Rust syntax tree beneath it: a SynError carrying the message
// and the byte range of the syntax it points at. Nothing here reports
// diagnostics; extraction turns each SynError into one.
#pragma once

#include "rustsyn/range.h"
#include "rustsyn/syn_error.h"

namespace vantrel::syntax {

using rustsyn::Range;
using rustsyn::SynError;

}  // namespace vantrel::syntax
