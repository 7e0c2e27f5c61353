// tree-sitter-rust has no method-call node: `a.f(x)` is a call_expression
// whose function is a field_expression (wrapped in generic_function for
// `a.f::<T>(x)`). The walk recognises that shape.
#include "rustsyn/method_calls.h"

#include <string_view>

#include <tree_sitter/api.h>

namespace vantrel::rustsyn {

std::optional<MethodCall> as_method_call(const Node& call) {
  if (!call.is("call_expression")) return std::nullopt;
  Node callee = call.field("function");
  Node turbofish;
  if (callee.is("generic_function")) {
    turbofish = callee.field("type_arguments");
    callee = callee.field("function");
  }
  if (!callee.is("field_expression")) return std::nullopt;
  Node field = callee.field("field");
  // `a.0(x)` calls a tuple field, not a method.
  if (!field.is("field_identifier")) return std::nullopt;
  MethodCall mc;
  mc.node = call;
  mc.receiver = callee.field("value");
  mc.method = Ident{field.text(), field.range()};
  mc.turbofish = std::move(turbofish);
  for (Node& arg : call.field("arguments").named_children()) {
    if (!arg.is("attribute_item")) mc.args.push_back(std::move(arg));
  }
  return mc;
}

void walk_method_calls(const Node& root, const std::function<void(const MethodCall&)>& visit) {
  if (root.is_null()) return;
  const auto& file = root.file();
  TSTreeCursor cursor = ts_tree_cursor_new(root.raw());
  auto leave = [&](TSNode node) {
    if (std::string_view(ts_node_type(node)) != "call_expression") return;
    if (auto mc = as_method_call(Node(file, node))) visit(*mc);
  };
  for (;;) {
    TSNode current = ts_tree_cursor_current_node(&cursor);
    std::string_view kind = ts_node_type(current);
    // Token trees (macro bodies) and comments hold no expressions.
    bool opaque = kind == "token_tree" || kind == "line_comment" || kind == "block_comment";
    if (!opaque && ts_tree_cursor_goto_first_child(&cursor)) continue;
    // `current` has no children left to visit: leave it, then climb while
    // there is no next sibling, leaving each parent on the way up.
    leave(current);
    bool moved = false;
    while (!(moved = ts_tree_cursor_goto_next_sibling(&cursor))) {
      if (!ts_tree_cursor_goto_parent(&cursor)) break;
      leave(ts_tree_cursor_current_node(&cursor));
    }
    if (!moved) break;
  }
  ts_tree_cursor_delete(&cursor);
}

}  // namespace vantrel::rustsyn
