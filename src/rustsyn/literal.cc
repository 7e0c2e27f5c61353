// Literal values by Rust's lexical rules. The source has already been lexed by
// tree-sitter; here we only interpret the text of one literal token.
#include "rustsyn/literal.h"

namespace vantrel::rustsyn {

namespace {

int hex_digit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void append_utf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xc0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xe0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  }
}

/// rustc reads sources with CRLF line ends turned into LF, so literal text
/// does the same.
std::string normalize_newlines(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

SynError error_at(std::string message, uint32_t start, uint32_t end) {
  return SynError{std::move(message), Range{start, end}};
}

}  // namespace

base::Result<std::string, SynError> unescape_string(std::string_view body, bool bytes, uint32_t body_start) {
  std::string out;
  out.reserve(body.size());
  auto offset = [&](size_t i) { return body_start + static_cast<uint32_t>(i); };
  for (size_t i = 0; i < body.size();) {
    char c = body[i];
    if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      if (bytes && static_cast<unsigned char>(c) >= 0x80) {
        return base::err(error_at("non-ASCII character in byte string literal", offset(i), offset(i + 1)));
      }
      out += c;
      ++i;
      continue;
    }
    size_t esc = i;
    if (i + 1 >= body.size()) return base::err(error_at("invalid escape at end of literal", offset(i), offset(i + 1)));
    char e = body[i + 1];
    i += 2;
    switch (e) {
      case 'n': out += '\n'; break;
      case 'r': out += '\r'; break;
      case 't': out += '\t'; break;
      case '\\': out += '\\'; break;
      case '0': out += '\0'; break;
      case '\'': out += '\''; break;
      case '"': out += '"'; break;
      case '\n':
      case '\r':
        // A backslash before a line end continues the string: the line end
        // and the white space that opens the next line are dropped.
        while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\n' || body[i] == '\r')) ++i;
        break;
      case 'x': {
        int hi = i < body.size() ? hex_digit(body[i]) : -1;
        int lo = i + 1 < body.size() ? hex_digit(body[i + 1]) : -1;
        if (hi < 0 || lo < 0) {
          return base::err(error_at("invalid `\\x` escape: expected two hex digits", offset(esc), offset(std::min(i + 2, body.size()))));
        }
        int value = hi * 16 + lo;
        if (!bytes && value > 0x7f) {
          return base::err(error_at("out of range hex escape: must be at most \\x7F", offset(esc), offset(i + 2)));
        }
        out += static_cast<char>(value);
        i += 2;
        break;
      }
      case 'u': {
        if (bytes) return base::err(error_at("unicode escape in byte string", offset(esc), offset(i)));
        if (i >= body.size() || body[i] != '{') {
          return base::err(error_at("incorrect unicode escape sequence", offset(esc), offset(i)));
        }
        size_t close = body.find('}', i);
        if (close == std::string_view::npos) {
          return base::err(error_at("unterminated unicode escape", offset(esc), offset(body.size())));
        }
        uint32_t cp = 0;
        int digits = 0;
        bool bad = false;
        for (size_t k = i + 1; k < close; ++k) {
          if (body[k] == '_') continue;
          int d = hex_digit(body[k]);
          if (d < 0 || ++digits > 6) {
            bad = true;
            break;
          }
          cp = cp * 16 + static_cast<uint32_t>(d);
        }
        if (bad || digits == 0 || body[i + 1] == '_') {
          return base::err(error_at("invalid unicode escape", offset(esc), offset(close + 1)));
        }
        if (cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff)) {
          return base::err(error_at("invalid unicode character escape: not a Unicode scalar value", offset(esc), offset(close + 1)));
        }
        append_utf8(out, cp);
        i = close + 1;
        break;
      }
      default:
        return base::err(error_at(std::string("unknown character escape: `") + (static_cast<unsigned char>(e) < 0x80 && e >= 0x20 ? std::string(1, e) : std::string("?")) + "`", offset(esc), offset(i)));
    }
  }
  return out;
}

std::optional<Lit> Lit::from_node(const Node& node) {
  Lit lit;
  std::string_view kind = node.kind();
  std::string_view text = node.text();
  if (kind == "string_literal") {
    lit.kind_ = text.starts_with("b") ? LitKind::ByteStr : text.starts_with("c") ? LitKind::CStr : LitKind::Str;
  } else if (kind == "raw_string_literal") {
    lit.raw_ = true;
    lit.kind_ = text.starts_with("b") ? LitKind::ByteStr : text.starts_with("c") ? LitKind::CStr : LitKind::Str;
  } else if (kind == "char_literal") {
    lit.kind_ = text.starts_with("b") ? LitKind::Byte : LitKind::Char;
  } else if (kind == "integer_literal") {
    lit.kind_ = LitKind::Int;
  } else if (kind == "float_literal") {
    lit.kind_ = LitKind::Float;
  } else if (kind == "boolean_literal") {
    lit.kind_ = LitKind::Bool;
  } else {
    return std::nullopt;
  }
  lit.node_ = node;
  lit.text_ = text;
  lit.range_ = node.range();
  return lit;
}

Lit Lit::verbatim_str(Node node, std::string_view value, Range range) {
  Lit lit;
  lit.node_ = std::move(node);
  lit.kind_ = LitKind::Str;
  lit.verbatim_ = true;
  lit.text_ = value;
  lit.range_ = range;
  return lit;
}

std::string_view Lit::suffix() const {
  if (kind_ != LitKind::Int && kind_ != LitKind::Float) return {};
  std::string_view t = text_;
  bool hex = t.starts_with("0x") || t.starts_with("0X");
  size_t i = hex ? 2 : (t.starts_with("0o") || t.starts_with("0b")) ? 2 : 0;
  for (; i < t.size(); ++i) {
    char c = t[i];
    bool digit = (c >= '0' && c <= '9') || c == '_' || (hex && hex_digit(c) >= 0);
    if (kind_ == LitKind::Float && !hex) {
      // Floats carry `.`, exponents and signs of exponents in their digits.
      if (c == '.' || ((c == 'e' || c == 'E') && i + 1 < t.size()) ||
          ((c == '+' || c == '-') && i > 0 && (t[i - 1] == 'e' || t[i - 1] == 'E'))) {
        continue;
      }
    }
    if (!digit) break;
  }
  return t.substr(i);
}

base::Result<std::string, SynError> Lit::string_value() const {
  if (kind_ != LitKind::Str && kind_ != LitKind::ByteStr && kind_ != LitKind::CStr) {
    return base::err(SynError{"expected string literal", range_});
  }
  if (verbatim_) return std::string(text_);
  std::string_view t = text_;
  size_t prefix = (kind_ == LitKind::Str) ? 0 : 1;
  if (raw_) {
    // r#"..."#: count the hashes after `r`, the body sits between the quotes.
    size_t hashes = 0;
    size_t i = prefix + 1;
    while (i < t.size() && t[i] == '#') {
      ++hashes;
      ++i;
    }
    size_t body_start = i + 1;
    if (t.size() < body_start + 1 + hashes) return base::err(SynError{"unterminated raw string", range_});
    std::string_view body = t.substr(body_start, t.size() - body_start - 1 - hashes);
    if (kind_ == LitKind::ByteStr) {
      for (size_t k = 0; k < body.size(); ++k) {
        if (static_cast<unsigned char>(body[k]) >= 0x80) {
          uint32_t at = range_.start + static_cast<uint32_t>(body_start + k);
          return base::err(SynError{"non-ASCII character in raw byte string literal", Range{at, at + 1}});
        }
      }
    }
    return normalize_newlines(body);
  }
  size_t body_start = prefix + 1;
  if (t.size() < body_start + 1 || t.back() != '"') return base::err(SynError{"unterminated string literal", range_});
  std::string_view body = t.substr(body_start, t.size() - body_start - 1);
  return unescape_string(body, kind_ != LitKind::Str, range_.start + static_cast<uint32_t>(body_start));
}

base::Result<uint64_t, SynError> Lit::int_value(uint64_t max) const {
  if (kind_ != LitKind::Int) return base::err(SynError{"expected integer literal", range_});
  std::string_view digits = text_.substr(0, text_.size() - suffix().size());
  uint64_t radix = 10;
  if (digits.starts_with("0x") || digits.starts_with("0X")) {
    radix = 16;
  } else if (digits.starts_with("0o")) {
    radix = 8;
  } else if (digits.starts_with("0b")) {
    radix = 2;
  }
  if (radix != 10) digits.remove_prefix(2);
  uint64_t value = 0;
  bool any = false;
  bool overflow = false;
  for (char c : digits) {
    if (c == '_') continue;
    int d = hex_digit(c);
    if (d < 0 || static_cast<uint64_t>(d) >= radix) {
      return base::err(SynError{"invalid digit found in string", range_});
    }
    any = true;
    if (value > (std::numeric_limits<uint64_t>::max() - static_cast<uint64_t>(d)) / radix) {
      overflow = true;
    } else {
      value = value * radix + static_cast<uint64_t>(d);
    }
  }
  if (!any) return base::err(SynError{"cannot parse integer from empty string", range_});
  if (overflow || value > max) return base::err(SynError{"number too large to fit in target type", range_});
  return value;
}

}  // namespace vantrel::rustsyn
