// TOML reading for configuration and manifests. toml++ does the parsing; this
// file keeps its exceptions inside, refuses the inputs toml++ handles badly
// (invalid UTF-8 is reported one character too early, and very long dotted
// keys exhaust the stack), and builds the framed error text from the
// reader's line and column and the source text itself.
#include "engine/toml_error.h"

#include <algorithm>
#include <exception>
#include <utility>

#include <fmt/format.h>

namespace vantrel::engine {
namespace {

// toml++ itself limits nested arrays and inline tables to 256 levels; dotted
// keys get the same bound.
constexpr size_t kMaxKeyParts = 256;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

bool is_continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// Length of the well-formed UTF-8 sequence at `i`, or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
size_t utf8_sequence_length(std::string_view text, size_t i) {
  auto at = [&](size_t k) -> unsigned char { return i + k < text.size() ? text[i + k] : 0; };
  unsigned char c = at(0);
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) return is_continuation(at(1)) ? 2 : 0;
  if (c >= 0xE0 && c <= 0xEF) {
    unsigned char lo = c == 0xE0 ? 0xA0 : 0x80;
    unsigned char hi = c == 0xED ? 0x9F : 0xBF;
    return at(1) >= lo && at(1) <= hi && is_continuation(at(2)) ? 3 : 0;
  }
  if (c >= 0xF0 && c <= 0xF4) {
    unsigned char lo = c == 0xF0 ? 0x90 : 0x80;
    unsigned char hi = c == 0xF4 ? 0x8F : 0xBF;
    return at(1) >= lo && at(1) <= hi && is_continuation(at(2)) && is_continuation(at(3)) ? 4 : 0;
  }
  return 0;
}

std::optional<size_t> first_invalid_utf8(std::string_view text) {
  for (size_t i = 0; i < text.size();) {
    size_t n = utf8_sequence_length(text, i);
    if (n == 0) return i;
    i += n;
  }
  return std::nullopt;
}

// The text of a line without its "\n", and on line 1 without a byte-order
// mark (toml++ does not count it as a column).
std::string_view source_line(std::string_view source, uint32_t line) {
  size_t start = 0;
  for (uint32_t l = 1; l < line; ++l) {
    size_t nl = source.find('\n', start);
    if (nl == std::string_view::npos) return {};
    start = nl + 1;
  }
  size_t nl = source.find('\n', start);
  std::string_view text = source.substr(start, nl == std::string_view::npos ? std::string_view::npos : nl - start);
  if (line == 1 && text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  return text;
}

// Byte offset within `line` of the 1-based character column; a column past the
// end counts one byte per missing character.
size_t byte_of_column(std::string_view line, uint32_t column) {
  size_t byte = 0;
  for (uint32_t c = 1; c < column; ++c) {
    if (byte >= line.size()) {
      byte += column - c;
      break;
    }
    byte += std::max<size_t>(1, utf8_sequence_length(line, byte));
  }
  return byte;
}

TomlPosition position_of(std::string_view source, size_t offset) {
  TomlPosition pos;
  size_t line_start = 0;
  for (size_t i = 0; i < offset && i < source.size(); ++i) {
    if (source[i] == '\n') {
      ++pos.line;
      line_start = i + 1;
    }
  }
  if (pos.line == 1 && source.starts_with(kByteOrderMark) && offset >= kByteOrderMark.size()) {
    line_start = kByteOrderMark.size();
  }
  for (size_t i = line_start; i < offset && i < source.size();) {
    ++pos.column;
    i += std::max<size_t>(1, utf8_sequence_length(source, i));
  }
  return pos;
}

// The source line as shown in the frame: control characters (a stray NUL, an
// escape sequence) and invalid bytes would corrupt a terminal or a protocol
// message, so they become U+FFFD; a "\r" before the line break is dropped.
std::string displayable(std::string_view line) {
  if (line.ends_with('\r')) line.remove_suffix(1);
  std::string out;
  out.reserve(line.size());
  for (size_t i = 0; i < line.size();) {
    size_t n = utf8_sequence_length(line, i);
    unsigned char c = line[i];
    if (n == 0 || (n == 1 && ((c < 0x20 && c != '\t') || c == 0x7F))) {
      out += kReplacement;
      i += 1;
    } else {
      out += line.substr(i, n);
      i += n;
    }
  }
  return out;
}

size_t caret_count(std::string_view line, const TomlPosition& begin, const std::optional<TomlPosition>& end) {
  size_t range = 0;
  if (end && end->line == begin.line) {
    size_t from = byte_of_column(line, begin.column);
    size_t to = byte_of_column(line, end->column);
    range = to > from ? to - from : 0;
  } else if (end && end->line > begin.line) {
    range = SIZE_MAX;
  }
  // At most up to the end of the line, at least one.
  size_t room = line.size() + 1 > begin.column ? line.size() + 1 - begin.column : 0;
  range = std::min(range, room);
  return std::max<size_t>(range, 1);
}

size_t decimal_digits(uint32_t n) {
  size_t digits = 1;
  while (n >= 10) {
    n /= 10;
    ++digits;
  }
  return digits;
}

// Skips the string that opens at `i` (basic or literal, single- or
// multi-line) and returns the offset just past it, or the end of an
// unterminated one.
size_t skip_string(std::string_view text, size_t i) {
  char quote = text[i];
  bool escapes = quote == '"';
  std::string_view triple = quote == '"' ? "\"\"\"" : "'''";
  if (text.substr(i).starts_with(triple)) {
    size_t k = i + 3;
    while (k < text.size()) {
      if (escapes && text[k] == '\\') {
        k += 2;
      } else if (text.substr(k).starts_with(triple)) {
        k += 3;
        for (int extra = 0; extra < 2 && k < text.size() && text[k] == quote; ++extra) ++k;
        return k;
      } else {
        ++k;
      }
    }
    return text.size();
  }
  size_t k = i + 1;
  while (k < text.size() && text[k] != '\n') {
    if (escapes && text[k] == '\\') {
      k += 2;
      continue;
    }
    if (text[k] == quote) return k + 1;
    ++k;
  }
  return std::min(k, text.size());
}

bool is_bare_key_char(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// The offset of the first dotted chain (key parts or quoted strings joined by
// dots) longer than kMaxKeyParts. Outside strings and comments only keys can
// form such chains; numbers and times have at most two parts.
std::optional<size_t> overlong_dotted_key(std::string_view text) {
  enum class Last { Other, Part, Dot } last = Last::Other;
  size_t parts = 0;
  size_t chain_start = 0;
  auto part = [&](size_t start) {
    if (last == Last::Dot) {
      ++parts;
    } else {
      parts = 1;
      chain_start = start;
    }
    last = Last::Part;
  };
  for (size_t i = 0; i < text.size();) {
    char c = text[i];
    if (c == '#') {
      size_t nl = text.find('\n', i);
      i = nl == std::string_view::npos ? text.size() : nl;
      last = Last::Other;
    } else if (c == '"' || c == '\'') {
      part(i);
      i = skip_string(text, i);
    } else if (is_bare_key_char(c)) {
      part(i);
      while (i < text.size() && is_bare_key_char(text[i])) ++i;
    } else if (c == '.') {
      last = last == Last::Part ? Last::Dot : Last::Other;
      ++i;
    } else if (c == ' ' || c == '\t') {
      ++i;
    } else {
      last = Last::Other;
      ++i;
    }
    if (parts > kMaxKeyParts) return chain_start;
  }
  return std::nullopt;
}

std::optional<TomlPosition> position_from(const toml::source_position& pos) {
  if (!pos) return std::nullopt;
  return TomlPosition{pos.line, pos.column};
}

TomlProblem problem_from(const toml::parse_error& error) {
  TomlProblem problem;
  problem.description = std::string(error.description());
  problem.begin = position_from(error.source().begin);
  problem.end = position_from(error.source().end);
  return problem;
}

}  // namespace

std::string toml_error_text(std::string_view source, const TomlProblem& problem) {
  std::string out;
  if (problem.begin) {
    const TomlPosition& begin = *problem.begin;
    std::string_view line = source_line(source, begin.line);
    if (line.ends_with('\r')) line.remove_suffix(1);
    std::string gutter(decimal_digits(begin.line) + 1, ' ');
    out += fmt::format("TOML parse error at line {}, column {}\n", begin.line, begin.column);
    out += fmt::format("{}|\n", gutter);
    out += fmt::format("{} | {}\n", begin.line, displayable(line));
    out += fmt::format("{}|{}{}\n", gutter, std::string(begin.column, ' '),
                       std::string(caret_count(line, begin, problem.end), '^'));
  }
  // The reader's words are passed through the same filter as the source line.
  out += displayable(problem.description);
  out += '\n';
  if (problem.key) out += fmt::format("in `{}`\n", displayable(*problem.key));
  return out;
}

base::Result<toml::table, std::string> parse_toml(std::string_view source) {
  if (auto bad = first_invalid_utf8(source)) {
    TomlPosition at = position_of(source, *bad);
    return base::err(toml_error_text(
        source, TomlProblem{"invalid UTF-8 sequence", at, TomlPosition{at.line, at.column + 1}, std::nullopt}));
  }
  if (auto deep = overlong_dotted_key(source)) {
    return base::err(toml_error_text(
        source, TomlProblem{fmt::format("dotted key has more than {} parts", kMaxKeyParts), position_of(source, *deep),
                            std::nullopt, std::nullopt}));
  }
#if TOML_EXCEPTIONS
  try {
    return toml::parse(source);
  } catch (const toml::parse_error& error) {
    return base::err(toml_error_text(source, problem_from(error)));
  } catch (const std::exception& error) {
    // Allocation failures and the like: no place in the file to point at.
    return base::err(toml_error_text(source, TomlProblem{error.what(), std::nullopt, std::nullopt, std::nullopt}));
  } catch (...) {
    return base::err(toml_error_text(source, TomlProblem{"unknown TOML reader failure", std::nullopt, std::nullopt,
                                                         std::nullopt}));
  }
#else
  toml::parse_result result = toml::parse(source);
  if (!result) return base::err(toml_error_text(source, problem_from(result.error())));
  return std::move(result).table();
#endif
}

}  // namespace vantrel::engine
