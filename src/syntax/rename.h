// Rename rules and the case conversions behind serde's `rename_all`. The same
// word splitting names endpoint modules and checks renames in the language
// server, so every wire name follows one set of rules.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "syntax/syn_error.h"

namespace vantrel::syntax {

/// The `rename_all` rules that generated schemas can follow.
enum class RenameRule { CamelCase, PascalCase, SnakeCase, KebabCase, ScreamingSnakeCase };

/// The rule's name as written in `rename_all = "..."`.
std::string_view rename_rule_name(RenameRule rule);

/// The rule named exactly `text`; otherwise an error on `at` (the string
/// literal that held the name). This is `RenameRule::parse`.
base::Result<RenameRule, SynError> parse_rename_rule(std::string_view text, Range at);

/// Finishes `word` into `words`: an empty word is dropped; otherwise its first
/// character becomes an ASCII capital and the rest ASCII lower case.
void push_word(std::vector<std::string>& words, std::string_view word);

/// The capitalised words of `text`: split at "-" and "_" (both dropped) and
/// before every ASCII capital letter.
std::vector<std::string> split_words(std::string_view text);

/// camelCase: the first word lower-cased, the others as split.
std::string to_camel_case(std::string_view text);

/// snake_case: the words joined with "_", all lower case.
std::string to_snake_case(std::string_view text);

/// `text` under `rule`; without a rule, `text` unchanged.
std::string apply_rename_rule(std::string_view text, std::optional<RenameRule> rule);

}  // namespace vantrel::syntax
