// Type views over tree-sitter-rust's type nodes. The grammar nests paths to
// the left (`a::b::C` is scoped(scoped(a, b), C)) and puts generic arguments
// on a generic_type wrapper; flattening walks that spine in a loop.
#include "rustsyn/types.h"

#include <algorithm>

namespace vantrel::rustsyn {

namespace {

bool is_path_node(std::string_view kind) {
  return kind == "type_identifier" || kind == "primitive_type" || kind == "scoped_type_identifier" ||
         kind == "generic_type" || kind == "scoped_identifier" || kind == "identifier" ||
         kind == "generic_type_with_turbofish";
}

bool is_literal_node(std::string_view kind) {
  return kind == "string_literal" || kind == "raw_string_literal" || kind == "char_literal" ||
         kind == "integer_literal" || kind == "float_literal" || kind == "boolean_literal" ||
         kind == "negative_literal";
}

}  // namespace

bool is_type_node(const Node& node) {
  static constexpr std::string_view kTypeKinds[] = {
      "abstract_type", "reference_type", "metavariable", "pointer_type", "generic_type",
      "scoped_type_identifier", "tuple_type", "unit_type", "array_type", "function_type",
      "type_identifier", "macro_invocation", "never_type", "dynamic_type", "bounded_type",
      "removed_trait_bound", "primitive_type"};
  std::string_view kind = node.kind();
  return std::find(std::begin(kTypeKinds), std::end(kTypeKinds), kind) != std::end(kTypeKinds);
}

TypeKind Type::kind() const {
  std::string_view k = node_.kind();
  if (k == "type_identifier") return node_.text() == "_" ? TypeKind::Infer : TypeKind::Path;
  if (k == "primitive_type" || k == "scoped_type_identifier" || k == "generic_type") return TypeKind::Path;
  if (k == "reference_type") return TypeKind::Reference;
  if (k == "pointer_type") return TypeKind::Pointer;
  if (k == "array_type") return node_.field("length") ? TypeKind::Array : TypeKind::Slice;
  if (k == "tuple_type") {
    // `(T)` is a parenthesised type; `(T,)` a one-element tuple.
    return node_.named_children().size() == 1 && !node_.has_token(",") ? TypeKind::Paren : TypeKind::Tuple;
  }
  if (k == "unit_type") return TypeKind::Unit;
  if (k == "function_type") return node_.field("trait") ? TypeKind::Other : TypeKind::FnPointer;
  if (k == "dynamic_type") return TypeKind::TraitObject;
  if (k == "abstract_type") return TypeKind::ImplTrait;
  if (k == "bounded_type") {
    Node first = node_.first_named_child();
    return first.is("abstract_type") ? TypeKind::ImplTrait : TypeKind::TraitObject;
  }
  if (k == "never_type") return TypeKind::Never;
  if (k == "macro_invocation") return TypeKind::Macro;
  return TypeKind::Other;
}

std::optional<TypePath> Type::path() const {
  if (!is_path_node(node_.kind())) return std::nullopt;
  TypePath path;
  std::vector<PathSegment> reversed;
  Node pending_args;
  Node current = node_;
  while (current) {
    std::string_view k = current.kind();
    if (k == "generic_type" || k == "generic_type_with_turbofish") {
      pending_args = current.field("type_arguments");
      current = current.field("type");
      continue;
    }
    if (k == "scoped_type_identifier" || k == "scoped_identifier") {
      Node name = current.field("name");
      reversed.push_back(PathSegment{Ident{name.text(), name.range()}, pending_args});
      pending_args = Node();
      Node prefix = current.field("path");
      if (!prefix) {
        path.leading_colon = current.has_token("::");
        break;
      }
      current = prefix;
      continue;
    }
    if (k == "bracketed_type") {
      Node inner = current.first_named_child();
      if (inner.is("qualified_type")) {
        Node alias = inner.field("alias");
        path.qself = QSelf{Type(inner.field("type")), alias ? std::optional<Type>(Type(alias)) : std::nullopt};
      } else {
        path.qself = QSelf{Type(inner), std::nullopt};
      }
      break;
    }
    reversed.push_back(PathSegment{Ident{current.text(), current.range()}, pending_args});
    break;
  }
  path.segments.assign(std::make_move_iterator(reversed.rbegin()), std::make_move_iterator(reversed.rend()));
  return path;
}

std::optional<std::string_view> Type::last_ident() const {
  std::string_view k = node_.kind();
  // The last segment sits at the top of the spine: no need to flatten.
  Node current = node_;
  if (k == "generic_type") current = current.field("type");
  std::string_view ck = current.kind();
  if (ck == "scoped_type_identifier" || ck == "scoped_identifier") return current.field("name").text();
  if (ck == "type_identifier" || ck == "primitive_type" || ck == "identifier") return current.text();
  return std::nullopt;
}

std::optional<Type> Type::elem() const {
  switch (kind()) {
    case TypeKind::Reference:
    case TypeKind::Pointer:
      return Type(node_.field("type"));
    case TypeKind::Slice:
    case TypeKind::Array:
      return Type(node_.field("element"));
    case TypeKind::Paren:
      return Type(node_.first_named_child());
    default:
      return std::nullopt;
  }
}

bool Type::is_mut() const {
  if (!node_.is("reference_type") && !node_.is("pointer_type")) return false;
  for (const Node& child : node_.named_children()) {
    if (child.is("mutable_specifier")) return true;
  }
  return false;
}

Node Type::lifetime() const {
  if (!node_.is("reference_type")) return {};
  for (const Node& child : node_.named_children()) {
    if (child.is("lifetime")) return child;
  }
  return {};
}

Node Type::array_len() const { return node_.is("array_type") ? node_.field("length") : Node(); }

std::vector<Type> Type::elems() const {
  std::vector<Type> out;
  if (kind() != TypeKind::Tuple) return out;
  for (Node& child : node_.named_children()) out.emplace_back(std::move(child));
  return out;
}

std::vector<Node> Type::bounds() const {
  std::vector<Node> out;
  TypeKind k = kind();
  if (k != TypeKind::TraitObject && k != TypeKind::ImplTrait) return out;
  auto add_inner = [&out](const Node& wrapper) {
    Node inner = wrapper.field("trait");
    out.push_back(inner ? inner : wrapper.first_named_child());
  };
  if (node_.is("bounded_type")) {
    for (const Node& child : node_.named_children()) {
      if (child.is("dynamic_type") || child.is("abstract_type")) {
        add_inner(child);
      } else {
        out.push_back(child);
      }
    }
  } else {
    add_inner(node_);
  }
  return out;
}

std::optional<Type> GenericArg::type() const {
  if (kind == Kind::Type) return Type(node);
  if (kind == Kind::Binding) return Type(node.field("type"));
  return std::nullopt;
}

std::optional<Ident> GenericArg::binding_name() const {
  if (kind != Kind::Binding) return std::nullopt;
  Node name = node.field("name");
  return Ident{name.text(), name.range()};
}

std::vector<GenericArg> PathSegment::generic_args() const {
  std::vector<GenericArg> out;
  for (Node& child : args.named_children()) {
    std::string_view k = child.kind();
    GenericArg arg;
    if (k == "lifetime") {
      arg.kind = GenericArg::Kind::Lifetime;
    } else if (k == "block" || is_literal_node(k)) {
      arg.kind = GenericArg::Kind::Const;
    } else if (k == "type_binding") {
      arg.kind = GenericArg::Kind::Binding;
    } else if (k == "trait_bounds") {
      arg.kind = GenericArg::Kind::Constraint;
    } else if (is_type_node(child)) {
      arg.kind = GenericArg::Kind::Type;
    } else {
      arg.kind = GenericArg::Kind::Constraint;
    }
    arg.node = std::move(child);
    out.push_back(std::move(arg));
  }
  return out;
}

std::vector<Type> PathSegment::type_args() const {
  std::vector<Type> out;
  for (const GenericArg& arg : generic_args()) {
    if (arg.kind == GenericArg::Kind::Type) out.emplace_back(arg.node);
  }
  return out;
}

}  // namespace vantrel::rustsyn
