// Item views: the items of a file, an inline module, an impl, a trait or a
// foreign block, each with its outer attributes grouped in order, and typed
// views for the kinds the extractor reads. Views are cheap: a Node plus, for
// items, fields and variants, the attribute list.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "rustsyn/attribute.h"
#include "rustsyn/ident.h"
#include "rustsyn/source_file.h"
#include "rustsyn/types.h"

namespace vantrel::rustsyn {

enum class ItemKind {
  Use,
  Mod,
  Struct,
  Enum,
  Fn,         ///< with a body, or a signature in a trait or foreign block
  TypeAlias,  ///< `type X = T;`, also an associated `type X;` in a trait
  Impl,
  Const,
  Static,
  Trait,
  Union,
  MacroInvocation,  ///< `m!(...);` or `m! { ... }` in item position
  MacroRules,       ///< `macro_rules! m { ... }`
  ExternCrate,
  ForeignMod,       ///< `extern "C" { ... }`
  Other,            ///< anything tree-sitter accepts in item position besides
};

class Item;

/// The items of a `source_file` or `declaration_list` node, in source order,
/// each with its outer attributes. Inner attributes, comments and stray `;`
/// are not items.
std::vector<Item> items_of(const Node& list);

class Item {
 public:
  Item(ItemKind kind, Node node, std::vector<Attribute> attrs)
      : kind_(kind), node_(std::move(node)), attrs_(std::move(attrs)) {}

  ItemKind kind() const { return kind_; }
  /// The item's node; for `m!(...);` the macro_invocation inside the
  /// statement.
  const Node& node() const { return node_; }
  const std::vector<Attribute>& attrs() const { return attrs_; }
  /// The item alone, without its attributes.
  Range range() const { return node_.range(); }
  /// From the first outer attribute or doc comment to the item's end.
  Range full_range() const { return full_range_of(attrs_, range()); }
  /// The name of a named item (not Use, Impl, ForeignMod, MacroInvocation).
  std::optional<Ident> ident() const;

 private:
  ItemKind kind_;
  Node node_;
  std::vector<Attribute> attrs_;
};

// --- use ----------------------------------------------------------------

/// A `use` tree in prefix form: `a::b::rest` is the prefix [a, b] and the
/// tail `rest`. The tail is a name, a rename, a glob or a group.
struct UseTree {
  enum class Kind { Name, Rename, Glob, Group };
  Kind kind = Kind::Name;
  bool leading_colon = false;  ///< `::a::b` (only on the outermost tree)
  std::vector<Ident> prefix;   ///< segments before the tail (`self`, `super`, `crate` included)
  Ident name;                  ///< Name and Rename: the name (may be `self`)
  Ident alias;                 ///< Rename: the alias
  std::vector<UseTree> items;  ///< Group: the members, in order
  Node node;
};

class UseItem {
 public:
  explicit UseItem(Node node) : node_(std::move(node)) {}
  /// The tree. Nesting of groups follows the input; building it is
  /// iterative and never recurses on the host stack.
  UseTree tree() const;

 private:
  Node node_;
};

// --- generics and functions -----------------------------------------------

struct Generics {
  Node params;        ///< `type_parameters` (`<...>`), or null
  Node where_clause;  ///< `where ...`, or null

  /// The parameters inside `<...>`: lifetimes, types and consts.
  std::vector<Node> param_nodes() const;
  /// No parameter and no where clause.
  bool is_empty() const { return param_nodes().empty() && where_clause.is_null(); }
  /// `<...>` through the where clause, whichever of them exist.
  Range range() const;
};

/// An identifier pattern: `x`, `mut x`, `ref x`, `ref mut x`.
struct IdentPattern {
  Ident name;
  bool by_ref = false;
  bool is_mut = false;
};

/// `self`, `&self`, `&'a mut self`, `mut self`, or `self: Type`.
struct Receiver {
  Node node;
  bool is_ref = false;
  bool is_mut = false;
  std::optional<Type> ty;  ///< the written type of `self: Type`
};

struct FnArg {
  Node node;                      ///< the `parameter` (or the bare type in a signature)
  Node pattern;                   ///< null for an argument written as a bare type
  Type ty;
  std::vector<Attribute> attrs;   ///< attributes written before the argument
  bool mut_binding = false;       ///< `mut x: T`

  Range range() const { return node.range(); }
  /// The binding when the pattern is a plain identifier.
  std::optional<IdentPattern> ident_pattern() const;
};

class FnItem {
 public:
  explicit FnItem(Node node) : node_(std::move(node)) {}
  bool is_async() const;
  bool is_const() const;
  bool is_unsafe() const;
  /// The `fn` keyword.
  Range fn_token() const;
  Ident name() const;
  Generics generics() const;
  std::optional<Receiver> receiver() const;
  /// The arguments after the receiver, in order.
  std::vector<FnArg> args() const;
  /// The `(...)` node.
  Node params_node() const { return node_.field("parameters"); }
  std::optional<Type> return_type() const;
  /// The body block; null for a signature without body.
  Node body() const { return node_.field("body"); }
  /// From the first qualifier (`const`, `async`, `unsafe`, `extern`) or `fn`
  /// to the end of the return type or where clause: the signature without
  /// visibility and body.
  Range signature_range() const;

 private:
  Node node_;
};

// --- structs, enums, unions -------------------------------------------------

enum class FieldsKind { Named, Tuple, Unit };

struct Field {
  Node node;                     ///< `field_declaration`, or the type of a tuple field
  std::vector<Attribute> attrs;
  std::optional<Ident> name;     ///< named fields only
  Type ty;
  Range range;                   ///< from visibility or name to the type's end
  Range full_range;              ///< from the first attribute

  explicit Field(Type type) : ty(std::move(type)) {}
};

struct Fields {
  FieldsKind kind = FieldsKind::Unit;
  Node node;  ///< the `{...}` or `(...)` list; null for Unit
  std::vector<Field> list;
};

/// The fields of a `field_declaration_list` / `ordered_field_declaration_list`
/// node (Unit for a null node).
Fields fields_of(const Node& list);

struct Variant {
  Node node;
  std::vector<Attribute> attrs;
  Ident name;
  Fields fields;
  Node discriminant;  ///< `= expr`, or null
  Range range() const { return node.range(); }
  Range full_range() const { return full_range_of(attrs, range()); }
};

class StructItem {
 public:
  explicit StructItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  Generics generics() const;
  Fields fields() const { return fields_of(node_.field("body")); }

 private:
  Node node_;
};

class UnionItem {
 public:
  explicit UnionItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  Generics generics() const;
  Fields fields() const { return fields_of(node_.field("body")); }

 private:
  Node node_;
};

class EnumItem {
 public:
  explicit EnumItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  Generics generics() const;
  std::vector<Variant> variants() const;

 private:
  Node node_;
};

// --- the other kinds --------------------------------------------------------

class ModItem {
 public:
  explicit ModItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  bool has_body() const { return !node_.field("body").is_null(); }
  /// The items of an inline module's body (empty without body).
  std::vector<Item> items() const;

 private:
  Node node_;
};

class TypeAliasItem {
 public:
  explicit TypeAliasItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  Generics generics() const;
  /// The aliased type; nothing for an associated `type X;`.
  std::optional<Type> ty() const;

 private:
  Node node_;
};

class ImplItem {
 public:
  explicit ImplItem(Node node) : node_(std::move(node)) {}
  Generics generics() const;
  /// `impl Trait for T`: the trait as a type (a path).
  std::optional<Type> trait() const;
  Type self_type() const { return Type(node_.field("type")); }
  std::vector<Item> items() const { return items_of(node_.field("body")); }

 private:
  Node node_;
};

class TraitItem {
 public:
  explicit TraitItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  Generics generics() const;
  std::vector<Item> items() const { return items_of(node_.field("body")); }

 private:
  Node node_;
};

/// `const` and `static` items.
class ValueItem {
 public:
  explicit ValueItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  std::optional<Type> ty() const;
  Node value() const { return node_.field("value"); }

 private:
  Node node_;
};

class MacroItem {
 public:
  explicit MacroItem(Node node) : node_(std::move(node)) {}
  /// The macro's path (`m`, `a::m`).
  SimplePath path() const;
  /// The token tree after `!`.
  Node tokens() const;

 private:
  Node node_;
};

class ExternCrateItem {
 public:
  explicit ExternCrateItem(Node node) : node_(std::move(node)) {}
  Ident name() const;
  std::optional<Ident> alias() const;

 private:
  Node node_;
};

class ForeignModItem {
 public:
  explicit ForeignModItem(Node node) : node_(std::move(node)) {}
  std::vector<Item> items() const { return items_of(node_.field("body")); }

 private:
  Node node_;
};

}  // namespace vantrel::rustsyn
