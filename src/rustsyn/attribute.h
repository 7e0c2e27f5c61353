// Attribute: one outer attribute `#[...]` or one outer doc comment of an
// item, field or variant. tree-sitter puts these before their item as
// siblings; `collect_outer_attributes` and the item views group them. A doc
// comment (`/// text` or `/** text */`) is presented as the name-value
// attribute `doc = "text"`, whose value is the text after the marker exactly
// as written (the line end of a `///` comment excluded).
#pragma once

#include <optional>
#include <vector>

#include "rustsyn/ident.h"
#include "rustsyn/literal.h"
#include "rustsyn/source_file.h"
#include "rustsyn/tokens.h"

namespace vantrel::rustsyn {

/// Word `#[a]`, list `#[a(...)]` (or `[...]`, `{...}`), name-value `#[a = v]`.
enum class AttrStyle { Word, List, NameValue };

class Attribute {
 public:
  /// The attribute of an `attribute_item` node or an outer doc comment node;
  /// nothing for any other node (inner attributes and inner doc included).
  static std::optional<Attribute> from_node(const Node& node);

  /// The `attribute_item` or the comment node.
  const Node& node() const { return node_; }
  /// The whole `#[...]`, or the whole comment (a `///` line end excluded).
  Range range() const { return range_; }
  bool is_doc_comment() const { return doc_comment_; }
  AttrStyle style() const;

  /// The path; `doc` for a doc comment (its range the comment's).
  SimplePath path() const;
  /// Whether the path is exactly the single identifier `name`; cheaper than
  /// `path().is_ident(name)`.
  bool path_is(std::string_view name) const;

  /// List form: the token tree node (null otherwise).
  Node args_node() const;
  /// List form: the delimiter of the arguments.
  Delimiter delimiter() const;
  /// List form: a cursor over the argument tokens (empty otherwise).
  TokenCursor args() const;

  /// Name-value form: the value expression (null for doc comments and the
  /// other forms).
  Node value_node() const;
  /// Name-value form whose value is a literal: that literal; for a doc
  /// comment, a verbatim string literal of its text.
  std::optional<Lit> value_lit() const;

 private:
  Attribute() = default;
  Node node_;
  Node attr_;  ///< the inner `attribute` node (null for doc comments)
  Range range_;
  bool doc_comment_ = false;
};

/// The segments of a path node (identifier, `self`, `crate`, `super`, or a
/// left-nested scoped_identifier chain), flattened iteratively.
SimplePath simple_path_of(const Node& path_node);

/// Whether `node` is an outer doc comment (`///` or `/** */`).
bool is_outer_doc_comment(const Node& node);

/// The outer attributes and doc comments directly before `children[index]`
/// among its siblings, in order (comments that are not doc comments are
/// skipped).
std::vector<Attribute> collect_outer_attributes(const std::vector<Node>& children, size_t index);

/// The range from the first attribute (if any) to the end of `range`.
Range full_range_of(const std::vector<Attribute>& attrs, Range range);

}  // namespace vantrel::rustsyn
