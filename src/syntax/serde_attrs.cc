// Reading `#[serde(...)]` entries and checking them against the position they
// stand in. The messages say why an entry cannot be represented, so that the
// user can change the Rust type rather than guess.
#include "syntax/serde_attrs.h"

#include <utility>

namespace vantrel::syntax {
namespace {

using rustsyn::TokenCursor;
using Status = base::Result<base::Unit, SynError>;

constexpr std::string_view kRenameSplit =
    "serde rename with separate serialize/deserialize names is not supported by vantrel; use rename = \"...\" "
    "for one wire name";
constexpr std::string_view kContent =
    "serde content is not supported by vantrel; generated API enums use internally tagged #[serde(tag = "
    "\"_tag\")] shapes";
constexpr std::string_view kUntagged =
    "serde untagged enums are not supported by vantrel because generated schemas require an explicit _tag "
    "discriminator";
constexpr std::string_view kFlatten =
    "serde flatten is not supported by vantrel yet; use a named nested DTO field so the generated schema has an "
    "explicit shape";
constexpr std::string_view kSkip =
    "serde skip attributes are not represented in the API contract; remove skipped fields from the exported DTO "
    "or use a separate API DTO";
constexpr std::string_view kSkipIf =
    "vantrel supports only #[serde(skip_serializing_if = \"Option::is_none\")] today; other predicates would "
    "make the generated wire shape inaccurate";
constexpr std::string_view kCustomWith =
    "custom serde serializers are not supported by vantrel unless an explicit API wire-shape override is added; "
    "use a representable API DTO or newtype instead";
constexpr std::string_view kUnsupported = "unsupported serde attribute for vantrel API types";
constexpr std::string_view kSkipIfNotOption =
    "vantrel supports skip_serializing_if = \"Option::is_none\" only on Option<T> fields";

SynError error(std::string_view message, Range range) { return SynError{std::string(message), range}; }

Status fail(std::string_view message, Range range) { return base::err(error(message, range)); }

Status fail_labeled(std::string_view label, std::string_view rest, Range at) {
  return base::err(SynError{std::string(label) + std::string(rest), at});
}

/// The range of the entry that starts at token `first`: up to the last token
/// before the next top-level comma.
Range entry_range(const TokenCursor& cursor, size_t first) {
  const auto& tokens = cursor.tokens();
  Range range = tokens[first].range;
  for (size_t i = first + 1; i < tokens.size() && !tokens[i].is_punct(","); ++i) range = range.cover(tokens[i].range);
  return range;
}

/// A string literal value: the literal's text unescaped and its range.
struct StrValue {
  std::string value;
  Range range;
};

/// `= "..."` after an entry's key.
base::Result<StrValue, SynError> parse_str_value(TokenCursor& cursor) {
  if (auto eq = cursor.expect_punct("="); !eq.ok()) return base::err(std::move(eq.error()));
  const rustsyn::Token* t = cursor.peek();
  std::optional<rustsyn::Lit> lit = t ? t->lit() : std::nullopt;
  if (!lit || lit->kind() != rustsyn::LitKind::Str) return base::err(cursor.error_here("expected string literal"));
  cursor.next();
  auto value = lit->string_value();
  if (!value.ok()) return base::err(std::move(value.error()));
  return StrValue{std::move(*value), lit->range()};
}

/// Reads a `= "..."` value into `slot`.
Status set_str(TokenCursor& cursor, std::optional<std::string>& slot) {
  auto value = parse_str_value(cursor);
  if (!value.ok()) return base::err(std::move(value.error()));
  slot = std::move(value->value);
  return base::Unit{};
}

/// Reads a `= "rule"` value into `slot`.
Status set_rule(TokenCursor& cursor, std::optional<RenameRule>& slot) {
  auto value = parse_str_value(cursor);
  if (!value.ok()) return base::err(std::move(value.error()));
  auto rule = parse_rename_rule(value->value, value->range);
  if (!rule.ok()) return base::err(std::move(rule.error()));
  slot = *rule;
  return base::Unit{};
}

/// One entry `key` or `key = "value"`, applied to `out`.
Status parse_entry(TokenCursor& cursor, SerdeAttrs& out) {
  size_t first = cursor.position_index();
  auto path = cursor.parse_path();
  if (!path.ok()) return base::err(std::move(path.error()));
  std::string_view key = (!path->leading_colon && path->segments.size() == 1) ? path->segments[0].text : "";
  Range entry = entry_range(cursor, first);

  if (key == "rename") {
    const rustsyn::Token* t = cursor.peek();
    if (t && t->kind == rustsyn::TokenKind::Group) return fail(kRenameSplit, entry);
    return set_str(cursor, out.rename);
  }
  if (key == "rename_all") return set_rule(cursor, out.rename_all);
  if (key == "rename_all_fields") return set_rule(cursor, out.rename_all_fields);
  if (key == "tag") return set_str(cursor, out.tag);
  if (key == "content") return fail(kContent, entry);
  if (key == "untagged") return fail(kUntagged, entry);
  if (key == "flatten") return fail(kFlatten, entry);
  if (key == "default") {
    out.use_default = true;
    if (!cursor.peek_punct("=")) return base::Unit{};
    auto ignored = parse_str_value(cursor);  // the default function is not part of the wire shape
    if (!ignored.ok()) return base::err(std::move(ignored.error()));
    return base::Unit{};
  }
  if (key == "skip" || key == "skip_serializing" || key == "skip_deserializing") return fail(kSkip, entry);
  if (key == "alias") {
    auto value = parse_str_value(cursor);
    if (!value.ok()) return base::err(std::move(value.error()));
    out.aliases.push_back(std::move(value->value));
    return base::Unit{};
  }
  if (key == "transparent") {
    out.transparent = true;
    return base::Unit{};
  }
  if (key == "deny_unknown_fields") {
    out.deny_unknown_fields = true;
    return base::Unit{};
  }
  if (key == "skip_serializing_if") {
    auto value = parse_str_value(cursor);
    if (!value.ok()) return base::err(std::move(value.error()));
    if (!std::string_view(value->value).ends_with("Option::is_none")) return fail(kSkipIf, value->range);
    out.skip_serializing_if_none = true;
    return base::Unit{};
  }
  if (key == "serialize_with" || key == "deserialize_with" || key == "with") return fail(kCustomWith, entry);
  return fail(kUnsupported, entry);
}

/// The arguments of one `#[serde(...)]`, which must be in list form.
Status parse_serde_attribute(const rustsyn::Attribute& attr, SerdeAttrs& out) {
  if (attr.style() == rustsyn::AttrStyle::Word) {
    return fail("expected attribute arguments in parentheses: #[serde(...)]", attr.path().range);
  }
  if (attr.style() == rustsyn::AttrStyle::NameValue) {
    rustsyn::Node eq = attr.node().first_named_child().token("=");
    return fail("expected parentheses: #[serde(...)]", eq ? eq.range() : attr.range());
  }
  TokenCursor cursor = attr.args();
  while (!cursor.at_end()) {
    if (Status entry = parse_entry(cursor, out); !entry.ok()) return entry;
    if (cursor.at_end()) break;
    if (auto comma = cursor.expect_punct(","); !comma.ok()) return base::err(std::move(comma.error()));
  }
  return base::Unit{};
}

}  // namespace

base::Result<SerdeAttrs, SynError> SerdeAttrs::from_attrs(const std::vector<rustsyn::Attribute>& attrs) {
  SerdeAttrs out;
  for (const rustsyn::Attribute& attr : attrs) {
    if (attr.is_doc_comment() || !attr.path_is("serde")) continue;
    if (Status status = parse_serde_attribute(attr, out); !status.ok()) return base::err(std::move(status.error()));
  }
  return out;
}

Status validate_field(const SerdeAttrs& a, std::string_view label, Range at) {
  if (a.tag) return fail_labeled(label, " fields cannot use serde tag", at);
  if (a.rename_all || a.rename_all_fields) return fail_labeled(label, " fields cannot use serde rename_all attributes", at);
  if (a.transparent) return fail_labeled(label, " fields cannot use serde transparent", at);
  if (a.deny_unknown_fields) return fail_labeled(label, " fields cannot use serde deny_unknown_fields", at);
  return base::Unit{};
}

Status validate_enum_variant(const SerdeAttrs& a, std::string_view label, Range at) {
  if (a.tag) return fail_labeled(label, " supports serde tag only on enum containers", at);
  if (a.rename_all_fields) return fail_labeled(label, " supports serde rename_all_fields only on enum containers", at);
  if (a.use_default) return fail_labeled(label, " supports serde default only on fields", at);
  if (a.transparent) return fail_labeled(label, " enum variants cannot use serde transparent", at);
  if (a.deny_unknown_fields) return fail_labeled(label, " enum variants cannot use serde deny_unknown_fields", at);
  return base::Unit{};
}

Status validate_enum_container(const SerdeAttrs& a, std::string_view label, Range at) {
  if (a.transparent) return fail_labeled(label, " enums cannot use serde transparent", at);
  if (a.use_default) return fail_labeled(label, " supports serde default only on fields", at);
  if (a.deny_unknown_fields) {
    return fail_labeled(label,
                        " enums cannot use serde deny_unknown_fields; put it on payload DTOs with generated struct "
                        "shapes instead",
                        at);
  }
  if (!a.tag) {
    return fail_labeled(label,
                        " enums must use #[serde(tag = \"_tag\")] so Rust JSON and generated TypeScript schemas "
                        "share the same discriminator",
                        at);
  }
  if (*a.tag != "_tag") {
    return fail_labeled(label,
                        " enums support only #[serde(tag = \"_tag\")] because generated TypeScript schemas use _tag "
                        "discriminators; found tag `" +
                            *a.tag + "`",
                        at);
  }
  return base::Unit{};
}

Status validate_struct_container(const SerdeAttrs& a, std::string_view label, Range at) {
  if (a.tag) return fail_labeled(label, " supports serde tag only on enums", at);
  if (a.rename_all_fields) {
    return fail_labeled(label, " supports serde rename_all_fields only on enum containers with struct variants", at);
  }
  if (a.use_default) return fail_labeled(label, " supports serde default only on fields", at);
  return base::Unit{};
}

Status validate_newtype_container(const SerdeAttrs& a, std::string_view label, Range at) {
  if (a.tag) return fail_labeled(label, " supports serde tag only on enums", at);
  if (a.use_default) return fail_labeled(label, " supports serde default only on fields", at);
  if (a.rename_all || a.rename_all_fields) return fail_labeled(label, " newtypes cannot use serde rename_all attributes", at);
  if (a.deny_unknown_fields) {
    return fail_labeled(label, " newtypes cannot use serde deny_unknown_fields because their wire shape is the inner value",
                        at);
  }
  return base::Unit{};
}

Status validate_transparent_field(const SerdeAttrs& a, std::string_view label, Range at) {
  bool anything = a.rename || a.tag || a.rename_all || a.rename_all_fields || a.transparent ||
                  a.deny_unknown_fields || a.use_default || a.skip_serializing_if_none || !a.aliases.empty();
  if (anything) {
    return fail_labeled(label,
                        " serde transparent fields must not carry serde field-shape attributes because the exported "
                        "wire shape is the inner value",
                        at);
  }
  return base::Unit{};
}

std::optional<rustsyn::Type> option_inner_type(const rustsyn::Type& ty) {
  if (ty.kind() != rustsyn::TypeKind::Path) return std::nullopt;
  std::optional<rustsyn::TypePath> path = ty.path();
  if (!path || !path->last() || path->last()->ident.text != "Option" || !path->last()->has_angle_args()) {
    return std::nullopt;
  }
  std::vector<rustsyn::GenericArg> args = path->last()->generic_args();
  if (args.size() != 1 || args[0].kind != rustsyn::GenericArg::Kind::Type) return std::nullopt;
  return args[0].type();
}

base::Result<FieldWireShape, SynError> FieldWireShape::from_type(const rustsyn::Type& field_type,
                                                                 const SerdeAttrs& attrs) {
  using model::Optionality;
  std::optional<rustsyn::Type> inner = option_inner_type(field_type);
  if (attrs.skip_serializing_if_none) {
    if (!inner) return base::err(error(kSkipIfNotOption, field_type.range()));
    return FieldWireShape{*inner, Optionality::OptionalNullable};
  }
  if (attrs.use_default) {
    if (inner) return FieldWireShape{*inner, Optionality::OptionalNullable};
    return FieldWireShape{field_type, Optionality::Optional};
  }
  if (inner) return FieldWireShape{*inner, Optionality::Nullable};
  return FieldWireShape{field_type, Optionality::Required};
}

}  // namespace vantrel::syntax
