// The parsed Rust source file and the generic syntax node. A SourceFile owns
// the text and its syntax tree; every Node holds a shared reference to its
// file, so a node (and every view built on one) keeps the text and tree alive
// and can be stored without copying text. String views handed out by nodes
// and views point into the file's text and stay valid while any Node of that
// file lives.
//
// The tree is tree-sitter's, copied right after parsing into a flat array of
// nodes in document order, and tree-sitter's own tree is freed at once. Every
// later step walks children, fields and subtrees many times over; in the flat
// array those are index steps, where tree-sitter's cursors spend hundreds of
// instructions per step, and the array takes a fraction of the memory.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <tree_sitter/api.h>

#include "rustsyn/range.h"
#include "rustsyn/syn_error.h"

namespace vantrel::rustsyn {

class SourceFile;

/// No node: the parent of the root, the sibling after the last child.
inline constexpr uint32_t kNoNode = UINT32_MAX;

/// One node of the flattened tree. Nodes are stored in document order
/// (pre-order), so a node's descendants are the nodes after it up to
/// `subtree_end`, and its first child, if it has any, comes right after it.
struct FlatNode {
  uint32_t start = 0;  ///< byte range in the text
  uint32_t end = 0;
  uint32_t parent = kNoNode;
  uint32_t next_sibling = kNoNode;
  uint32_t subtree_end = 0;  ///< one past the last descendant
  uint32_t child_count = 0;
  TSSymbol symbol = 0;       ///< the visible kind (an alias where one applies)
  TSFieldId field = 0;       ///< the field this node fills in its parent, or 0
  bool named = false;
  bool missing = false;
};

/// A node of the syntax tree: a position in its file's flattened tree plus a
/// shared reference to the file. A default-constructed Node is null;
/// accessors on a null node return empty values.
class Node {
 public:
  Node() = default;
  Node(std::shared_ptr<const SourceFile> file, uint32_t index) : file_(std::move(file)), index_(index) {}

  bool is_null() const { return !file_ || index_ == kNoNode; }
  explicit operator bool() const { return !is_null(); }

  /// The grammar's kind name ("function_item", "identifier", "," ...).
  std::string_view kind() const;
  bool is(std::string_view kind_name) const { return !is_null() && kind() == kind_name; }
  /// Named nodes are grammar rules and named tokens; anonymous ones are
  /// keywords and punctuation.
  bool is_named() const;
  /// A zero-width node tree-sitter inserted to recover from an error.
  bool is_missing() const;
  bool is_comment() const { return is("line_comment") || is("block_comment"); }

  Range range() const;
  /// The node's source text (a view into the file's text).
  std::string_view text() const;

  /// The child stored under a grammar field name, or a null node.
  Node field(std::string_view name) const;
  uint32_t child_count() const;
  /// The child at `index`; linear in `index`, so loop with `children()`.
  Node child(uint32_t index) const;
  /// All children, anonymous tokens and comments included, in order.
  std::vector<Node> children() const;
  /// Named children other than comments, in order.
  std::vector<Node> named_children() const;
  /// The first named child that is not a comment, or a null node.
  Node first_named_child() const;
  /// Whether some direct child is the anonymous token `token`.
  bool has_token(std::string_view token) const;
  /// The first direct child that is the anonymous token `token`, or null.
  Node token(std::string_view token) const;
  Node parent() const;

  const std::shared_ptr<const SourceFile>& file() const { return file_; }
  /// The node's position in its file's flattened tree.
  uint32_t index() const { return index_; }
  /// The node's entry in the flattened tree; only for a non-null node.
  const FlatNode& flat() const;

  /// Same file and same tree node.
  bool operator==(const Node& other) const;

 private:
  std::shared_ptr<const SourceFile> file_;
  uint32_t index_ = kNoNode;
};

/// One Rust source file: its text, its flattened syntax tree and the first
/// syntax error. Created only through `parse`, always held by shared_ptr.
class SourceFile : public std::enable_shared_from_this<SourceFile> {
  struct Private {};

 public:
  /// Parses `text` as a complete Rust source file. Never fails: a file with
  /// syntax errors (or one too large to parse) reports them through `error`.
  static std::shared_ptr<const SourceFile> parse(std::string text);

  SourceFile(Private, std::string text);
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  std::string_view text() const { return text_; }
  /// The `source_file` node; null only for a file too large to parse.
  Node root() const;
  /// The first ERROR or MISSING node in document order, as a message and the
  /// node's byte range; nothing when the file parsed cleanly.
  const std::optional<SynError>& error() const { return error_; }
  /// The flattened tree in document order; the root is at 0.
  const std::vector<FlatNode>& nodes() const { return nodes_; }

 private:
  std::string text_;
  std::vector<FlatNode> nodes_;
  std::optional<SynError> error_;
};

/// The kind name of a Rust grammar symbol.
std::string_view rust_symbol_name(TSSymbol symbol);

/// The message and range of the first ERROR or MISSING node below `root`,
/// or nothing when the tree holds none. Iterative, whatever the tree depth.
std::optional<SynError> first_syntax_error(TSNode root, std::string_view text);

}  // namespace vantrel::rustsyn
