// Endpoint signature analysis: a handler's arguments and return type,
// classified purely syntactically against the extractor types (`Path<T>`,
// `Query<T>`, `Body<T>`, `Binary<bytes::Bytes>`) and response types (`Json<T>`,
// `Created<T>`, `NoContent`, `Sse<T, S>`, `Binary<bytes::Bytes>`). Types are
// recognised by the last segment of their path, so `Json`, `vantrel::Json`
// and `axum::Json` are all `Json`; no name is resolved here.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "rustsyn/items.h"
#include "rustsyn/types.h"
#include "syntax/api_attr.h"
#include "syntax/syn_error.h"

namespace vantrel::syntax {

/// How a handler argument reaches the request.
enum class ParamKind { Path, Query, Body, Binary };

struct EndpointParam {
  std::string name;  ///< the argument's identifier as written
  Range span;        ///< that identifier
  rustsyn::Type ty;  ///< the `T` inside the extractor (the bytes type for Binary)
  ParamKind kind = ParamKind::Path;
};

/// What a successful call answers.
enum class SuccessKind { NoContent, Json, Created, Sse, Binary };

/// The classified signature of a handler. Types point into the handler's
/// syntax tree, which they keep alive.
struct EndpointSignature {
  SuccessKind success = SuccessKind::NoContent;
  std::optional<rustsyn::Type> success_type;  ///< the `T` of Json, Created and Sse
  std::vector<EndpointParam> params;          ///< in argument order
  std::optional<rustsyn::Type> error_type;    ///< the `E` of `Result<T, E>`
};

/// Classifies handler `fn_item` marked with `attr`; the first rule it breaks
/// is returned as the error.
base::Result<EndpointSignature, SynError> analyze_endpoint(const ApiAttr& attr, const rustsyn::FnItem& fn_item);

/// Fails with "{label} cannot be generic; use concrete API types" on the
/// generics when they hold a parameter or a where clause.
base::Result<base::Unit, SynError> reject_generics(const rustsyn::Generics& generics, std::string_view label);

/// The success kind of a return type (without `Result`), and its `T` for
/// Json, Created and Sse.
base::Result<std::pair<SuccessKind, std::optional<rustsyn::Type>>, SynError> success_response(
    const rustsyn::Type& ty);

/// The identifier of the last path segment of a path type; nothing for other
/// types or a path without segments.
std::optional<std::string_view> type_path_last_ident(const rustsyn::Type& ty);

/// Accepts `Bytes`, `bytes::Bytes` and `axum::body::Bytes` (a leading `::`
/// allowed), the byte types a binary body can be.
base::Result<base::Unit, SynError> validate_binary_bytes_type(const rustsyn::Type& ty);

/// Refuses error types that cannot become a finite, typed error channel:
/// `String`, `anyhow::Error`, `std::io::Error`, `Box<dyn Error>` and opaque
/// types. Whether the type derives ApiError is checked after resolution.
base::Result<base::Unit, SynError> validate_endpoint_error_type(const rustsyn::Type& ty);

}  // namespace vantrel::syntax
