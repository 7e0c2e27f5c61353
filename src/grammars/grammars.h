// The tree-sitter languages vantrel parses: Rust sources of the server, and
// TypeScript/TSX sources of the app. The returned pointers are static and
// never freed.
#pragma once

#include <tree_sitter/api.h>

namespace vantrel::grammars {

const TSLanguage* rust();
const TSLanguage* typescript();
const TSLanguage* tsx();

}  // namespace vantrel::grammars
