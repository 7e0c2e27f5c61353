// Type: a view of one Rust type in the syntax tree. Views are cheap (a Node)
// and built one level at a time; callers that recurse into nested types
// decide their own depth limit. Path flattening is iterative, so a path of
// any length is safe.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "rustsyn/ident.h"
#include "rustsyn/source_file.h"

namespace vantrel::rustsyn {

enum class TypeKind {
  Path,         ///< `a::B<T>`, `u8`, `Self`, `<T as Trait>::X` (see TypePath::qself)
  Reference,    ///< `&'a mut T`
  Pointer,      ///< `*const T`, `*mut T`
  Slice,        ///< `[T]`
  Array,        ///< `[T; N]`
  Tuple,        ///< `(A, B)`, `(A,)`
  Unit,         ///< `()`
  Paren,        ///< `(T)`
  FnPointer,    ///< `fn(A) -> B`
  TraitObject,  ///< `dyn A + B` (and a bare `A + B`)
  ImplTrait,    ///< `impl A + B`
  Infer,        ///< `_`
  Never,        ///< `!`
  Macro,        ///< `m!(...)` in type position
  Other,        ///< anything else (metavariables, `?Sized`, error recovery)
};

struct TypePath;

class Type {
 public:
  explicit Type(Node node) : node_(std::move(node)) {}

  TypeKind kind() const;
  const Node& node() const { return node_; }
  Range range() const { return node_.range(); }

  /// Path types (and anything whose node is a path: also the path of a
  /// generic or scoped name), flattened; nothing for other kinds.
  std::optional<TypePath> path() const;
  /// The identifier of the last path segment, or nothing.
  std::optional<std::string_view> last_ident() const;

  /// The element of Reference, Pointer, Slice, Array and Paren types.
  std::optional<Type> elem() const;
  /// `mut` of a Reference or Pointer.
  bool is_mut() const;
  /// The lifetime of a Reference (`'a`), or null.
  Node lifetime() const;
  /// The length expression of an Array.
  Node array_len() const;
  /// The elements of a Tuple (empty for Unit).
  std::vector<Type> elems() const;
  /// The bounds of a TraitObject or ImplTrait, in order: each a type node
  /// (path, `Fn(..)` function type, higher-ranked bound) or a lifetime.
  std::vector<Node> bounds() const;

 private:
  Node node_;
};

/// One generic argument inside `<...>`.
struct GenericArg {
  enum class Kind {
    Type,        ///< a type (a bare identifier is a type, as in Rust's parser)
    Lifetime,    ///< `'a`
    Const,       ///< a literal, `-1` or a block `{N}`
    Binding,     ///< `Item = T`
    Constraint,  ///< `Item: Bound` and other bounds
  };
  Kind kind = Kind::Type;
  Node node;

  /// The type of a Type argument, or the bound type of a Binding.
  std::optional<Type> type() const;
  /// The name of a Binding.
  std::optional<Ident> binding_name() const;
};

/// `<SelfType as Trait>::rest` or `<SelfType>::rest`.
struct QSelf {
  Type self_type;
  std::optional<Type> trait;  ///< the `as Trait` part
};

struct PathSegment {
  Ident ident;
  /// The `type_arguments` node of `<...>` after this segment, or null.
  Node args;

  bool has_angle_args() const { return !args.is_null(); }
  /// The arguments inside `<...>`, in order, split by kind.
  std::vector<GenericArg> generic_args() const;
  /// The arguments that are types, in order.
  std::vector<Type> type_args() const;
};

struct TypePath {
  std::optional<QSelf> qself;
  bool leading_colon = false;
  /// The segments after the qualified self (all of them without one).
  std::vector<PathSegment> segments;

  const PathSegment* last() const { return segments.empty() ? nullptr : &segments.back(); }
};

/// Whether `node` is one of the grammar's type nodes.
bool is_type_node(const Node& node);

}  // namespace vantrel::rustsyn
