// Handler signature rules, applied in a fixed order so that a handler with
// several problems always reports the same first one.
#include "syntax/endpoint.h"

#include "syntax/syntax.h"

namespace vantrel::syntax {
namespace {

using Status = base::Result<base::Unit, SynError>;
using rustsyn::Type;
using rustsyn::TypeKind;

constexpr std::string_view kNotAsync = "#[api] endpoints must be async functions";
constexpr std::string_view kSelf = "#[api] endpoints cannot take self receivers";
constexpr std::string_view kPattern =
    "#[api] endpoint parameters must use simple identifiers with Path<T>, Query<T>, Body<T>, or "
    "Binary<bytes::Bytes> extractors";
constexpr std::string_view kExtractor =
    "#[api] endpoint parameters must use Path<T>, Query<T>, Body<T>, or Binary<bytes::Bytes> extractors";
constexpr std::string_view kTwoQueries =
    "#[api] endpoints can declare at most one Query<T> extractor; the query string deserializes into a single "
    "struct whose fields become the query parameters";
constexpr std::string_view kTwoBodies = "#[api] endpoints can only declare one request body extractor";
constexpr std::string_view kBytes = "#[api] Binary<T> endpoints currently support bytes::Bytes or axum::body::Bytes only";
constexpr std::string_view kReturns =
    "#[api] endpoint returns must be Json<T>, Created<T>, NoContent, Sse<T, S>, Binary<bytes::Bytes>, or Result "
    "of those";
constexpr std::string_view kSseMethodNeedsSse = "#[api(sse, ...)] endpoints must return Sse<T, S> or Result<Sse<T, S>, E>";
constexpr std::string_view kSseNeedsSseMethod = "#[api] endpoints returning Sse<T> must use the sse method";
constexpr std::string_view kBinaryBothWays =
    "#[api] binary upload endpoints cannot also return Binary<bytes::Bytes>; model the response as Json<T>, "
    "Created<T>, or NoContent";

SynError error(std::string_view message, Range range) { return SynError{std::string(message), range}; }

/// The last segment of a path type (not a qualified `<T as X>::Y` path's
/// self type), with its path.
struct LastSegment {
  rustsyn::TypePath path;
  const rustsyn::PathSegment* segment = nullptr;
};

std::optional<LastSegment> last_segment(const Type& ty) {
  if (ty.kind() != TypeKind::Path) return std::nullopt;
  std::optional<rustsyn::TypePath> path = ty.path();
  if (!path || path->segments.empty()) return std::nullopt;
  LastSegment out{std::move(*path)};
  out.segment = out.path.last();
  return out;
}

/// The `index`-th angle-bracketed argument of the last segment when it is a
/// type.
std::optional<Type> type_arg(const LastSegment& last, size_t index) {
  if (!last.segment->has_angle_args()) return std::nullopt;
  std::vector<rustsyn::GenericArg> args = last.segment->generic_args();
  if (index >= args.size() || args[index].kind != rustsyn::GenericArg::Kind::Type) return std::nullopt;
  return args[index].type();
}

std::string error_type_message(std::string_view reason) {
  return "#[api] endpoint errors must be typed ApiError enums; " + std::string(reason) +
         ". Derive ApiError for a domain enum or map the error into one before returning it.";
}

/// The reason an error type is refused, or nothing when it passes.
std::optional<std::string_view> error_type_reason(const Type& ty) {
  TypeKind kind = ty.kind();
  if (std::optional<LastSegment> last = last_segment(ty)) {
    const auto& segments = last->path.segments;
    std::string_view name = last->segment->ident.text;
    if (name == "String") return "`String` errors are not finite or catchable in generated Effect clients";
    if (name == "Error") {
      for (const auto& s : segments) {
        if (s.ident.text == "anyhow") return "`anyhow::Error` is opaque and cannot be represented as a generated error channel";
      }
      for (size_t i = 0; segments.size() >= 2 && i + 1 < segments.size(); ++i) {
        std::string_view a = segments[i].ident.text;
        if ((a == "std" || a == "tokio") && segments[i + 1].ident.text == "io") {
          return "`std::io::Error` is transport/runtime detail, not a public API error contract";
        }
      }
    }
    if (name == "Box" && last->segment->has_angle_args()) {
      for (const Type& arg : last->segment->type_args()) {
        TypeKind k = arg.kind();
        if (k == TypeKind::TraitObject || k == TypeKind::ImplTrait) {
          return "`Box<dyn Error>` is opaque and cannot be represented as a generated error channel";
        }
      }
    }
  }
  if (kind == TypeKind::ImplTrait || kind == TypeKind::Infer) {
    return "opaque endpoint error types cannot be represented as generated error channels";
  }
  if (kind == TypeKind::TraitObject) return "`dyn Error` is opaque and cannot be represented as a generated error channel";
  return std::nullopt;
}

/// The extractor kind named by a last segment, if any.
std::optional<ParamKind> extractor_kind(std::string_view name) {
  if (name == "Path") return ParamKind::Path;
  if (name == "Query") return ParamKind::Query;
  if (name == "Body") return ParamKind::Body;
  if (name == "Binary") return ParamKind::Binary;
  return std::nullopt;
}

/// Classifies the handler's arguments (rule 3).
base::Result<std::vector<EndpointParam>, SynError> classify_args(const rustsyn::FnItem& fn_item) {
  if (std::optional<rustsyn::Receiver> receiver = fn_item.receiver()) {
    return base::err(error(kSelf, receiver->node.range()));
  }
  std::vector<EndpointParam> params;
  bool has_query = false;
  bool has_body = false;
  for (const rustsyn::FnArg& arg : fn_item.args()) {
    std::optional<rustsyn::IdentPattern> binding = arg.ident_pattern();
    if (!binding) return base::err(error(kPattern, arg.range()));
    std::optional<LastSegment> last = last_segment(arg.ty);
    std::optional<ParamKind> kind = last ? extractor_kind(last->segment->ident.text) : std::nullopt;
    std::optional<Type> inner = kind ? type_arg(*last, 0) : std::nullopt;
    if (!inner) return base::err(error(kExtractor, arg.ty.range()));
    if (*kind == ParamKind::Query) {
      if (has_query) return base::err(error(kTwoQueries, arg.range()));
      has_query = true;
    }
    if (*kind == ParamKind::Body || *kind == ParamKind::Binary) {
      if (has_body) return base::err(error(kTwoBodies, arg.range()));
      has_body = true;
    }
    if (*kind == ParamKind::Binary) {
      if (Status bytes = validate_binary_bytes_type(*inner); !bytes.ok()) return base::err(std::move(bytes.error()));
    }
    params.push_back(EndpointParam{std::string(binding->name.text), binding->name.range, *inner, *kind});
  }
  return params;
}

/// Matches route parameters with `Path` arguments by name (rule 4).
Status match_route_params(const ApiAttr& attr, const rustsyn::FnItem& fn_item,
                          const std::vector<EndpointParam>& params) {
  std::vector<std::string> route = route_params(attr.path);
  std::vector<const EndpointParam*> path_args;
  for (const EndpointParam& p : params) {
    if (p.kind == ParamKind::Path) path_args.push_back(&p);
  }
  auto unmatched = [&](const std::string& name) {
    return base::err(SynError{"route parameter `" + name + "` requires a matching Path<T> argument", attr.path_span});
  };
  if (path_args.empty()) {
    if (!route.empty()) return unmatched(route.front());
    return base::Unit{};
  }
  for (const std::string& name : route) {
    size_t count = 0;
    for (const EndpointParam* p : path_args) count += p->name == name ? 1 : 0;
    if (count == 0) return unmatched(name);
    if (count > 1) {
      return base::err(SynError{"route parameter `" + name + "` can only have one matching Path<T> argument",
                                fn_item.signature_range()});
    }
  }
  for (const EndpointParam* p : path_args) {
    bool known = false;
    for (const std::string& name : route) known = known || name == p->name;
    if (!known) {
      return base::err(SynError{"Path<T> argument `" + p->name + "` does not match any route parameter", p->span});
    }
  }
  return base::Unit{};
}

}  // namespace

base::Result<base::Unit, SynError> reject_generics(const rustsyn::Generics& generics, std::string_view label) {
  if (generics.is_empty()) return base::Unit{};
  return base::err(SynError{std::string(label) + " cannot be generic; use concrete API types", generics.range()});
}

std::optional<std::string_view> type_path_last_ident(const Type& ty) {
  std::optional<LastSegment> last = last_segment(ty);
  if (!last) return std::nullopt;
  return last->segment->ident.text;
}

base::Result<std::pair<SuccessKind, std::optional<Type>>, SynError> success_response(const Type& ty) {
  using Out = std::pair<SuccessKind, std::optional<Type>>;
  if (ty.kind() == TypeKind::Unit) return Out{SuccessKind::NoContent, std::nullopt};
  if (std::optional<LastSegment> last = last_segment(ty)) {
    std::string_view name = last->segment->ident.text;
    if (name == "NoContent") return Out{SuccessKind::NoContent, std::nullopt};
    std::optional<Type> arg = type_arg(*last, 0);
    if (arg && name == "Binary") {
      if (Status bytes = validate_binary_bytes_type(*arg); !bytes.ok()) return base::err(std::move(bytes.error()));
      return Out{SuccessKind::Binary, std::nullopt};
    }
    if (arg && name == "Json") return Out{SuccessKind::Json, arg};
    if (arg && name == "Created") return Out{SuccessKind::Created, arg};
    if (arg && name == "Sse") return Out{SuccessKind::Sse, arg};
  }
  return base::err(error(kReturns, ty.range()));
}

base::Result<base::Unit, SynError> validate_binary_bytes_type(const Type& ty) {
  std::optional<LastSegment> last = last_segment(ty);
  if (last && !last->path.qself) {
    std::vector<std::string_view> names;
    for (const auto& s : last->path.segments) names.push_back(s.ident.text);
    using V = std::vector<std::string_view>;
    if (names == V{"Bytes"} || names == V{"bytes", "Bytes"} || names == V{"axum", "body", "Bytes"}) {
      return base::Unit{};
    }
  }
  return base::err(error(kBytes, ty.range()));
}

base::Result<base::Unit, SynError> validate_endpoint_error_type(const Type& ty) {
  if (std::optional<std::string_view> reason = error_type_reason(ty)) {
    return base::err(SynError{error_type_message(*reason), ty.range()});
  }
  return base::Unit{};
}

base::Result<EndpointSignature, SynError> analyze_endpoint(const ApiAttr& attr, const rustsyn::FnItem& fn_item) {
  if (!fn_item.is_async() && attr.method != ApiMethod::Sse) return base::err(error(kNotAsync, fn_item.fn_token()));
  if (Status generics = reject_generics(fn_item.generics(), "#[api] endpoints"); !generics.ok()) {
    return base::err(std::move(generics.error()));
  }

  EndpointSignature sig;
  auto params = classify_args(fn_item);
  if (!params.ok()) return base::err(std::move(params.error()));
  sig.params = std::move(*params);
  if (Status matched = match_route_params(attr, fn_item, sig.params); !matched.ok()) {
    return base::err(std::move(matched.error()));
  }

  std::optional<Type> ret = fn_item.return_type();
  if (ret) {
    Type success_ty = *ret;
    std::optional<LastSegment> last = last_segment(*ret);
    if (last && last->segment->ident.text == "Result") {
      std::optional<Type> ok = type_arg(*last, 0);
      std::optional<Type> err = type_arg(*last, 1);
      if (ok && err) {
        if (Status checked = validate_endpoint_error_type(*err); !checked.ok()) {
          return base::err(std::move(checked.error()));
        }
        sig.error_type = err;
        success_ty = *ok;
      }
    }
    auto success = success_response(success_ty);
    if (!success.ok()) return base::err(std::move(success.error()));
    sig.success = success->first;
    sig.success_type = success->second;
  }

  bool has_body = false;
  bool has_binary_arg = false;
  for (const EndpointParam& p : sig.params) {
    has_body = has_body || p.kind == ParamKind::Body || p.kind == ParamKind::Binary;
    has_binary_arg = has_binary_arg || p.kind == ParamKind::Binary;
  }
  if (has_body && (attr.method == ApiMethod::Get || attr.method == ApiMethod::Delete || attr.method == ApiMethod::Sse)) {
    std::string word = attr.method == ApiMethod::Delete ? "DELETE" : "GET";
    return base::err(SynError{"#[api] " + word +
                                  " endpoints cannot declare request body extractors; use Query<T> or change the "
                                  "endpoint method to post, put, or patch",
                              fn_item.signature_range()});
  }
  // Rules 7 and 8 point at the return type; without one the success is
  // NoContent, so only the sse-method rule can apply, on the signature.
  Range ret_range = ret ? ret->range() : fn_item.signature_range();
  if (sig.success != SuccessKind::Sse && attr.method == ApiMethod::Sse) return base::err(error(kSseMethodNeedsSse, ret_range));
  if (sig.success == SuccessKind::Sse && attr.method != ApiMethod::Sse) return base::err(error(kSseNeedsSseMethod, ret_range));
  if (sig.success == SuccessKind::Binary && has_binary_arg) return base::err(error(kBinaryBothWays, ret_range));
  return sig;
}

}  // namespace vantrel::syntax
