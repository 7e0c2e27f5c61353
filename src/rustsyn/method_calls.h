// A post-order walk over the method-call expressions below a node (usually a
// function body): the receiver and the arguments of a call are walked before
// the call itself, so a chain `a.x(..).y(..)` yields x then y. Closures,
// nested blocks and items nested in the body are walked too; macro bodies
// are token trees and hold no expressions. The walk is iterative.
#pragma once

#include <functional>
#include <vector>

#include "rustsyn/ident.h"
#include "rustsyn/source_file.h"

namespace vantrel::rustsyn {

struct MethodCall {
  Node node;              ///< the whole `receiver.method::<T>(args)` expression
  Node receiver;          ///< the receiver expression
  Ident method;           ///< the method name
  Node turbofish;         ///< the `type_arguments` of `::<...>`, or null
  std::vector<Node> args; ///< the argument expressions, in order

  Range range() const { return node.range(); }
};

/// The call's parts when `call` is a method-call expression (a call whose
/// callee is a field access, possibly with a turbofish); nothing otherwise.
std::optional<MethodCall> as_method_call(const Node& call);

/// Calls `visit` for every method call below (and including) `root`, in
/// post-order.
void walk_method_calls(const Node& root, const std::function<void(const MethodCall&)>& visit);

}  // namespace vantrel::rustsyn
