// The TypeScript syntax tree of generated files. Schema and client lowering
// build these values and the Printer (engine/gen/print.h) turns them into
// text; nothing in the generator concatenates TypeScript by hand. A tree is
// built once and printed once; every node owns its children.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "model/box.h"
#include "model/ir.h"

namespace vantrel::engine::gen {

/// The kind of contract item a mark points to. The numeric values (0 to 7)
/// are part of what the language server and the plugin exchange.
enum class MarkKind : uint8_t { Endpoint, Type, Error, ErrorVariant, EnumVariant, Field, FieldKey, Param };

/// "Endpoint", "Type", ... exactly as the enumerator is spelled.
std::string_view mark_kind_name(MarkKind kind);

/// Asks the printer to record a mark over the text printed for a node.
struct MarkRequest {
  std::string symbol;  ///< a SymbolId in its string form
  MarkKind kind = MarkKind::Type;

  bool operator==(const MarkRequest&) const = default;
};

/// An optional mark request; nullopt means "print without a mark".
using MarkReq = std::optional<MarkRequest>;

/// A mark request for a contract item.
inline MarkReq mark(const model::SymbolId& id, MarkKind kind) { return MarkRequest{id.str(), kind}; }

struct ObjectEntry;

/// One TypeScript expression.
struct Expr {
  /// Printed as is; a multi-line text follows the indentation of its place.
  struct Raw {
    std::string text;
  };
  /// A double-quoted string literal.
  struct Str {
    std::string text;
  };
  /// `object.property`.
  struct Member {
    model::Box<Expr> object;
    std::string property;
  };
  /// `callee(args)`; breaks over several lines when there are two or more
  /// arguments and one is a non-empty object or an arrow.
  struct Call {
    model::Box<Expr> callee;
    std::vector<Expr> args;
  };
  /// An object literal; entries print one per line with trailing commas.
  struct Object {
    std::vector<ObjectEntry> entries;
  };
  /// An array literal; one element stays inline, two or more go one per line.
  struct Array {
    std::vector<Expr> elements;
  };
  /// `(params) => body`; an object body is wrapped in parentheses.
  struct Arrow {
    std::vector<std::string> params;
    model::Box<Expr> body;
  };
  /// The inner expression with a mark recorded over its whole text.
  struct Marked {
    std::string symbol;
    MarkKind kind = MarkKind::Type;
    model::Box<Expr> expr;
  };

  using Value = std::variant<Raw, Str, Member, Call, Object, Array, Arrow, Marked>;
  Value value;

  static Expr raw(std::string text) { return Expr{Raw{std::move(text)}}; }
  static Expr str(std::string text) { return Expr{Str{std::move(text)}}; }
  static Expr member(Expr object, std::string property) {
    return Expr{Member{model::Box<Expr>(std::move(object)), std::move(property)}};
  }
  /// A call of an arbitrary callee expression.
  static Expr call_expr(Expr callee, std::vector<Expr> args) {
    return Expr{Call{model::Box<Expr>(std::move(callee)), std::move(args)}};
  }
  /// A `Call` whose callee is `Raw(callee)`.
  static Expr call(std::string callee, std::vector<Expr> args) {
    return call_expr(raw(std::move(callee)), std::move(args));
  }
  /// A `Call` whose callee is `Member(Raw(object), method)`.
  static Expr member_call(std::string object, std::string method, std::vector<Expr> args) {
    return call_expr(member(raw(std::move(object)), std::move(method)), std::move(args));
  }
  static Expr object(std::vector<ObjectEntry> entries);
  static Expr array(std::vector<Expr> elements) { return Expr{Array{std::move(elements)}}; }
  static Expr arrow(std::vector<std::string> params, Expr body) {
    return Expr{Arrow{std::move(params), model::Box<Expr>(std::move(body))}};
  }
  static Expr marked(std::string symbol, MarkKind kind, Expr inner) {
    return Expr{Marked{std::move(symbol), kind, model::Box<Expr>(std::move(inner))}};
  }
};

/// An argument or element list built by moving each expression in. A braced
/// list would pass through std::initializer_list, whose elements can only be
/// copied, and each copy is a whole expression tree.
template <class... Exprs>
std::vector<Expr> exprs(Exprs&&... items) {
  std::vector<Expr> out;
  out.reserve(sizeof...(items));
  (out.push_back(std::forward<Exprs>(items)), ...);
  return out;
}

/// One property of an object literal.
struct ObjectEntry {
  std::string key;  ///< already a valid property key (see object_key)
  MarkReq mark;     ///< recorded over the key
  Expr value;
};

inline Expr Expr::object(std::vector<ObjectEntry> entries) { return Expr{Object{std::move(entries)}}; }

/// One property of an interface, printed as `readonly name?: ty`.
struct InterfaceField {
  std::string name;  ///< a valid property key
  std::string ty;    ///< TypeScript type text
  std::optional<std::string> doc;
  MarkReq mark;  ///< recorded over the name
  bool optional = false;
};

/// One top-level statement of a generated file; every item prints as whole
/// lines. Marks of named items are recorded over the name only.
struct Item {
  /// `import { names } from "from"` (`import type` when type_only).
  struct Import {
    std::vector<std::string> names;
    std::string from;
    bool type_only = false;
  };
  /// `export * from "from"`.
  struct ExportAll {
    std::string from;
  };
  /// `export * as name from "from"`.
  struct ExportNamespace {
    std::string name;
    std::string from;
  };
  /// `export { names } from "from"`.
  struct ExportNamed {
    std::vector<std::string> names;
    std::string from;
  };
  /// `export const name = value` (with ` as const` when as_const).
  struct Const {
    std::string name;
    std::optional<std::string> doc;
    MarkReq mark;
    Expr value;
    bool as_const = false;
  };
  /// `export const name = (p: T, ...): return_type =>` and the body on the
  /// next line, indented one level.
  struct Function {
    std::string name;
    std::vector<std::pair<std::string, std::string>> params;  ///< (name, type text)
    std::string return_type;
    std::optional<std::string> doc;
    MarkReq mark;
    Expr body;
  };
  /// `export type name = ty`.
  struct TypeAlias {
    std::string name;
    std::string ty;
    std::optional<std::string> doc;
    MarkReq mark;
  };
  /// `export interface name { readonly ... }`.
  struct Interface {
    std::string name;
    std::vector<InterfaceField> fields;
    std::optional<std::string> doc;
    MarkReq mark;
  };
  /// `export class name extends <extends> {}`.
  struct Class {
    std::string name;
    std::optional<std::string> doc;
    MarkReq mark;
    Expr extends;
  };
  /// Text printed as is, followed by a line break unless it already ends
  /// with one; an empty Raw item is one blank line (the declaration
  /// separator of generated files).
  struct Raw {
    std::string text;
  };

  using Value = std::variant<Import, ExportAll, ExportNamespace, ExportNamed, Const, Function, TypeAlias, Interface,
                             Class, Raw>;
  Value value;

  /// The blank-line separator.
  static Item blank() { return Item{Raw{}}; }
};

}  // namespace vantrel::engine::gen
