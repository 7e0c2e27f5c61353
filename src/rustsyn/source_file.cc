// Parsing a Rust file with tree-sitter-rust, flattening its tree, and the
// generic node accessors over the flat array. Error detection walks down
// tree-sitter's tree along the first child that carries an error, so it is
// linear in depth times width and never recursive; flattening is one cursor
// walk with an explicit stack.
#include "rustsyn/source_file.h"

#include <cstring>
#include <limits>
#include <unordered_map>

#include "grammars/grammars.h"

namespace vantrel::rustsyn {

namespace {

/// tree-sitter parsers are cheap to create and not thread-safe to share, so
/// each parse owns one for its duration.
struct ParserOwner {
  TSParser* parser = ts_parser_new();
  ~ParserOwner() { ts_parser_delete(parser); }
};

/// The Rust grammar's id of the field `name`, or 0 when it has none.
/// tree-sitter's own lookup compares the name with each of the grammar's field
/// names in turn, and field access is the commonest step of the item and type
/// views; the ids are fixed by the grammar, so they are read into a table once.
TSFieldId rust_field_id(std::string_view name) {
  static const std::unordered_map<std::string_view, TSFieldId> kIds = [] {
    std::unordered_map<std::string_view, TSFieldId> ids;
    const TSLanguage* language = grammars::rust();
    uint32_t count = ts_language_field_count(language);
    for (uint32_t id = 1; id <= count; ++id) {
      const char* field = ts_language_field_name_for_id(language, static_cast<TSFieldId>(id));
      if (field) ids.emplace(field, static_cast<TSFieldId>(id));
    }
    return ids;
  }();
  auto it = kIds.find(name);
  return it == kIds.end() ? 0 : it->second;
}

bool is_error_node(TSNode node) { return std::strcmp(ts_node_type(node), "ERROR") == 0; }

/// Whether `text` is short, valid UTF-8 without control characters, so that a
/// message can quote it.
bool quotable(std::string_view text) {
  if (text.empty() || text.size() > 40) return false;
  for (size_t i = 0; i < text.size();) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7f) return false;
    size_t len = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xe ? 3 : (c >> 3) == 0x1e ? 4 : 0;
    if (len == 0 || i + len > text.size()) return false;
    for (size_t k = 1; k < len; ++k) {
      if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
    }
    i += len;
  }
  return true;
}

/// The first non-empty leaf inside `node`, found iteratively.
std::string_view first_leaf_text(TSNode node, std::string_view text) {
  TSTreeCursor cursor = ts_tree_cursor_new(node);
  std::string_view found;
  for (;;) {
    TSNode current = ts_tree_cursor_current_node(&cursor);
    uint32_t start = ts_node_start_byte(current), end = ts_node_end_byte(current);
    if (ts_node_child_count(current) == 0 && end > start) {
      found = text.substr(start, end - start);
      break;
    }
    if (ts_tree_cursor_goto_first_child(&cursor)) continue;
    bool moved = false;
    while (!(moved = ts_tree_cursor_goto_next_sibling(&cursor))) {
      if (!ts_tree_cursor_goto_parent(&cursor)) break;
    }
    if (!moved) break;
  }
  ts_tree_cursor_delete(&cursor);
  return found;
}

SynError error_for(TSNode node, std::string_view text) {
  Range range{ts_node_start_byte(node), ts_node_end_byte(node)};
  if (ts_node_is_missing(node)) {
    std::string_view kind = ts_node_type(node);
    if (ts_node_is_named(node)) {
      std::string name(kind);
      for (char& c : name) {
        if (c == '_') c = ' ';
      }
      return SynError{"expected " + name, range};
    }
    return SynError{"expected `" + std::string(kind) + "`", range};
  }
  std::string_view leaf = first_leaf_text(node, text);
  if (quotable(leaf)) return SynError{"unexpected `" + std::string(leaf) + "`", range};
  if (leaf.empty()) return SynError{"unexpected end of input", range};
  return SynError{"unexpected token", range};
}

}  // namespace

std::optional<SynError> first_syntax_error(TSNode root, std::string_view text) {
  if (ts_node_is_null(root) || !ts_node_has_error(root)) return std::nullopt;
  TSNode node = root;
  for (;;) {
    if (is_error_node(node) || ts_node_is_missing(node)) return error_for(node, text);
    bool descended = false;
    TSTreeCursor cursor = ts_tree_cursor_new(node);
    if (ts_tree_cursor_goto_first_child(&cursor)) {
      do {
        TSNode child = ts_tree_cursor_current_node(&cursor);
        if (is_error_node(child) || ts_node_is_missing(child) || ts_node_has_error(child)) {
          node = child;
          descended = true;
          break;
        }
      } while (ts_tree_cursor_goto_next_sibling(&cursor));
    }
    ts_tree_cursor_delete(&cursor);
    // has_error without an erroneous child: the node itself is the culprit.
    if (!descended) return error_for(node, text);
  }
}

namespace {

/// Copies the tree below `root` into `nodes` in document order with one
/// cursor walk. `path` holds the open ancestors and, for each, the last child
/// added so far, to link siblings.
std::vector<FlatNode> flatten(TSNode root, size_t text_size) {
  std::vector<FlatNode> nodes;
  // Rust source runs to about one visible node per five or six bytes;
  // reserving for one per four saves the copies of a growing array.
  nodes.reserve(text_size / 4 + 16);
  struct Open {
    uint32_t index;
    uint32_t last_child;
  };
  std::vector<Open> path;
  TSTreeCursor cursor = ts_tree_cursor_new(root);
  auto append = [&](uint32_t parent) {
    TSNode node = ts_tree_cursor_current_node(&cursor);
    FlatNode flat;
    flat.start = ts_node_start_byte(node);
    flat.end = ts_node_end_byte(node);
    flat.parent = parent;
    flat.symbol = ts_node_symbol(node);
    flat.field = ts_tree_cursor_current_field_id(&cursor);
    flat.named = ts_node_is_named(node);
    flat.missing = ts_node_is_missing(node);
    auto index = static_cast<uint32_t>(nodes.size());
    nodes.push_back(flat);
    if (!path.empty()) {
      Open& open = path.back();
      ++nodes[open.index].child_count;
      if (open.last_child != kNoNode) nodes[open.last_child].next_sibling = index;
      open.last_child = index;
    }
    return index;
  };
  uint32_t current = append(kNoNode);
  for (bool done = false; !done;) {
    if (ts_tree_cursor_goto_first_child(&cursor)) {
      path.push_back(Open{current, kNoNode});
      current = append(current);
      continue;
    }
    // `current` has no children: close it, then climb, closing each
    // ancestor, until one has a next sibling.
    for (;;) {
      nodes[current].subtree_end = static_cast<uint32_t>(nodes.size());
      if (path.empty()) {
        done = true;
        break;
      }
      if (ts_tree_cursor_goto_next_sibling(&cursor)) {
        current = append(path.back().index);
        break;
      }
      ts_tree_cursor_goto_parent(&cursor);
      current = path.back().index;
      path.pop_back();
    }
  }
  ts_tree_cursor_delete(&cursor);
  return nodes;
}

}  // namespace

std::string_view rust_symbol_name(TSSymbol symbol) {
  // tree-sitter hands out names as C strings; measuring one on every kind
  // comparison showed in profiles, so the names are measured once.
  static const std::vector<std::string_view> kNames = [] {
    const TSLanguage* language = grammars::rust();
    uint32_t count = ts_language_symbol_count(language);
    std::vector<std::string_view> names(count);
    for (uint32_t symbol = 0; symbol < count; ++symbol) {
      const char* name = ts_language_symbol_name(language, static_cast<TSSymbol>(symbol));
      if (name) names[symbol] = name;
    }
    return names;
  }();
  return symbol < kNames.size() ? kNames[symbol] : std::string_view();
}

// --- Node -------------------------------------------------------------------

const FlatNode& Node::flat() const { return file_->nodes()[index_]; }

std::string_view Node::kind() const { return is_null() ? std::string_view() : rust_symbol_name(flat().symbol); }
bool Node::is_named() const { return !is_null() && flat().named; }
bool Node::is_missing() const { return !is_null() && flat().missing; }

Range Node::range() const {
  if (is_null()) return {};
  return Range{flat().start, flat().end};
}

std::string_view Node::text() const {
  if (is_null()) return {};
  const FlatNode& node = flat();
  return file_->text().substr(node.start, node.end - node.start);
}

namespace {

/// Calls `visit(index)` for each direct child of node `index` until it
/// returns false.
template <class Visit>
void for_each_child(const std::vector<FlatNode>& nodes, uint32_t index, Visit&& visit) {
  if (nodes[index].child_count == 0) return;
  for (uint32_t child = index + 1; child != kNoNode; child = nodes[child].next_sibling) {
    if (!visit(child)) break;
  }
}

bool is_named_non_comment(const FlatNode& node) {
  if (!node.named) return false;
  std::string_view kind = rust_symbol_name(node.symbol);
  return kind != "line_comment" && kind != "block_comment";
}

}  // namespace

Node Node::field(std::string_view name) const {
  if (is_null()) return {};
  TSFieldId id = rust_field_id(name);
  if (id == 0) return {};
  const std::vector<FlatNode>& nodes = file_->nodes();
  uint32_t found = kNoNode;
  for_each_child(nodes, index_, [&](uint32_t child) {
    if (nodes[child].field != id) return true;
    found = child;
    return false;
  });
  return found == kNoNode ? Node() : Node(file_, found);
}

uint32_t Node::child_count() const { return is_null() ? 0 : flat().child_count; }

Node Node::child(uint32_t index) const {
  if (index >= child_count()) return {};
  const std::vector<FlatNode>& nodes = file_->nodes();
  uint32_t child = index_ + 1;
  for (uint32_t i = 0; i < index; ++i) child = nodes[child].next_sibling;
  return Node(file_, child);
}

std::vector<Node> Node::children() const {
  std::vector<Node> out;
  if (is_null()) return out;
  out.reserve(child_count());
  for_each_child(file_->nodes(), index_, [&](uint32_t child) {
    out.emplace_back(file_, child);
    return true;
  });
  return out;
}

std::vector<Node> Node::named_children() const {
  std::vector<Node> out;
  if (is_null()) return out;
  const std::vector<FlatNode>& nodes = file_->nodes();
  for_each_child(nodes, index_, [&](uint32_t child) {
    if (is_named_non_comment(nodes[child])) out.emplace_back(file_, child);
    return true;
  });
  return out;
}

Node Node::first_named_child() const {
  if (is_null()) return {};
  const std::vector<FlatNode>& nodes = file_->nodes();
  uint32_t found = kNoNode;
  for_each_child(nodes, index_, [&](uint32_t child) {
    if (!is_named_non_comment(nodes[child])) return true;
    found = child;
    return false;
  });
  return found == kNoNode ? Node() : Node(file_, found);
}

Node Node::token(std::string_view token_text) const {
  if (is_null()) return {};
  const std::vector<FlatNode>& nodes = file_->nodes();
  uint32_t found = kNoNode;
  for_each_child(nodes, index_, [&](uint32_t child) {
    const FlatNode& node = nodes[child];
    if (node.named || node.missing || rust_symbol_name(node.symbol) != token_text) return true;
    found = child;
    return false;
  });
  return found == kNoNode ? Node() : Node(file_, found);
}

bool Node::has_token(std::string_view token_text) const { return !token(token_text).is_null(); }

Node Node::parent() const {
  if (is_null()) return {};
  uint32_t parent = flat().parent;
  return parent == kNoNode ? Node() : Node(file_, parent);
}

bool Node::operator==(const Node& other) const {
  if (is_null() || other.is_null()) return is_null() == other.is_null();
  return file_ == other.file_ && index_ == other.index_;
}

// --- SourceFile -------------------------------------------------------------

SourceFile::SourceFile(Private, std::string text) : text_(std::move(text)) {}

std::shared_ptr<const SourceFile> SourceFile::parse(std::string text) {
  auto file = std::make_shared<SourceFile>(Private{}, std::move(text));
  if (file->text_.size() > std::numeric_limits<uint32_t>::max()) {
    file->error_ = SynError{"file is too large to parse (more than 4 GiB)", Range{}};
    return file;
  }
  ParserOwner owner;
  ts_parser_set_language(owner.parser, grammars::rust());
  TSTree* tree = ts_parser_parse_string(owner.parser, nullptr, file->text_.data(),
                                        static_cast<uint32_t>(file->text_.size()));
  if (!tree) {
    file->error_ = SynError{"the parser gave up on this file", Range{}};
    return file;
  }
  TSNode root = ts_tree_root_node(tree);
  file->error_ = first_syntax_error(root, file->text_);
  file->nodes_ = flatten(root, file->text_.size());
  ts_tree_delete(tree);
  return file;
}

Node SourceFile::root() const {
  if (nodes_.empty()) return {};
  return Node(shared_from_this(), 0);
}

}  // namespace vantrel::rustsyn
