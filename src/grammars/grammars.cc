#include "grammars/grammars.h"

extern "C" {
const TSLanguage* tree_sitter_rust(void);
const TSLanguage* tree_sitter_typescript(void);
const TSLanguage* tree_sitter_tsx(void);
}

namespace vantrel::grammars {

const TSLanguage* rust() { return tree_sitter_rust(); }
const TSLanguage* typescript() { return tree_sitter_typescript(); }
const TSLanguage* tsx() { return tree_sitter_tsx(); }

}  // namespace vantrel::grammars
