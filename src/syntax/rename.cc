// Word splitting and case conversion. Everything works on bytes: the only
// characters that steer splitting are ASCII, and the bytes of non-ASCII
// characters are carried through unchanged, so UTF-8 stays intact.
#include "syntax/rename.h"

#include <array>
#include <utility>

namespace vantrel::syntax {
namespace {

constexpr std::array<std::pair<RenameRule, std::string_view>, 5> kRuleNames = {{
    {RenameRule::CamelCase, "camelCase"},
    {RenameRule::PascalCase, "PascalCase"},
    {RenameRule::SnakeCase, "snake_case"},
    {RenameRule::KebabCase, "kebab-case"},
    {RenameRule::ScreamingSnakeCase, "SCREAMING_SNAKE_CASE"},
}};

char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string ascii_lowered(std::string text) {
  for (char& c : text) c = ascii_lower(c);
  return text;
}

std::string ascii_uppered(std::string text) {
  for (char& c : text) c = ascii_upper(c);
  return text;
}

std::string join(const std::vector<std::string>& words, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) out += separator;
    out += words[i];
  }
  return out;
}

}  // namespace

std::string_view rename_rule_name(RenameRule rule) {
  for (const auto& [r, name] : kRuleNames) {
    if (r == rule) return name;
  }
  return {};
}

base::Result<RenameRule, SynError> parse_rename_rule(std::string_view text, Range at) {
  for (const auto& [rule, name] : kRuleNames) {
    if (name == text) return rule;
  }
  return base::err(SynError{"unsupported serde rename_all rule `" + std::string(text) + "`", at});
}

void push_word(std::vector<std::string>& words, std::string_view word) {
  if (word.empty()) return;
  std::string out(word);
  out[0] = ascii_upper(out[0]);
  for (size_t i = 1; i < out.size(); ++i) out[i] = ascii_lower(out[i]);
  words.push_back(std::move(out));
}

std::vector<std::string> split_words(std::string_view text) {
  std::vector<std::string> words;
  std::string current;
  for (char c : text) {
    if (c == '-' || c == '_') {
      push_word(words, current);
      current.clear();
    } else if (c >= 'A' && c <= 'Z') {
      push_word(words, current);
      current.assign(1, c);
    } else {
      current += c;
    }
  }
  push_word(words, current);
  return words;
}

std::string to_camel_case(std::string_view text) {
  std::vector<std::string> words = split_words(text);
  if (words.empty()) return {};
  words[0] = ascii_lowered(std::move(words[0]));
  return join(words, "");
}

std::string to_snake_case(std::string_view text) { return ascii_lowered(join(split_words(text), "_")); }

std::string apply_rename_rule(std::string_view text, std::optional<RenameRule> rule) {
  if (!rule) return std::string(text);
  switch (*rule) {
    case RenameRule::CamelCase:
      return to_camel_case(text);
    case RenameRule::PascalCase:
      return join(split_words(text), "");
    case RenameRule::SnakeCase:
      return to_snake_case(text);
    case RenameRule::KebabCase:
      return ascii_lowered(join(split_words(text), "-"));
    case RenameRule::ScreamingSnakeCase:
      return ascii_uppered(join(split_words(text), "_"));
  }
  return std::string(text);
}

}  // namespace vantrel::syntax
