// The `#[serde(...)]` attributes of API types: their merged, parsed form, the
// rules for each position they can stand in, and the wire optionality of a
// field. Only what generated schemas can describe exactly is accepted; every
// other key is refused with the reason.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "model/ir.h"
#include "rustsyn/attribute.h"
#include "rustsyn/types.h"
#include "syntax/rename.h"
#include "syntax/syn_error.h"

namespace vantrel::syntax {

/// The merged content of every `#[serde(...)]` attribute of one item.
struct SerdeAttrs {
  std::vector<std::string> aliases;  ///< every `alias = "..."`, in order
  std::optional<std::string> rename;
  std::optional<std::string> tag;
  bool transparent = false;
  bool deny_unknown_fields = false;
  bool use_default = false;  ///< `default` or `default = "path"` (`default` is a C++ keyword)
  bool skip_serializing_if_none = false;
  std::optional<RenameRule> rename_all;
  std::optional<RenameRule> rename_all_fields;

  /// Reads the `serde` attributes among `attrs`, in order; a later string
  /// value replaces an earlier one. Fails at the first unsupported entry.
  static base::Result<SerdeAttrs, SynError> from_attrs(const std::vector<rustsyn::Attribute>& attrs);

  bool operator==(const SerdeAttrs&) const = default;
};

// Position rules. Each fails with the first rule the attributes break,
// naming `label` ("Api" or "ApiError") and pointing at `at`.

/// A field of a struct or struct variant.
base::Result<base::Unit, SynError> validate_field(const SerdeAttrs& attrs, std::string_view label, Range at);
/// A variant of an enum.
base::Result<base::Unit, SynError> validate_enum_variant(const SerdeAttrs& attrs, std::string_view label, Range at);
/// An enum; it must be tagged `_tag`.
base::Result<base::Unit, SynError> validate_enum_container(const SerdeAttrs& attrs, std::string_view label,
                                                           Range at);
/// A struct with named fields.
base::Result<base::Unit, SynError> validate_struct_container(const SerdeAttrs& attrs, std::string_view label,
                                                             Range at);
/// A tuple struct of one field.
base::Result<base::Unit, SynError> validate_newtype_container(const SerdeAttrs& attrs, std::string_view label,
                                                              Range at);
/// The field of a `#[serde(transparent)]` struct: it must carry nothing.
base::Result<base::Unit, SynError> validate_transparent_field(const SerdeAttrs& attrs, std::string_view label,
                                                              Range at);

/// What a field puts on the wire: its type (the `T` of an `Option<T>`) and
/// whether the key may be missing and the value null.
struct FieldWireShape {
  rustsyn::Type ty;
  model::Optionality optionality = model::Optionality::Required;

  /// The shape of a field declared with type `field_type` and `attrs`.
  static base::Result<FieldWireShape, SynError> from_type(const rustsyn::Type& field_type, const SerdeAttrs& attrs);
};

/// The `T` of `Option<T>` (by last path segment, so `std::option::Option<T>`
/// counts), or nothing for any other type.
std::optional<rustsyn::Type> option_inner_type(const rustsyn::Type& ty);

}  // namespace vantrel::syntax
