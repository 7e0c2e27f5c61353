// Grouping tree-sitter's sibling attributes with their items, fields and
// variants, and the typed item views.
#include "rustsyn/items.h"

#include <algorithm>
#include <utility>

namespace vantrel::rustsyn {

namespace {

std::optional<ItemKind> item_kind_of(std::string_view k) {
  static constexpr std::pair<std::string_view, ItemKind> kKinds[] = {
      {"use_declaration", ItemKind::Use},
      {"mod_item", ItemKind::Mod},
      {"struct_item", ItemKind::Struct},
      {"enum_item", ItemKind::Enum},
      {"function_item", ItemKind::Fn},
      {"function_signature_item", ItemKind::Fn},
      {"type_item", ItemKind::TypeAlias},
      {"associated_type", ItemKind::TypeAlias},
      {"impl_item", ItemKind::Impl},
      {"const_item", ItemKind::Const},
      {"static_item", ItemKind::Static},
      {"trait_item", ItemKind::Trait},
      {"union_item", ItemKind::Union},
      {"macro_invocation", ItemKind::MacroInvocation},
      {"macro_definition", ItemKind::MacroRules},
      {"extern_crate_declaration", ItemKind::ExternCrate},
      {"foreign_mod_item", ItemKind::ForeignMod},
  };
  for (const auto& [name, kind] : kKinds) {
    if (name == k) return kind;
  }
  return std::nullopt;
}

/// Children of an item list that are not items themselves.
bool is_not_item(const Node& child) {
  if (!child.is_named()) return true;
  std::string_view k = child.kind();
  return k == "attribute_item" || k == "inner_attribute_item" || k == "line_comment" || k == "block_comment" ||
         k == "empty_statement" || k == "shebang";
}

Ident ident_of(const Node& node) { return Ident{node.text(), node.range()}; }

Ident name_field(const Node& node) { return ident_of(node.field("name")); }

Generics generics_of(const Node& node) {
  Generics g;
  g.params = node.field("type_parameters");
  for (Node& child : node.named_children()) {
    if (child.is("where_clause")) g.where_clause = std::move(child);
  }
  return g;
}

/// Fills `tree` from one use-tree node; group members are queued on `work`
/// instead of recursing.
void fill_use_tree(const Node& node, UseTree& tree, std::vector<std::pair<Node, UseTree*>>& work) {
  tree.node = node;
  auto take_path = [&tree](const Node& path_node, bool keep_last_as_name) {
    SimplePath path = simple_path_of(path_node);
    tree.leading_colon = path.leading_colon;
    if (keep_last_as_name && !path.segments.empty()) {
      tree.name = path.segments.back();
      path.segments.pop_back();
    }
    tree.prefix = std::move(path.segments);
  };
  std::string_view k = node.kind();
  if (k == "use_as_clause") {
    tree.kind = UseTree::Kind::Rename;
    take_path(node.field("path"), true);
    tree.alias = ident_of(node.field("alias"));
  } else if (k == "use_wildcard") {
    tree.kind = UseTree::Kind::Glob;
    Node path = node.first_named_child();
    if (path) {
      take_path(path, false);
    } else {
      tree.leading_colon = node.has_token("::");
    }
  } else if (k == "scoped_use_list" || k == "use_list") {
    tree.kind = UseTree::Kind::Group;
    Node list = node;
    if (k == "scoped_use_list") {
      Node path = node.field("path");
      if (path) {
        take_path(path, false);
      } else {
        tree.leading_colon = node.has_token("::");
      }
      list = node.field("list");
    }
    std::vector<Node> members = list.named_children();
    tree.items.resize(members.size());
    for (size_t i = 0; i < members.size(); ++i) work.emplace_back(std::move(members[i]), &tree.items[i]);
  } else {
    tree.kind = UseTree::Kind::Name;
    take_path(node, true);
  }
}

}  // namespace

std::vector<Item> items_of(const Node& list) {
  std::vector<Item> items;
  if (list.is_null()) return items;
  std::vector<Node> children = list.children();
  for (size_t i = 0; i < children.size(); ++i) {
    const Node& child = children[i];
    if (is_not_item(child)) continue;
    std::string_view k = child.kind();
    Node node = child;
    ItemKind kind = ItemKind::Other;
    if (auto known = item_kind_of(k)) {
      kind = *known;
    } else if (k == "expression_statement") {
      Node inner = child.first_named_child();
      if (inner.is("macro_invocation")) {
        kind = ItemKind::MacroInvocation;
        node = std::move(inner);
      }
    }
    items.emplace_back(kind, std::move(node), collect_outer_attributes(children, i));
  }
  return items;
}

std::optional<Ident> Item::ident() const {
  switch (kind_) {
    case ItemKind::Use:
    case ItemKind::Impl:
    case ItemKind::ForeignMod:
    case ItemKind::MacroInvocation:
    case ItemKind::Other:
      return std::nullopt;
    default: {
      Node name = node_.field("name");
      if (!name) return std::nullopt;
      return ident_of(name);
    }
  }
}

// --- use ----------------------------------------------------------------

UseTree UseItem::tree() const {
  UseTree root;
  std::vector<std::pair<Node, UseTree*>> work;
  fill_use_tree(node_.field("argument"), root, work);
  while (!work.empty()) {
    auto [node, tree] = std::move(work.back());
    work.pop_back();
    fill_use_tree(node, *tree, work);
  }
  return root;
}

// --- generics and functions -----------------------------------------------

std::vector<Node> Generics::param_nodes() const {
  std::vector<Node> out;
  for (Node& child : params.named_children()) {
    if (!child.is("attribute_item")) out.push_back(std::move(child));
  }
  return out;
}

Range Generics::range() const {
  if (params && where_clause) return params.range().cover(where_clause.range());
  return params ? params.range() : where_clause.range();
}

std::optional<IdentPattern> FnArg::ident_pattern() const {
  if (pattern.is("identifier")) return IdentPattern{ident_of(pattern), false, mut_binding};
  if (pattern.is("mut_pattern") || pattern.is("ref_pattern")) {
    IdentPattern result;
    result.by_ref = pattern.is("ref_pattern");
    bool found = false;
    for (const Node& child : pattern.named_children()) {
      if (child.is("mutable_specifier")) {
        result.is_mut = true;
      } else if (child.is("identifier")) {
        result.name = ident_of(child);
        found = true;
      } else {
        return std::nullopt;
      }
    }
    if (found) return result;
  }
  return std::nullopt;
}

bool FnItem::is_async() const {
  for (const Node& child : node_.named_children()) {
    if (child.is("function_modifiers")) return child.has_token("async");
  }
  return false;
}

bool FnItem::is_const() const {
  for (const Node& child : node_.named_children()) {
    if (child.is("function_modifiers")) return child.has_token("const");
  }
  return false;
}

bool FnItem::is_unsafe() const {
  for (const Node& child : node_.named_children()) {
    if (child.is("function_modifiers")) return child.has_token("unsafe");
  }
  return false;
}

Range FnItem::fn_token() const { return node_.token("fn").range(); }

Ident FnItem::name() const { return name_field(node_); }

Generics FnItem::generics() const { return generics_of(node_); }

std::optional<Receiver> FnItem::receiver() const {
  for (Node& child : params_node().named_children()) {
    if (child.is("self_parameter")) {
      Receiver r;
      r.is_ref = child.has_token("&");
      for (const Node& part : child.named_children()) {
        if (part.is("mutable_specifier")) r.is_mut = true;
      }
      r.node = std::move(child);
      return r;
    }
    if (child.is("parameter") && child.field("pattern").is("self")) {
      Receiver r;
      for (const Node& part : child.named_children()) {
        if (part.is("mutable_specifier")) r.is_mut = true;
      }
      r.ty = Type(child.field("type"));
      r.node = std::move(child);
      return r;
    }
  }
  return std::nullopt;
}

std::vector<FnArg> FnItem::args() const {
  std::vector<FnArg> out;
  std::vector<Node> children = params_node().children();
  for (size_t i = 0; i < children.size(); ++i) {
    const Node& child = children[i];
    if (!child.is_named() || child.is_comment() || child.is("attribute_item") || child.is("self_parameter") ||
        child.is("variadic_parameter")) {
      continue;
    }
    if (child.is("parameter")) {
      Node pattern = child.field("pattern");
      if (pattern.is("self")) continue;
      FnArg arg{child, pattern, Type(child.field("type")), collect_outer_attributes(children, i), false};
      for (const Node& part : child.named_children()) {
        if (part.is("mutable_specifier")) arg.mut_binding = true;
      }
      out.push_back(std::move(arg));
    } else {
      // An argument written as a bare type (trait method of edition 2015).
      out.push_back(FnArg{child, Node(), Type(child), collect_outer_attributes(children, i), false});
    }
  }
  return out;
}

std::optional<Type> FnItem::return_type() const {
  Node ret = node_.field("return_type");
  if (!ret) return std::nullopt;
  return Type(std::move(ret));
}

Range FnItem::signature_range() const {
  Range fn = fn_token();
  uint32_t start = fn.start;
  uint32_t end = fn.end;
  for (const Node& child : node_.named_children()) {
    if (child.is("function_modifiers")) start = std::min(start, child.range().start);
  }
  for (const Node& part : {params_node(), node_.field("return_type"), generics_of(node_).where_clause}) {
    if (part) end = std::max(end, part.range().end);
  }
  return Range{start, end};
}

// --- structs, enums, unions -------------------------------------------------

Fields fields_of(const Node& list) {
  Fields fields;
  if (list.is_null()) return fields;
  fields.node = list;
  std::vector<Node> children = list.children();
  if (list.is("field_declaration_list")) {
    fields.kind = FieldsKind::Named;
    fields.list.reserve(children.size() / 2);
    for (size_t i = 0; i < children.size(); ++i) {
      const Node& child = children[i];
      if (!child.is("field_declaration")) continue;
      Field field(Type(child.field("type")));
      field.node = child;
      field.name = ident_of(child.field("name"));
      field.attrs = collect_outer_attributes(children, i);
      field.range = child.range();
      field.full_range = full_range_of(field.attrs, field.range);
      fields.list.push_back(std::move(field));
    }
    return fields;
  }
  // Tuple fields have no node of their own: attributes, an optional
  // visibility and the type follow each other as siblings.
  fields.kind = FieldsKind::Tuple;
  std::optional<size_t> visibility;
  for (size_t i = 0; i < children.size(); ++i) {
    const Node& child = children[i];
    if (!child.is_named()) {
      if (child.is(",")) visibility.reset();
      continue;
    }
    if (child.is_comment() || child.is("attribute_item")) continue;
    if (child.is("visibility_modifier")) {
      visibility = i;
      continue;
    }
    size_t anchor = visibility.value_or(i);
    Field field{Type(child)};
    field.node = child;
    field.attrs = collect_outer_attributes(children, anchor);
    field.range = Range{children[anchor].range().start, child.range().end};
    field.full_range = full_range_of(field.attrs, field.range);
    fields.list.push_back(std::move(field));
    visibility.reset();
  }
  return fields;
}

Ident StructItem::name() const { return name_field(node_); }
Generics StructItem::generics() const { return generics_of(node_); }
Ident UnionItem::name() const { return name_field(node_); }
Generics UnionItem::generics() const { return generics_of(node_); }
Ident EnumItem::name() const { return name_field(node_); }
Generics EnumItem::generics() const { return generics_of(node_); }

std::vector<Variant> EnumItem::variants() const {
  std::vector<Variant> out;
  std::vector<Node> children = node_.field("body").children();
  for (size_t i = 0; i < children.size(); ++i) {
    const Node& child = children[i];
    if (!child.is("enum_variant")) continue;
    Variant v;
    v.node = child;
    v.attrs = collect_outer_attributes(children, i);
    v.name = name_field(child);
    v.fields = fields_of(child.field("body"));
    v.discriminant = child.field("value");
    out.push_back(std::move(v));
  }
  return out;
}

// --- the other kinds --------------------------------------------------------

Ident ModItem::name() const { return name_field(node_); }
std::vector<Item> ModItem::items() const { return items_of(node_.field("body")); }

Ident TypeAliasItem::name() const { return name_field(node_); }
Generics TypeAliasItem::generics() const { return generics_of(node_); }
std::optional<Type> TypeAliasItem::ty() const {
  Node t = node_.field("type");
  if (!t) return std::nullopt;
  return Type(std::move(t));
}

Generics ImplItem::generics() const { return generics_of(node_); }
std::optional<Type> ImplItem::trait() const {
  Node t = node_.field("trait");
  if (!t) return std::nullopt;
  return Type(std::move(t));
}

Ident TraitItem::name() const { return name_field(node_); }
Generics TraitItem::generics() const { return generics_of(node_); }

Ident ValueItem::name() const { return name_field(node_); }
std::optional<Type> ValueItem::ty() const {
  Node t = node_.field("type");
  if (!t) return std::nullopt;
  return Type(std::move(t));
}

SimplePath MacroItem::path() const { return simple_path_of(node_.field("macro")); }
Node MacroItem::tokens() const {
  for (Node& child : node_.named_children()) {
    if (child.is("token_tree")) return std::move(child);
  }
  return {};
}

Ident ExternCrateItem::name() const { return name_field(node_); }
std::optional<Ident> ExternCrateItem::alias() const {
  Node a = node_.field("alias");
  if (!a) return std::nullopt;
  return ident_of(a);
}

}  // namespace vantrel::rustsyn
