// Outer attributes and doc comments as attributes.
#include "rustsyn/attribute.h"

namespace vantrel::rustsyn {

namespace {

/// The path node of an `attribute`: its first named child (identifier,
/// scoped_identifier, crate, self, super or metavariable).
Node path_node(const Node& attr) { return attr.first_named_child(); }

}  // namespace

SimplePath simple_path_of(const Node& node) {
  SimplePath path;
  path.range = node.range();
  std::vector<Ident> reversed;
  Node current = node;
  while (current) {
    if (current.is("scoped_identifier")) {
      Node name = current.field("name");
      reversed.push_back(Ident{name.text(), name.range()});
      Node prefix = current.field("path");
      if (!prefix) {
        path.leading_colon = current.has_token("::");
        break;
      }
      current = prefix;
    } else {
      reversed.push_back(Ident{current.text(), current.range()});
      break;
    }
  }
  path.segments.assign(reversed.rbegin(), reversed.rend());
  return path;
}

namespace {

/// The doc text of an outer doc comment: after the marker, before `*/` or
/// the line end.
std::optional<std::pair<std::string_view, Range>> doc_text(const Node& comment) {
  Node doc = comment.field("doc");
  if (doc) {
    std::string_view text = doc.text();
    Range r = doc.range();
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
      text.remove_suffix(1);
      --r.end;
    }
    return std::make_pair(text, r);
  }
  // `///` or `/***/` with nothing after the marker: an empty doc line.
  Node marker = comment.field("outer");
  Range r{marker.range().end, marker.range().end};
  return std::make_pair(std::string_view(), r);
}

}  // namespace

bool is_outer_doc_comment(const Node& node) { return node.is_comment() && node.field("outer"); }

std::optional<Attribute> Attribute::from_node(const Node& node) {
  Attribute attr;
  attr.node_ = node;
  if (node.is("attribute_item")) {
    attr.attr_ = node.first_named_child();
    if (!attr.attr_.is("attribute")) return std::nullopt;
    attr.range_ = node.range();
    return attr;
  }
  if (is_outer_doc_comment(node)) {
    attr.doc_comment_ = true;
    attr.range_ = node.range();
    if (node.is("line_comment")) {
      auto text = doc_text(node);
      attr.range_.end = text->second.end;
    }
    return attr;
  }
  return std::nullopt;
}

AttrStyle Attribute::style() const {
  if (doc_comment_ || attr_.field("value")) return AttrStyle::NameValue;
  if (attr_.field("arguments")) return AttrStyle::List;
  return AttrStyle::Word;
}

SimplePath Attribute::path() const {
  if (doc_comment_) {
    SimplePath path;
    path.segments.push_back(Ident{"doc", range_});
    path.range = range_;
    return path;
  }
  return simple_path_of(path_node(attr_));
}

bool Attribute::path_is(std::string_view name) const {
  if (doc_comment_) return name == "doc";
  Node p = path_node(attr_);
  return !p.is("scoped_identifier") && p.text() == name;
}

Node Attribute::args_node() const { return doc_comment_ ? Node() : attr_.field("arguments"); }

Delimiter Attribute::delimiter() const {
  std::string_view text = args_node().text();
  if (text.starts_with("[")) return Delimiter::Bracket;
  if (text.starts_with("{")) return Delimiter::Brace;
  return Delimiter::Paren;
}

TokenCursor Attribute::args() const {
  Node tree = args_node();
  return tree ? TokenCursor::over_group(tree) : TokenCursor();
}

Node Attribute::value_node() const { return doc_comment_ ? Node() : attr_.field("value"); }

std::optional<Lit> Attribute::value_lit() const {
  if (doc_comment_) {
    auto text = doc_text(node_);
    return Lit::verbatim_str(node_, text->first, text->second);
  }
  Node value = value_node();
  return value ? Lit::from_node(value) : std::nullopt;
}

std::vector<Attribute> collect_outer_attributes(const std::vector<Node>& children, size_t index) {
  size_t first = index;
  while (first > 0) {
    const Node& prev = children[first - 1];
    if (prev.is("attribute_item") || prev.is_comment()) {
      --first;
    } else {
      break;
    }
  }
  std::vector<Attribute> attrs;
  for (size_t i = first; i < index; ++i) {
    if (auto attr = Attribute::from_node(children[i])) attrs.push_back(std::move(*attr));
  }
  return attrs;
}

Range full_range_of(const std::vector<Attribute>& attrs, Range range) {
  if (attrs.empty()) return range;
  return Range{attrs.front().range().start, range.end};
}

}  // namespace vantrel::rustsyn
