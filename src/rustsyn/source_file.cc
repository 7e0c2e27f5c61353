// Parsing a Rust file with tree-sitter-rust and the generic node accessors.
// Error detection walks down the tree along the first child that carries an
// error, so it is linear in depth times width and never recursive.
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

// --- Node -------------------------------------------------------------------

Node::Node(std::shared_ptr<const SourceFile> file, TSNode raw) : file_(std::move(file)), raw_(raw) {}

std::string_view Node::kind() const { return is_null() ? std::string_view() : ts_node_type(raw_); }
bool Node::is_named() const { return !is_null() && ts_node_is_named(raw_); }
bool Node::is_missing() const { return !is_null() && ts_node_is_missing(raw_); }

Range Node::range() const {
  if (is_null()) return {};
  return Range{ts_node_start_byte(raw_), ts_node_end_byte(raw_)};
}

std::string_view Node::text() const {
  if (is_null()) return {};
  Range r = range();
  return file_->text().substr(r.start, r.end - r.start);
}

Node Node::field(std::string_view name) const {
  if (is_null()) return {};
  TSFieldId id = rust_field_id(name);
  if (id == 0) return {};
  TSNode child = ts_node_child_by_field_id(raw_, id);
  if (ts_node_is_null(child)) return {};
  return Node(file_, child);
}

uint32_t Node::child_count() const { return is_null() ? 0 : ts_node_child_count(raw_); }

Node Node::child(uint32_t index) const {
  if (index >= child_count()) return {};
  return Node(file_, ts_node_child(raw_, index));
}

namespace {

/// Calls `visit(child)` for each direct child of `node` until it returns
/// false. A tree cursor makes this linear; ts_node_child(i) is not O(1).
template <class Visit>
void for_each_child(TSNode node, Visit&& visit) {
  if (ts_node_child_count(node) == 0) return;
  TSTreeCursor cursor = ts_tree_cursor_new(node);
  if (ts_tree_cursor_goto_first_child(&cursor)) {
    do {
      if (!visit(ts_tree_cursor_current_node(&cursor))) break;
    } while (ts_tree_cursor_goto_next_sibling(&cursor));
  }
  ts_tree_cursor_delete(&cursor);
}

bool is_named_non_comment(TSNode child) {
  if (!ts_node_is_named(child)) return false;
  std::string_view kind = ts_node_type(child);
  return kind != "line_comment" && kind != "block_comment";
}

}  // namespace

std::vector<Node> Node::children() const {
  std::vector<Node> out;
  if (is_null()) return out;
  out.reserve(ts_node_child_count(raw_));
  for_each_child(raw_, [&](TSNode child) {
    out.emplace_back(file_, child);
    return true;
  });
  return out;
}

std::vector<Node> Node::named_children() const {
  std::vector<Node> out;
  if (is_null()) return out;
  for_each_child(raw_, [&](TSNode child) {
    if (is_named_non_comment(child)) out.emplace_back(file_, child);
    return true;
  });
  return out;
}

Node Node::first_named_child() const {
  Node found;
  if (is_null()) return found;
  for_each_child(raw_, [&](TSNode child) {
    if (!is_named_non_comment(child)) return true;
    found = Node(file_, child);
    return false;
  });
  return found;
}

Node Node::token(std::string_view token_text) const {
  Node found;
  if (is_null()) return found;
  for_each_child(raw_, [&](TSNode child) {
    if (ts_node_is_named(child) || ts_node_is_missing(child) || ts_node_type(child) != token_text) return true;
    found = Node(file_, child);
    return false;
  });
  return found;
}

bool Node::has_token(std::string_view token_text) const { return !token(token_text).is_null(); }

Node Node::parent() const {
  if (is_null()) return {};
  TSNode p = ts_node_parent(raw_);
  if (ts_node_is_null(p)) return {};
  return Node(file_, p);
}

bool Node::operator==(const Node& other) const {
  if (is_null() || other.is_null()) return is_null() == other.is_null();
  return file_ == other.file_ && ts_node_eq(raw_, other.raw_);
}

// --- SourceFile -------------------------------------------------------------

SourceFile::SourceFile(Private, std::string text) : text_(std::move(text)) {}

SourceFile::~SourceFile() {
  if (tree_) ts_tree_delete(tree_);
}

std::shared_ptr<const SourceFile> SourceFile::parse(std::string text) {
  auto file = std::make_shared<SourceFile>(Private{}, std::move(text));
  if (file->text_.size() > std::numeric_limits<uint32_t>::max()) {
    file->error_ = SynError{"file is too large to parse (more than 4 GiB)", Range{}};
    return file;
  }
  ParserOwner owner;
  ts_parser_set_language(owner.parser, grammars::rust());
  file->tree_ = ts_parser_parse_string(owner.parser, nullptr, file->text_.data(),
                                       static_cast<uint32_t>(file->text_.size()));
  if (!file->tree_) {
    file->error_ = SynError{"the parser gave up on this file", Range{}};
    return file;
  }
  file->error_ = first_syntax_error(ts_tree_root_node(file->tree_), file->text_);
  return file;
}

Node SourceFile::root() const {
  if (!tree_) return {};
  return Node(shared_from_this(), ts_tree_root_node(tree_));
}

}  // namespace vantrel::rustsyn
