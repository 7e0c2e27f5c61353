// The syntax of an API declaration, read from its own source alone: the
// fields, variants, serde attributes, wire shapes, docs and statuses of a
// struct or enum deriving Api or ApiError. Reading them needs no name
// resolution, so it happens when a file's modules are prepared (on the parse
// threads, for the command line) and lowering is left with resolving and
// checking. Results keep the syntax layer's errors; lowering reports them at
// the point it reaches them, so diagnostics come in the same order as if the
// syntax were read on the spot.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "rustsyn/items.h"
#include "rustsyn/syn_error.h"
#include "syntax/api_attr.h"
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

/// Reads the fields of `fields` that have names.
FieldsSyntax read_fields_syntax(const rustsyn::Fields& fields);

/// Reads a struct or enum item; `api_error` adds the variants' statuses.
DeclSyntax read_decl_syntax(const rustsyn::Item& item, bool api_error);

}  // namespace vantrel::engine::extract
