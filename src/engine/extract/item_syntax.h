// The syntax of the items lowering reads, taken from their own source alone:
// the fields, variants, serde attributes, wire shapes, docs and statuses of a
// struct or enum deriving Api or ApiError; the attribute and classified
// signature of a handler; the method calls in a router function's body.
// Reading them needs no name resolution, so it happens when a file's modules
// are prepared (on the parse threads, for the command line) and lowering is
// left with resolving and checking. Results keep the syntax layer's errors;
// lowering reports them at the point it reaches them, so diagnostics come in
// the same order as if the syntax were read on the spot.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "rustsyn/items.h"
#include "rustsyn/method_calls.h"
#include "rustsyn/syn_error.h"
#include "syntax/api_attr.h"
#include "syntax/endpoint.h"
#include "syntax/serde_attrs.h"

namespace vantrel::engine::extract {

/// One named field.
struct FieldSyntax {
  base::Result<syntax::SerdeAttrs, rustsyn::SynError> serde;
  /// The wire shape, read only when `serde` was.
  std::optional<base::Result<syntax::FieldWireShape, rustsyn::SynError>> shape;
  std::optional<std::string> docs;
};

/// Parallel to a field list: the syntax of each named field, nothing for
/// tuple fields.
using FieldsSyntax = std::vector<std::optional<FieldSyntax>>;

struct VariantSyntax {
  rustsyn::Variant variant;
  base::Result<syntax::SerdeAttrs, rustsyn::SynError> serde;
  /// Parallel to `variant.fields.list`.
  FieldsSyntax fields;
  std::optional<std::string> docs;
  /// ApiError enums only: the `#[status]` of the variant.
  std::optional<base::Result<syntax::StatusAttr, rustsyn::SynError>> status;
};

/// A struct or enum deriving Api or ApiError.
struct DeclSyntax {
  rustsyn::Ident ident;
  rustsyn::Generics generics;
  base::Result<syntax::SerdeAttrs, rustsyn::SynError> serde;
  std::optional<std::string> docs;
  /// Structs: the fields and their syntax.
  rustsyn::Fields fields;
  FieldsSyntax field_syntax;
  /// Enums: the variants in order.
  std::vector<VariantSyntax> variants;
};

/// A function carrying an `#[api]` attribute.
struct EndpointSyntax {
  /// The position of that attribute (the first whose path ends in `api`)
  /// among the item's attributes.
  size_t attr_index = 0;
  base::Result<syntax::ApiAttr, rustsyn::SynError> attr;
  /// The classified signature, read only when `attr` was.
  std::optional<base::Result<syntax::EndpointSignature, rustsyn::SynError>> signature;
};

/// A function carrying an `#[api_router]` attribute.
struct RouterSyntax {
  /// The method calls in its body, in post-order.
  std::vector<rustsyn::MethodCall> calls;
};

/// What lowering reads of one item; each part is present only for the items
/// it concerns.
struct ItemSyntax {
  std::optional<DeclSyntax> decl;
  std::optional<EndpointSyntax> endpoint;
  std::optional<RouterSyntax> router;
};

/// Reads the fields of `fields` that have names.
FieldsSyntax read_fields_syntax(const rustsyn::Fields& fields);

/// Reads a struct or enum item; `api_error` adds the variants' statuses.
DeclSyntax read_decl_syntax(const rustsyn::Item& item, bool api_error);

/// Reads what lowering needs of `item`: its declaration syntax when it
/// derives Api or ApiError (`api_derive`, with `api_error` for the latter),
/// its handler and router syntax when it is a function with those
/// attributes. Null when lowering reads nothing of it.
std::shared_ptr<const ItemSyntax> read_item_syntax(const rustsyn::Item& item, bool api_derive, bool api_error);

}  // namespace vantrel::engine::extract
