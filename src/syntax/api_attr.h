// The `#[api(method, "/route")]` attribute of handler functions and the
// `#[status(N)]` attribute of error-enum variants, parsed from the syntax
// tree with an exact message for every malformed form.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "rustsyn/attribute.h"
#include "rustsyn/items.h"
#include "rustsyn/tokens.h"
#include "syntax/syn_error.h"

namespace vantrel::syntax {

/// The methods a handler can declare; `Sse` is a GET answered with an event
/// stream.
enum class ApiMethod { Get, Post, Put, Patch, Delete, Sse };

/// The method as written in the attribute ("get", ..., "sse").
std::string_view api_method_name(ApiMethod method);

/// The content of one `#[api(...)]` attribute.
struct ApiAttr {
  std::string path;        ///< the route exactly as written
  Range path_span;         ///< the route's string literal
  bool allow_unused = false;
  ApiMethod method = ApiMethod::Get;

  /// Parses the `#[api]` attribute; it must be in list form.
  static base::Result<ApiAttr, SynError> from_attribute(const rustsyn::Attribute& attr);
  /// Parses the argument tokens `method, "/route" [, allow_unused]*`; every
  /// token must be consumed.
  static base::Result<ApiAttr, SynError> parse(rustsyn::TokenCursor& args);

  bool operator==(const ApiAttr&) const = default;
};

/// The HTTP status of one error-enum variant.
struct StatusAttr {
  uint16_t status = 0;  ///< always within 400..=599

  /// The status of an error-enum variant, from its `#[status]` attributes.
  static base::Result<StatusAttr, SynError> from_variant(const rustsyn::Variant& variant);
  /// The status of a variant with attributes `attrs` whose full range (from
  /// its first attribute) is `variant_range`; the last `#[status]` wins.
  static base::Result<StatusAttr, SynError> from_attrs(const std::vector<rustsyn::Attribute>& attrs,
                                                       Range variant_range);

  bool operator==(const StatusAttr&) const = default;
};

}  // namespace vantrel::syntax
