// Route scanning and white-space trimming. Routes are scanned byte by byte:
// every delimiter is ASCII, so names with non-ASCII characters pass through
// whole.
#include "syntax/syntax.h"

#include <cstdint>

#include "syntax/rename.h"

namespace vantrel::syntax {
namespace {

bool is_white_space(uint32_t cp) {
  return (cp >= 0x09 && cp <= 0x0D) || cp == 0x20 || cp == 0x85 || cp == 0xA0 || cp == 0x1680 ||
         (cp >= 0x2000 && cp <= 0x200A) || cp == 0x2028 || cp == 0x2029 || cp == 0x202F || cp == 0x205F ||
         cp == 0x3000;
}

/// Length in bytes of the white-space character at the start of `text`, or 0.
size_t leading_space_len(std::string_view text) {
  if (text.empty()) return 0;
  auto b = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  if (b(0) < 0x80) return is_white_space(b(0)) ? 1 : 0;
  if ((b(0) & 0xE0) == 0xC0 && text.size() >= 2) {
    return is_white_space(((b(0) & 0x1Fu) << 6) | (b(1) & 0x3Fu)) ? 2 : 0;
  }
  if ((b(0) & 0xF0) == 0xE0 && text.size() >= 3) {
    return is_white_space(((b(0) & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu)) ? 3 : 0;
  }
  return 0;  // four-byte characters hold no white space
}

/// Length in bytes of the white-space character at the end of `text`, or 0.
size_t trailing_space_len(std::string_view text) {
  // Every white-space character is at most three bytes long; step back over
  // continuation bytes to the start of the last character.
  size_t start = text.size();
  while (start > 0 && text.size() - start < 3) {
    --start;
    if ((static_cast<uint8_t>(text[start]) & 0xC0) != 0x80) break;
  }
  std::string_view last = text.substr(start);
  return leading_space_len(last) == last.size() ? last.size() : 0;
}

}  // namespace

std::string_view trim_white_space(std::string_view text) {
  while (size_t n = leading_space_len(text)) text.remove_prefix(n);
  while (size_t n = trailing_space_len(text)) text.remove_suffix(n);
  return text;
}

std::vector<std::string> route_params(std::string_view route) {
  std::vector<std::string> names;
  size_t i = 0;
  while (i < route.size()) {
    char c = route[i];
    if (c == '{') {
      size_t close = route.find('}', i + 1);
      if (close == std::string_view::npos) break;
      names.emplace_back(route.substr(i + 1, close - i - 1));
      i = close + 1;
    } else if (c == ':') {
      size_t end = route.find_first_of("/{}", i + 1);
      if (end == std::string_view::npos) end = route.size();
      names.emplace_back(route.substr(i + 1, end - i - 1));
      // The name's own characters are scanned again, so a ":" inside it
      // starts a further name.
      i += 1;
    } else {
      i += 1;
    }
  }
  return names;
}

std::optional<std::string> doc_string(const std::vector<rustsyn::Attribute>& attrs) {
  std::optional<std::string> out;
  for (const rustsyn::Attribute& attr : attrs) {
    if (!attr.path_is("doc") || attr.style() != rustsyn::AttrStyle::NameValue) continue;
    std::optional<rustsyn::Lit> lit = attr.value_lit();
    if (!lit || lit->kind() != rustsyn::LitKind::Str) continue;  // `#[doc = include_str!(..)]` and the like
    auto value = lit->string_value();
    if (!value.ok()) continue;
    if (out) {
      *out += '\n';
    } else {
      out.emplace();
    }
    *out += trim_white_space(*value);
  }
  return out;
}

std::string default_ts_module(std::string_view route) {
  size_t pos = 0;
  while (pos <= route.size()) {
    size_t slash = route.find('/', pos);
    if (slash == std::string_view::npos) slash = route.size();
    std::string_view piece = trim_white_space(route.substr(pos, slash - pos));
    pos = slash + 1;
    if (piece.empty() || piece[0] == ':' || piece[0] == '{' || piece.find('}') != std::string_view::npos) continue;
    std::string name = to_camel_case(piece);
    return name.empty() ? std::string("api") : name;
  }
  return "api";
}

}  // namespace vantrel::syntax
