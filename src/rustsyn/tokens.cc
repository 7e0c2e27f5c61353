// The attribute-argument token cursor and token printing, over the leaves of
// tree-sitter-rust token trees.
#include "rustsyn/tokens.h"

#include <tree_sitter/api.h>

namespace vantrel::rustsyn {

namespace {

bool is_word(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
              c == '#' || static_cast<unsigned char>(c) >= 0x80;
    if (!ok) return false;
  }
  char first = text[0];
  return !(first >= '0' && first <= '9') && first != '#';
}

bool is_literal_kind(std::string_view kind) {
  return kind == "string_literal" || kind == "raw_string_literal" || kind == "char_literal" ||
         kind == "integer_literal" || kind == "float_literal" || kind == "boolean_literal";
}

/// Node kinds that print and tokenize as one token although tree-sitter gives
/// them children.
bool is_atomic_kind(std::string_view kind) { return is_literal_kind(kind) || kind == "lifetime"; }

Delimiter delimiter_of(std::string_view text) {
  if (text.starts_with("(")) return Delimiter::Paren;
  if (text.starts_with("[")) return Delimiter::Bracket;
  if (text.starts_with("{")) return Delimiter::Brace;
  return Delimiter::None;
}

Token make_token(const Node& node) {
  Token token;
  token.node = node;
  token.text = node.text();
  token.range = node.range();
  std::string_view kind = node.kind();
  if (kind == "token_tree") {
    token.kind = TokenKind::Group;
    token.delimiter = delimiter_of(token.text);
  } else if (kind == "token_repetition") {
    token.kind = TokenKind::Group;
    token.delimiter = Delimiter::None;
  } else if (is_literal_kind(kind)) {
    token.kind = TokenKind::Literal;
  } else if (kind == "lifetime") {
    token.kind = TokenKind::Lifetime;
  } else if (is_word(token.text)) {
    token.kind = TokenKind::Ident;
  } else {
    token.kind = TokenKind::Punct;
  }
  return token;
}

std::string_view describe(Delimiter d) {
  switch (d) {
    case Delimiter::Paren: return "parentheses";
    case Delimiter::Bracket: return "square brackets";
    case Delimiter::Brace: return "curly braces";
    case Delimiter::None: return "a group";
  }
  return "a group";
}

}  // namespace

bool is_ident_token(const Node& leaf) { return make_token(leaf).kind == TokenKind::Ident; }

TokenCursor TokenCursor::over_group(const Node& tree) {
  TokenCursor cursor;
  std::vector<Node> children = tree.children();
  size_t count = children.size();
  size_t first = 0, last = count;
  if (tree.is("token_tree") && count >= 2) {
    first = 1;
    last = count - 1;
    cursor.close_ = children[count - 1].range();
  } else {
    Range r = tree.range();
    cursor.close_ = Range{r.end, r.end};
  }
  cursor.tokens_.reserve(last - first);
  for (size_t i = first; i < last; ++i) {
    const Node& child = children[i];
    if (child.is_comment() || child.is_missing()) continue;
    Token token = make_token(child);
    // `'a` inside a token tree is lexed as `'` then `a`: join them.
    if (token.is_punct("'") && i + 1 < last) {
      const Node& next = children[i + 1];
      if (next.range().start == token.range.end && make_token(next).kind == TokenKind::Ident) {
        Range r{token.range.start, next.range().end};
        token.kind = TokenKind::Lifetime;
        token.range = r;
        token.text = tree.file()->text().substr(r.start, r.end - r.start);
        ++i;
      }
    }
    cursor.tokens_.push_back(std::move(token));
  }
  return cursor;
}

Range TokenCursor::position() const { return at_end() ? close_ : tokens_[pos_].range; }

SynError TokenCursor::error_here(std::string_view expectation) const {
  if (at_end()) return SynError{"unexpected end of input, " + std::string(expectation), close_};
  return SynError{std::string(expectation), tokens_[pos_].range};
}

bool TokenCursor::eat_punct(std::string_view p) {
  if (!peek_punct(p)) return false;
  ++pos_;
  return true;
}

base::Result<Token, SynError> TokenCursor::expect_punct(std::string_view p) {
  if (!peek_punct(p)) return base::err(error_here("expected `" + std::string(p) + "`"));
  return tokens_[pos_++];
}

base::Result<Ident, SynError> TokenCursor::expect_ident() {
  if (!peek() || peek()->kind != TokenKind::Ident) return base::err(error_here("expected identifier"));
  return tokens_[pos_++].ident();
}

base::Result<Lit, SynError> TokenCursor::expect_lit() {
  if (!peek() || peek()->kind != TokenKind::Literal) return base::err(error_here("expected literal"));
  auto lit = tokens_[pos_].lit();
  if (!lit) return base::err(error_here("expected literal"));
  ++pos_;
  return *lit;
}

base::Result<Lit, SynError> TokenCursor::expect_str_lit() {
  const Token* t = peek();
  std::optional<Lit> lit = t ? t->lit() : std::nullopt;
  if (!lit || (lit->kind() != LitKind::Str && lit->kind() != LitKind::ByteStr && lit->kind() != LitKind::CStr)) {
    return base::err(error_here("expected string literal"));
  }
  ++pos_;
  return *lit;
}

base::Result<Lit, SynError> TokenCursor::expect_int_lit() {
  const Token* t = peek();
  std::optional<Lit> lit = t ? t->lit() : std::nullopt;
  if (!lit || lit->kind() != LitKind::Int) return base::err(error_here("expected integer literal"));
  ++pos_;
  return *lit;
}

base::Result<TokenCursor, SynError> TokenCursor::expect_group(Delimiter delimiter) {
  const Token* t = peek();
  if (!t || t->kind != TokenKind::Group || t->delimiter != delimiter) {
    return base::err(error_here("expected " + std::string(describe(delimiter))));
  }
  ++pos_;
  return over_group(t->node);
}

base::Result<SimplePath, SynError> TokenCursor::parse_path() {
  SimplePath path;
  size_t start = pos_;
  if (peek_punct("::")) {
    path.leading_colon = true;
    ++pos_;
  }
  for (;;) {
    auto ident = expect_ident();
    if (!ident.ok()) {
      pos_ = start;
      return base::err(std::move(ident.error()));
    }
    path.segments.push_back(ident.value());
    if (!peek_punct("::")) break;
    ++pos_;
  }
  path.range = tokens_[start].range.cover(path.segments.back().range);
  return path;
}

base::Result<base::Unit, SynError> TokenCursor::expect_end() const {
  if (!at_end()) return base::err(SynError{"unexpected token", tokens_[pos_].range});
  return base::Unit{};
}

std::string print_tokens(const Node& node) {
  std::string out;
  if (node.is_null()) return out;
  std::string_view text = node.file()->text();
  const std::vector<FlatNode>& nodes = node.file()->nodes();
  uint32_t prev_end = 0;
  bool prev_quote = false;  // the last token was a lone `'` of a token tree
  // Document order over the subtree; comments and atomic tokens are printed
  // (or dropped) whole, without their insides.
  for (uint32_t i = node.index(); i < node.flat().subtree_end;) {
    const FlatNode& current = nodes[i];
    std::string_view kind = rust_symbol_name(current.symbol);
    bool comment = kind == "line_comment" || kind == "block_comment";
    bool leaf = current.child_count == 0 || is_atomic_kind(kind);
    if (!comment && leaf) {
      uint32_t start = current.start, end = current.end;
      if (end > start) {
        bool glue = prev_quote && start == prev_end;
        if (!out.empty() && !glue) out += ' ';
        out.append(text.substr(start, end - start));
        prev_quote = !current.named && kind == "'";
        prev_end = end;
      }
    }
    i = comment || leaf ? current.subtree_end : i + 1;
  }
  return out;
}

}  // namespace vantrel::rustsyn
