// Lit: one Rust literal token (from the tree or from a doc comment) and its
// value by Rust's rules: string, raw-string and byte-string unescaping, and
// integer literals with suffixes read in base 10 with overflow reported.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <type_traits>

#include "base/result.h"
#include "rustsyn/range.h"
#include "rustsyn/source_file.h"
#include "rustsyn/syn_error.h"

namespace vantrel::rustsyn {

enum class LitKind { Str, ByteStr, CStr, Char, Byte, Int, Float, Bool };

class Lit {
 public:
  /// The literal of a tree node (string_literal, raw_string_literal,
  /// char_literal, integer_literal, float_literal, boolean_literal); nothing
  /// for any other node.
  static std::optional<Lit> from_node(const Node& node);
  /// A string literal whose value is `value` verbatim: how a doc comment's
  /// text becomes the literal of `doc = "..."`. `node` is the comment.
  static Lit verbatim_str(Node node, std::string_view value, Range range);

  LitKind kind() const { return kind_; }
  bool is_string() const { return kind_ == LitKind::Str; }
  bool is_raw() const { return raw_; }
  /// The literal as written (for a doc comment: its text after the marker).
  std::string_view text() const { return text_; }
  Range range() const { return range_; }
  const Node& node() const { return node_; }

  /// The suffix after a numeric literal (`u16` of `404u16`), else empty.
  std::string_view suffix() const;

  /// The value of a string-like literal (Str, ByteStr, CStr, raw or not),
  /// unescaped; byte strings give their bytes. Fails with "expected string
  /// literal" for other kinds and with an escape message on bad escapes.
  base::Result<std::string, SynError> string_value() const;

  /// The value of an integer literal, converted to decimal as the literal is
  /// read in base 10 (`0x10` gives 16), checked against T's range. Fails with
  /// "expected integer literal" or "number too large to fit in target type".
  template <class T>
    requires std::is_unsigned_v<T>
  base::Result<T, SynError> base10_parse() const {
    auto value = int_value(std::numeric_limits<T>::max());
    if (!value.ok()) return base::err(std::move(value.error()));
    return static_cast<T>(value.value());
  }

 private:
  Lit() = default;
  base::Result<uint64_t, SynError> int_value(uint64_t max) const;

  Node node_;
  LitKind kind_ = LitKind::Str;
  bool raw_ = false;
  bool verbatim_ = false;
  std::string_view text_;
  Range range_;
};

/// Unescapes the body of a cooked string literal (between the quotes). Byte
/// strings forbid `\u{...}` and non-ASCII text; `\x` is limited to 0x7F in
/// strings. Errors point into the literal: `body_start` is the offset of the
/// body's first byte in the file.
base::Result<std::string, SynError> unescape_string(std::string_view body, bool bytes, uint32_t body_start);

}  // namespace vantrel::rustsyn
