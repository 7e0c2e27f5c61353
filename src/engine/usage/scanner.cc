// The scanner: binding imports of the generated package, then one iterative
// walk over the file that records mentions with the weakness rule.
//
// Binding positions (declared names, parameters, destructuring targets of
// declarations) are not mentions, so the walk carries a mode that says
// whether identifiers below a node declare or refer. A local that shadows an
// imported name is still read as the import: the scanner has no scopes.
#include "engine/usage/scanner.h"

#include <algorithm>
#include <cstddef>

#include "base/utf8.h"

namespace vantrel::engine::usage {

namespace {

/// Whether identifiers below a node refer to names or declare them.
enum class Mode : uint8_t { Refer, Declare };

/// One step of the walk: visit a node, or leave one (undo its counters).
struct Work {
  TSNode node;
  Mode mode = Mode::Refer;
  bool leave = false;
  int8_t type_delta = 0;
  int8_t use_delta = 0;
};

bool is_use_context(NodeKind kind) {
  switch (kind) {
    case NodeKind::CallExpression:
    case NodeKind::NewExpression:
    case NodeKind::VariableDeclarator:
    case NodeKind::ReturnStatement:
    case NodeKind::YieldExpression:
      return true;
    default:
      return false;
  }
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

/// The code point of hex digits, or nothing when a digit is invalid or the
/// value is out of range.
std::optional<char32_t> parse_hex(std::string_view digits) {
  if (digits.empty() || digits.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : digits) {
    const int d = hex_value(c);
    if (d < 0) return std::nullopt;
    value = value * 16 + static_cast<uint32_t>(d);
  }
  if (value > 0x10FFFF) return std::nullopt;
  return static_cast<char32_t>(value);
}

/// Appends the character an escape sequence (backslash included) stands for.
/// Lone surrogates become U+FFFD so the result stays valid UTF-8.
void append_escape(std::string& out, std::string_view escape) {
  if (escape.size() < 2) {
    out += escape;
    return;
  }
  const char c = escape[1];
  std::optional<char32_t> code;
  switch (c) {
    case 'n': out += '\n'; return;
    case 't': out += '\t'; return;
    case 'r': out += '\r'; return;
    case 'b': out += '\b'; return;
    case 'f': out += '\f'; return;
    case 'v': out += '\v'; return;
    case '\r':
    case '\n':
      return;  // a line continuation
    case 'x':
      code = parse_hex(escape.substr(2));
      break;
    case 'u':
      if (escape.size() > 3 && escape[2] == '{' && escape.back() == '}') {
        code = parse_hex(escape.substr(3, escape.size() - 4));
      } else {
        code = parse_hex(escape.substr(2));
      }
      break;
    case '0':
      if (escape.size() == 2) {
        out += '\0';
        return;
      }
      break;
    default:
      break;
  }
  if (c == 'x' || c == 'u') {
    if (!code) {
      out += escape;
    } else {
      base::append_utf8(out, *code >= 0xD800 && *code <= 0xDFFF ? char32_t{0xFFFD} : *code);
    }
    return;
  }
  out += escape.substr(1);
}

}  // namespace

UsageIndex scan_files(const model::Contract& contract, const std::vector<SourceText>& files) {
  const SymbolTable table(contract);
  UsageIndex index;
  ParserPtr parser(ts_parser_new());
  for (const auto& [path, text] : files) {
    const TsGrammar& grammar = grammar_for_path(path);
    TreePtr tree = parse_text(parser.get(), grammar, text);
    if (!tree) continue;
    Scanner(table, grammar, path, text, index).scan(ts_tree_root_node(tree.get()));
  }
  return index;
}

void scan_with_table(const SymbolTable& table, std::string_view path, std::string_view text, UsageIndex& index) {
  ParserPtr parser(ts_parser_new());
  const TsGrammar& grammar = grammar_for_path(path);
  TreePtr tree = parse_text(parser.get(), grammar, text);
  if (!tree) return;
  Scanner(table, grammar, path, text, index).scan(ts_tree_root_node(tree.get()));
}

Scanner::Scanner(const SymbolTable& table, const TsGrammar& grammar, std::string_view path, std::string_view text,
                 UsageIndex& index)
    : table_(table), grammar_(grammar), path_(path), text_(text), index_(index) {}

void Scanner::scan(TSNode program) {
  collect_imports(program);
  walk(program);
}

// ---------------------------------------------------------------------------
// Imports

void Scanner::collect_imports(TSNode program) {
  const uint32_t count = ts_node_named_child_count(program);
  if (count == 0) return;
  TSTreeCursor cursor = ts_tree_cursor_new(program);
  if (ts_tree_cursor_goto_first_child(&cursor)) {
    do {
      TSNode statement = ts_tree_cursor_current_node(&cursor);
      switch (grammar_.kind(statement)) {
        case NodeKind::ImportStatement:
          bind_import(statement);
          break;
        case NodeKind::ExportStatement:
          record_reexport(statement);
          break;
        default:
          break;
      }
    } while (ts_tree_cursor_goto_next_sibling(&cursor));
  }
  ts_tree_cursor_delete(&cursor);
}

std::optional<SpecifierScope> Scanner::source_scope(TSNode statement) const {
  TSNode source = ts_node_child_by_field_id(statement, grammar_.f_source);
  if (ts_node_is_null(source) || grammar_.kind(source) != NodeKind::String) return std::nullopt;
  return table_.scope_for_specifier(string_value(source));
}

std::string Scanner::specifier_name(TSNode name) const {
  return grammar_.kind(name) == NodeKind::String ? string_value(name) : std::string(text_of(name));
}

void Scanner::bind_import(TSNode statement) {
  const std::optional<SpecifierScope> scope = source_scope(statement);
  if (!scope) return;
  for (uint32_t i = 0, n = ts_node_named_child_count(statement); i < n; ++i) {
    TSNode clause = ts_node_named_child(statement, i);
    if (grammar_.kind(clause) != NodeKind::ImportClause) continue;
    for (uint32_t j = 0, m = ts_node_named_child_count(clause); j < m; ++j) {
      TSNode part = ts_node_named_child(clause, j);
      const NodeKind kind = grammar_.kind(part);
      if (kind == NodeKind::NamespaceImport) {
        for (uint32_t k = 0, c = ts_node_named_child_count(part); k < c; ++k) {
          TSNode local = ts_node_named_child(part, k);
          if (grammar_.kind(local) == NodeKind::Identifier) bindings_.insert_or_assign(std::string(text_of(local)), *scope);
        }
        continue;
      }
      if (kind != NodeKind::NamedImports) continue;  // a default import binds nothing of ours
      for (uint32_t k = 0, c = ts_node_named_child_count(part); k < c; ++k) {
        TSNode specifier = ts_node_named_child(part, k);
        if (grammar_.kind(specifier) != NodeKind::ImportSpecifier) continue;
        TSNode name = ts_node_child_by_field_id(specifier, grammar_.f_name);
        if (ts_node_is_null(name)) continue;
        TSNode alias = ts_node_child_by_field_id(specifier, grammar_.f_alias);
        const std::string imported = specifier_name(name);
        std::string local = ts_node_is_null(alias) ? imported : std::string(text_of(alias));
        if (const NameTarget* target = table_.lookup(*scope, imported)) {
          push_ref(*target, ts_node_start_byte(name), ts_node_end_byte(name), /*weak=*/true);
          bindings_.insert_or_assign(std::move(local), *target);
        } else if (scope->kind == SpecifierScope::Kind::Root && table_.is_module(imported)) {
          // The package root re-exports each endpoint module under its name.
          bindings_.insert_or_assign(std::move(local), SpecifierScope::endpoint_module(imported));
        }
      }
    }
  }
}

void Scanner::record_reexport(TSNode statement) {
  const std::optional<SpecifierScope> scope = source_scope(statement);
  if (!scope) return;
  for (uint32_t i = 0, n = ts_node_named_child_count(statement); i < n; ++i) {
    TSNode clause = ts_node_named_child(statement, i);
    if (grammar_.kind(clause) != NodeKind::ExportClause) continue;  // `export * from` adds nothing
    for (uint32_t j = 0, m = ts_node_named_child_count(clause); j < m; ++j) {
      TSNode specifier = ts_node_named_child(clause, j);
      if (grammar_.kind(specifier) != NodeKind::ExportSpecifier) continue;
      TSNode name = ts_node_child_by_field_id(specifier, grammar_.f_name);
      if (ts_node_is_null(name)) continue;
      const std::string exported = specifier_name(name);
      if (const NameTarget* target = table_.lookup(*scope, exported)) {
        push_ref(*target, ts_node_start_byte(name), ts_node_end_byte(name), /*weak=*/true);
      }
    }
  }
}

// ---------------------------------------------------------------------------
// The walk

void Scanner::walk(TSNode root) {
  std::vector<Work> stack;
  stack.push_back(Work{root});
  TSTreeCursor cursor = ts_tree_cursor_new(root);
  while (!stack.empty()) {
    const Work work = stack.back();
    stack.pop_back();
    if (work.leave) {
      type_depth_ -= work.type_delta;
      use_depth_ -= work.use_delta;
      continue;
    }
    TSNode node = work.node;
    const NodeKind kind = grammar_.kind(node);
    const int8_t type_delta = grammar_.is_type(node) ? 1 : 0;
    const int8_t use_delta = is_use_context(kind) ? 1 : 0;
    type_depth_ += type_delta;
    use_depth_ += use_delta;

    bool descend = true;
    switch (kind) {
      case NodeKind::Identifier:
      case NodeKind::TypeIdentifier:
      case NodeKind::ShorthandPropertyIdentifierPattern:
        if (work.mode == Mode::Refer) visit_identifier_reference(node);
        descend = false;
        break;
      case NodeKind::ShorthandPropertyIdentifier:
        visit_identifier_reference(node);
        descend = false;
        break;
      case NodeKind::PropertyIdentifier:
      case NodeKind::String:
      case NodeKind::ImportStatement:  // bound before the walk
      case NodeKind::ImportAlias:
        descend = false;
        break;
      case NodeKind::ExportStatement:
        // `export { x } from "..."` names the other module's exports, which
        // the import stage has recorded; only local exports refer to names.
        descend = ts_node_is_null(ts_node_child_by_field_id(node, grammar_.f_source));
        break;
      case NodeKind::CallExpression:
        visit_call_expression(node);
        break;
      case NodeKind::MemberExpression:
        visit_static_member_expression(node);
        break;
      case NodeKind::NestedTypeIdentifier:
        visit_qualified_type_name(node);
        break;
      default:
        break;
    }

    if (!descend) {
      type_depth_ -= type_delta;
      use_depth_ -= use_delta;
      continue;
    }
    if (type_delta != 0 || use_delta != 0) stack.push_back(Work{node, work.mode, true, type_delta, use_delta});

    // Children go on the stack in reverse so that they are visited in source
    // order.
    const size_t first = stack.size();
    ts_tree_cursor_reset(&cursor, node);
    if (ts_tree_cursor_goto_first_child(&cursor)) {
      const bool declares_left = kind == NodeKind::ForIn &&
                                 !ts_node_is_null(ts_node_child_by_field_id(node, grammar_.f_kind));
      do {
        TSNode child = ts_tree_cursor_current_node(&cursor);
        if (!ts_node_is_named(child)) continue;
        const TSFieldId field = ts_tree_cursor_current_field_id(&cursor);
        Mode mode = work.mode;
        bool skip = false;
        switch (kind) {
          case NodeKind::NamedDeclaration:
            skip = field == grammar_.f_name;
            break;
          case NodeKind::ArrowFunction:
            skip = field == grammar_.f_parameter;
            break;
          case NodeKind::VariableDeclarator:
            if (field == grammar_.f_name) mode = Mode::Declare;
            break;
          case NodeKind::Parameter:
            if (field == grammar_.f_pattern || field == grammar_.f_name) mode = Mode::Declare;
            break;
          case NodeKind::CatchClause:
            if (field == grammar_.f_parameter) mode = Mode::Declare;
            break;
          case NodeKind::ForIn:
            if (declares_left && field == grammar_.f_left) mode = Mode::Declare;
            break;
          case NodeKind::DefaultPattern:
            if (field == grammar_.f_right) mode = Mode::Refer;
            break;
          case NodeKind::PairPattern:
            // A destructured property's key names a property, not a variable.
            skip = field == grammar_.f_key && grammar_.kind(child) != NodeKind::ComputedPropertyName;
            break;
          case NodeKind::ExportSpecifier:
            skip = field == grammar_.f_alias;
            break;
          case NodeKind::MemberExpression:
          case NodeKind::NestedIdentifier:
            skip = field == grammar_.f_property;
            break;
          case NodeKind::NestedTypeIdentifier:
            skip = field == grammar_.f_name;
            break;
          default:
            break;
        }
        if (skip) continue;
        if (grammar_.kind(child) == NodeKind::ComputedPropertyName) mode = Mode::Refer;
        stack.push_back(Work{child, mode});
      } while (ts_tree_cursor_goto_next_sibling(&cursor));
    }
    std::reverse(stack.begin() + static_cast<ptrdiff_t>(first), stack.end());
  }
  ts_tree_cursor_delete(&cursor);
}

// ---------------------------------------------------------------------------
// Hooks

bool Scanner::is_weak(UsageKind kind) const {
  if (kind == UsageKind::RouteConstant || kind == UsageKind::ErrorTag) return false;
  return type_depth_ > 0 || use_depth_ == 0;
}

void Scanner::push_ref(const NameTarget& target, uint32_t start, uint32_t end, bool weak) {
  index_.add(UsageRef{target.symbol, path_, start, end, weak, target.kind});
}

void Scanner::record_tag(std::string_view text, uint32_t start, uint32_t end) {
  if (const std::string* variant = table_.variant_for_tag(text)) {
    push_ref(NameTarget{*variant, UsageKind::ErrorTag}, start, end, /*weak=*/false);
  }
}

std::optional<SpecifierScope> Scanner::resolve_namespace(TSNode expression) const {
  const NodeKind kind = grammar_.kind(expression);
  if (kind == NodeKind::Identifier) {
    auto it = bindings_.find(text_of(expression));
    if (it == bindings_.end()) return std::nullopt;
    if (const auto* scope = std::get_if<SpecifierScope>(&it->second)) return *scope;
    return std::nullopt;
  }
  if (kind != NodeKind::MemberExpression && kind != NodeKind::NestedIdentifier) return std::nullopt;
  // Only `root.module` denotes a scope; a member can never denote the root
  // itself, so one level of lookup is all there is.
  TSNode object = ts_node_child_by_field_id(expression, grammar_.f_object);
  TSNode property = ts_node_child_by_field_id(expression, grammar_.f_property);
  if (ts_node_is_null(object) || ts_node_is_null(property)) return std::nullopt;
  if (grammar_.kind(object) != NodeKind::Identifier || grammar_.kind(property) != NodeKind::PropertyIdentifier) {
    return std::nullopt;
  }
  auto it = bindings_.find(text_of(object));
  if (it == bindings_.end()) return std::nullopt;
  const auto* scope = std::get_if<SpecifierScope>(&it->second);
  if (scope == nullptr || scope->kind != SpecifierScope::Kind::Root) return std::nullopt;
  std::string_view module = text_of(property);
  if (!table_.is_module(module)) return std::nullopt;
  return SpecifierScope::endpoint_module(std::string(module));
}

void Scanner::visit_identifier_reference(TSNode identifier) {
  if (bindings_.empty()) return;
  auto it = bindings_.find(text_of(identifier));
  if (it == bindings_.end()) return;
  if (const auto* target = std::get_if<NameTarget>(&it->second)) {
    push_ref(*target, ts_node_start_byte(identifier), ts_node_end_byte(identifier), is_weak(target->kind));
  }
}

void Scanner::visit_static_member_expression(TSNode member) {
  if (bindings_.empty()) return;
  TSNode property = ts_node_child_by_field_id(member, grammar_.f_property);
  if (ts_node_is_null(property) || grammar_.kind(property) != NodeKind::PropertyIdentifier) return;
  const std::optional<SpecifierScope> scope = resolve_namespace(ts_node_child_by_field_id(member, grammar_.f_object));
  if (!scope) return;
  if (const NameTarget* target = table_.lookup(*scope, text_of(property))) {
    push_ref(*target, ts_node_start_byte(property), ts_node_end_byte(property), is_weak(target->kind));
  }
}

void Scanner::visit_qualified_type_name(TSNode nested) {
  if (bindings_.empty()) return;
  TSNode name = ts_node_child_by_field_id(nested, grammar_.f_name);
  if (ts_node_is_null(name)) return;
  const std::optional<SpecifierScope> scope = resolve_namespace(ts_node_child_by_field_id(nested, grammar_.f_module));
  if (!scope) return;
  if (const NameTarget* target = table_.lookup(*scope, text_of(name))) {
    push_ref(*target, ts_node_start_byte(name), ts_node_end_byte(name), is_weak(target->kind));
  }
}

void Scanner::visit_call_expression(TSNode call) {
  if (!table_.has_error_tags()) return;
  TSNode callee = ts_node_child_by_field_id(call, grammar_.f_function);
  if (ts_node_is_null(callee)) return;
  std::string_view name;
  switch (grammar_.kind(callee)) {
    case NodeKind::Identifier:
      name = text_of(callee);
      break;
    case NodeKind::MemberExpression: {
      TSNode property = ts_node_child_by_field_id(callee, grammar_.f_property);
      if (!ts_node_is_null(property)) name = text_of(property);
      break;
    }
    default:
      return;
  }
  const bool one = name.ends_with("catchTag");
  if (!one && !name.ends_with("catchTags")) return;
  TSNode arguments = ts_node_child_by_field_id(call, grammar_.f_arguments);
  if (ts_node_is_null(arguments) || grammar_.kind(arguments) != NodeKind::Arguments) return;
  for (uint32_t i = 0, n = ts_node_named_child_count(arguments); i < n; ++i) {
    TSNode argument = ts_node_named_child(arguments, i);
    const NodeKind kind = grammar_.kind(argument);
    if (one && kind == NodeKind::String) {
      record_tag(string_value(argument), ts_node_start_byte(argument), ts_node_end_byte(argument));
    } else if (!one && kind == NodeKind::Object) {
      record_catch_tags(argument);
    }
  }
}

void Scanner::record_catch_tags(TSNode object) {
  for (uint32_t i = 0, n = ts_node_named_child_count(object); i < n; ++i) {
    TSNode property = ts_node_named_child(object, i);
    TSNode key;
    switch (grammar_.kind(property)) {
      case NodeKind::Pair:
        key = ts_node_child_by_field_id(property, grammar_.f_key);
        break;
      case NodeKind::MethodDefinition:
        key = ts_node_child_by_field_id(property, grammar_.f_name);
        break;
      case NodeKind::ShorthandPropertyIdentifier:
        key = property;
        break;
      default:
        continue;  // spreads
    }
    if (ts_node_is_null(key)) continue;
    const NodeKind key_kind = grammar_.kind(key);
    if (key_kind == NodeKind::String) {
      record_tag(string_value(key), ts_node_start_byte(key), ts_node_end_byte(key));
    } else if (key_kind == NodeKind::PropertyIdentifier || key_kind == NodeKind::ShorthandPropertyIdentifier) {
      record_tag(text_of(key), ts_node_start_byte(key), ts_node_end_byte(key));
    }
  }
}

// ---------------------------------------------------------------------------
// Text

std::string_view Scanner::text_of(TSNode node) const {
  const uint32_t start = ts_node_start_byte(node);
  const uint32_t end = ts_node_end_byte(node);
  if (start >= end || end > text_.size()) return {};
  return text_.substr(start, end - start);
}

std::string Scanner::string_value(TSNode node) const {
  std::string value;
  TSTreeCursor cursor = ts_tree_cursor_new(node);
  if (ts_tree_cursor_goto_first_child(&cursor)) {
    do {
      TSNode part = ts_tree_cursor_current_node(&cursor);
      if (!ts_node_is_named(part)) continue;  // the quotes
      std::string_view raw = text_of(part);
      if (std::string_view(ts_node_type(part)) == "escape_sequence") {
        append_escape(value, raw);
      } else {
        value += raw;
      }
    } while (ts_tree_cursor_goto_next_sibling(&cursor));
  }
  ts_tree_cursor_delete(&cursor);
  return value;
}

}  // namespace vantrel::engine::usage
