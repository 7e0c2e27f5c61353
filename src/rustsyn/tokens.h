// Token streams of attribute arguments and macro bodies, and printing a node
// back as tokens. tree-sitter-rust keeps a token tree's leaves as it lexed
// them: multi-character punctuation such as `::`, `->` and `=>` is one token,
// a leading `-` is its own token before a literal, and a lifetime inside a
// token tree arrives as `'` plus an identifier (joined here into one Lifetime
// token). Comments are dropped.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "rustsyn/ident.h"
#include "rustsyn/literal.h"
#include "rustsyn/source_file.h"
#include "rustsyn/syn_error.h"

namespace vantrel::rustsyn {

enum class TokenKind { Ident, Punct, Literal, Lifetime, Group };
/// The delimiter of a Group token; None for `$( ... )` repetitions.
enum class Delimiter { Paren, Bracket, Brace, None };

struct Token {
  TokenKind kind = TokenKind::Punct;
  std::string_view text;  ///< the token as written (a whole group for Group)
  Range range;
  Node node;  ///< the leaf, literal or token_tree node (for a lifetime: its `'`)
  Delimiter delimiter = Delimiter::None;  ///< Group only

  bool is_punct(std::string_view p) const { return kind == TokenKind::Punct && text == p; }
  bool is_ident(std::string_view name) const { return kind == TokenKind::Ident && text == name; }
  Ident ident() const { return Ident{text, range}; }
  /// The literal of a Literal token.
  std::optional<Lit> lit() const { return kind == TokenKind::Literal ? Lit::from_node(node) : std::nullopt; }
};

/// A cursor over the tokens inside one delimited group. Parse helpers consume
/// a token only on success; their failures carry the parser's own messages
/// ("expected `,`", "expected identifier", "expected string literal",
/// "unexpected token", ...) and the range of the token where parsing stood, or
/// the closing delimiter when the group is exhausted (the message then starts
/// with "unexpected end of input, ").
class TokenCursor {
 public:
  TokenCursor() = default;
  /// The tokens between the delimiters of a `token_tree` (or the children of
  /// a `token_repetition`).
  static TokenCursor over_group(const Node& token_tree);

  bool at_end() const { return pos_ >= tokens_.size(); }
  /// The token `ahead` places after the current one, or null.
  const Token* peek(size_t ahead = 0) const {
    return pos_ + ahead < tokens_.size() ? &tokens_[pos_ + ahead] : nullptr;
  }
  /// Takes the current token; null at the end.
  const Token* next() { return at_end() ? nullptr : &tokens_[pos_++]; }
  size_t position_index() const { return pos_; }
  const std::vector<Token>& tokens() const { return tokens_; }

  /// The current position: the next token's range, or the closing delimiter.
  Range position() const;
  /// An error with `expectation` at the current position.
  SynError error_here(std::string_view expectation) const;

  bool peek_punct(std::string_view p) const { return peek() && peek()->is_punct(p); }
  /// Takes punctuation `p` if it comes next.
  bool eat_punct(std::string_view p);
  /// "expected `p`".
  base::Result<Token, SynError> expect_punct(std::string_view p);
  /// "expected identifier". Keywords lexed as words count as identifiers.
  base::Result<Ident, SynError> expect_ident();
  /// "expected literal".
  base::Result<Lit, SynError> expect_lit();
  /// "expected string literal" (also for byte and C strings).
  base::Result<Lit, SynError> expect_str_lit();
  /// "expected integer literal".
  base::Result<Lit, SynError> expect_int_lit();
  /// A delimited group; "expected parentheses" / "expected square brackets" /
  /// "expected curly braces".
  base::Result<TokenCursor, SynError> expect_group(Delimiter delimiter);
  /// `::`-separated identifiers, optionally with a leading `::`; fails with
  /// "expected identifier".
  base::Result<SimplePath, SynError> parse_path();
  /// "unexpected token" unless every token was consumed.
  base::Result<base::Unit, SynError> expect_end() const;

 private:
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  Range close_;
};

/// Whether a token-tree leaf is an identifier token, as `TokenCursor` sees
/// it: keywords count, literals such as `true` and lifetimes do not.
bool is_ident_token(const Node& leaf);

/// The node's leaf tokens joined by single spaces, comments left out. String,
/// char and raw-string literals and lifetimes print as one token each.
/// Iterative, whatever the depth of the node.
std::string print_tokens(const Node& node);

}  // namespace vantrel::rustsyn
