// `#[api]` and `#[status]` parsing. Each function returns the first problem it
// meets; nothing is partly accepted, so a caller either has a whole attribute
// or an error pointing at the offending token.
#include "syntax/api_attr.h"

#include <array>
#include <utility>

namespace vantrel::syntax {
namespace {

constexpr std::array<std::pair<ApiMethod, std::string_view>, 6> kMethodNames = {{
    {ApiMethod::Get, "get"},
    {ApiMethod::Post, "post"},
    {ApiMethod::Put, "put"},
    {ApiMethod::Patch, "patch"},
    {ApiMethod::Delete, "delete"},
    {ApiMethod::Sse, "sse"},
}};

constexpr std::string_view kExpectsMethodAndPath =
    "#[api] expects a method and a path, e.g. #[api(get, \"/users/{id}\")]";
constexpr std::string_view kExpectsRoute = "#[api] expects a string route path, e.g. #[api(get, \"/users/{id}\")]";
constexpr std::string_view kRouteSlash = "#[api] route paths must start with `/`";
constexpr std::string_view kRequiresStatus = "ApiError variants require #[status(...)], e.g. #[status(404)]";
constexpr std::string_view kExpectsStatus = "#[status] expects a status code, e.g. #[status(404)]";
constexpr std::string_view kStatusRange = "ApiError statuses must be in the 400..=599 range";

SynError error(std::string_view message, Range range) { return SynError{std::string(message), range}; }

base::Result<ApiMethod, SynError> parse_method(rustsyn::TokenCursor& args) {
  const rustsyn::Token* t = args.peek();
  if (!t || t->kind != rustsyn::TokenKind::Ident) return base::err(error(kExpectsMethodAndPath, args.position()));
  args.next();
  for (const auto& [method, name] : kMethodNames) {
    if (t->text == name) return method;
  }
  return base::err(SynError{"unsupported #[api] method `" + std::string(t->text) +
                                "`; expected one of get, post, put, patch, delete, sse",
                            t->range});
}

/// Reads one flag identifier; only `allow_unused` exists.
base::Result<base::Unit, SynError> parse_flag(rustsyn::TokenCursor& args) {
  auto ident = args.expect_ident();
  if (!ident.ok()) return base::err(std::move(ident.error()));
  if (ident->text != "allow_unused") {
    return base::err(SynError{"unsupported #[api] argument `" + std::string(ident->text) + "`", ident->range});
  }
  return base::Unit{};
}

/// The single integer literal of `#[status(N)]`, or nothing when the
/// arguments are anything else.
std::optional<rustsyn::Lit> status_literal(const rustsyn::Attribute& attr) {
  if (attr.style() != rustsyn::AttrStyle::List || attr.delimiter() != rustsyn::Delimiter::Paren) return std::nullopt;
  rustsyn::TokenCursor args = attr.args();
  const rustsyn::Token* t = args.next();
  if (!t || !args.at_end()) return std::nullopt;
  std::optional<rustsyn::Lit> lit = t->lit();
  if (!lit || lit->kind() != rustsyn::LitKind::Int) return std::nullopt;
  return lit;
}

}  // namespace

std::string_view api_method_name(ApiMethod method) {
  for (const auto& [m, name] : kMethodNames) {
    if (m == method) return name;
  }
  return {};
}

base::Result<ApiAttr, SynError> ApiAttr::from_attribute(const rustsyn::Attribute& attr) {
  if (attr.style() != rustsyn::AttrStyle::List) return base::err(error(kExpectsMethodAndPath, attr.range()));
  rustsyn::TokenCursor args = attr.args();
  return parse(args);
}

base::Result<ApiAttr, SynError> ApiAttr::parse(rustsyn::TokenCursor& args) {
  ApiAttr out;
  auto method = parse_method(args);
  if (!method.ok()) return base::err(std::move(method.error()));
  out.method = *method;

  if (auto comma = args.expect_punct(","); !comma.ok()) return base::err(std::move(comma.error()));

  const rustsyn::Token* t = args.peek();
  std::optional<rustsyn::Lit> lit = t ? t->lit() : std::nullopt;
  if (!lit || lit->kind() != rustsyn::LitKind::Str) return base::err(error(kExpectsRoute, args.position()));
  args.next();
  auto value = lit->string_value();
  if (!value.ok()) return base::err(std::move(value.error()));
  if (value->empty() || (*value)[0] != '/') return base::err(error(kRouteSlash, lit->range()));
  out.path = std::move(*value);
  out.path_span = lit->range();

  // Flags: `, flag` repeated; a trailing comma ends the list.
  while (args.eat_punct(",")) {
    if (args.at_end()) break;
    if (auto flag = parse_flag(args); !flag.ok()) return base::err(std::move(flag.error()));
    out.allow_unused = true;
  }
  if (auto end = args.expect_end(); !end.ok()) return base::err(std::move(end.error()));
  return out;
}

base::Result<StatusAttr, SynError> StatusAttr::from_variant(const rustsyn::Variant& variant) {
  return from_attrs(variant.attrs, variant.full_range());
}

base::Result<StatusAttr, SynError> StatusAttr::from_attrs(const std::vector<rustsyn::Attribute>& attrs,
                                                          Range variant_range) {
  std::optional<uint16_t> status;
  for (const rustsyn::Attribute& attr : attrs) {
    if (attr.is_doc_comment() || !attr.path_is("status")) continue;
    std::optional<rustsyn::Lit> lit = status_literal(attr);
    if (!lit) return base::err(error(kExpectsStatus, attr.range()));
    auto value = lit->base10_parse<uint16_t>();
    if (!value.ok()) return base::err(std::move(value.error()));
    if (*value < 400 || *value > 599) return base::err(error(kStatusRange, lit->range()));
    status = *value;
  }
  if (!status) return base::err(error(kRequiresStatus, variant_range));
  return StatusAttr{*status};
}

}  // namespace vantrel::syntax
