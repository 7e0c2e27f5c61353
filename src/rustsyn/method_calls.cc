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
  const std::vector<FlatNode>& nodes = file->nodes();
  auto leave = [&](uint32_t index) {
    if (rust_symbol_name(nodes[index].symbol) != "call_expression") return;
    if (auto mc = as_method_call(Node(file, index))) visit(*mc);
  };
  // Document order over the subtree; a node is left once the walk has
  // passed its last descendant, which gives post-order.
  std::vector<uint32_t> open;
  const uint32_t end = root.flat().subtree_end;
  for (uint32_t i = root.index(); i < end;) {
    while (!open.empty() && nodes[open.back()].subtree_end <= i) {
      leave(open.back());
      open.pop_back();
    }
    std::string_view kind = rust_symbol_name(nodes[i].symbol);
    // Token trees (macro bodies) and comments hold no expressions.
    bool opaque = kind == "token_tree" || kind == "line_comment" || kind == "block_comment";
    if (opaque || nodes[i].child_count == 0) {
      leave(i);
      i = nodes[i].subtree_end;
    } else {
      open.push_back(i);
      ++i;
    }
  }
  while (!open.empty()) {
    leave(open.back());
    open.pop_back();
  }
}

}  // namespace vantrel::rustsyn
