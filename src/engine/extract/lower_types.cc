// Type lowering. `lower_type` never lowers a declaration itself: naming one
// only queues it, so recursion follows the nesting of one written type (and
// of the aliases it expands), which `kMaxTypeDepth` bounds. Declarations get a
// provisional entry before their body is lowered, so recursive types and a
// queue holding the same pair many times cost nothing extra.
#include "engine/extract/lower_types.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "rustsyn/tokens.h"
#include "syntax/api_attr.h"
#include "syntax/endpoint.h"
#include "syntax/serde_attrs.h"
#include "syntax/syntax.h"

namespace vantrel::engine::extract {

namespace {

using model::TypeExpr;

/// Whether `name` can stand as a class name in generated TypeScript: an
/// identifier (non-ASCII characters are let through as identifier letters)
/// that is not a reserved word.
bool is_class_name(std::string_view name) {
  static constexpr std::array<std::string_view, 46> kReserved = {
      "await",    "break",     "case",     "catch",     "class",   "const",   "continue",  "debugger",
      "default",  "delete",    "do",       "else",      "enum",    "export",  "extends",   "false",
      "finally",  "for",       "function", "if",        "implements", "import", "in",     "instanceof",
      "interface", "let",      "new",      "null",      "package", "private", "protected", "public",
      "return",   "static",    "super",    "switch",    "this",    "throw",   "true",      "try",
      "typeof",   "var",       "void",     "while",     "with",    "yield"};
  auto identifier_start = [](unsigned char c) { return std::isalpha(c) || c == '_' || c == '$' || c >= 0x80; };
  if (name.empty() || !identifier_start(static_cast<unsigned char>(name.front()))) return false;
  for (unsigned char c : name) {
    if (!identifier_start(c) && !std::isdigit(c)) return false;
  }
  return std::find(kReserved.begin(), kReserved.end(), name) == kReserved.end();
}

/// The Rust path string `a::b::Name` of a declaration.
std::string joined_path(const ModulePath& module, std::string_view name) {
  std::string out;
  for (const std::string& segment : module) {
    out += segment;
    out += "::";
  }
  out += name;
  return out;
}

std::vector<std::string> rust_path_of(const ModulePath& module, const std::string& name) {
  std::vector<std::string> path = module;
  path.push_back(name);
  return path;
}

model::SymbolId decl_id(std::string_view kind, const ModulePath& module, const std::string& name) {
  return model::SymbolId::from_parts(kind, rust_path_of(module, name));
}

bool is_wide_int(model::Primitive p) {
  switch (p) {
    case model::Primitive::I64:
    case model::Primitive::U64:
    case model::Primitive::I128:
    case model::Primitive::U128:
    case model::Primitive::Usize:
    case model::Primitive::Isize:
      return true;
    default:
      return false;
  }
}

bool is_type_primitive_string(const TypeExpr& expr) {
  const auto* p = std::get_if<model::Primitive>(&expr.value);
  return p && *p == model::Primitive::String;
}

/// Removes the parentheses around a type, however many.
rustsyn::Type strip_parens(rustsyn::Type ty) {
  while (ty.kind() == rustsyn::TypeKind::Paren) {
    std::optional<rustsyn::Type> inner = ty.elem();
    if (!inner || inner->node().is_null()) break;
    ty = *inner;
  }
  return ty;
}

/// Keeps the depth counter balanced on every return path.
class DepthGuard {
 public:
  explicit DepthGuard(int& depth) : depth_(depth) { ++depth_; }
  ~DepthGuard() { --depth_; }
  DepthGuard(const DepthGuard&) = delete;
  DepthGuard& operator=(const DepthGuard&) = delete;

 private:
  int& depth_;
};

model::DeclSpans decl_spans(const std::string& file, const rustsyn::Ident& name, const rustsyn::Item& item) {
  return model::DeclSpans{span_of(file, name), span_of(file, item), std::nullopt};
}

}  // namespace

std::vector<std::string> path_segments(const rustsyn::TypePath& path) {
  std::vector<std::string> out;
  out.reserve(path.segments.size());
  for (const rustsyn::PathSegment& segment : path.segments) out.emplace_back(segment.ident.text);
  return out;
}

void Lowering::push_syn_error(const std::string& file, const rustsyn::SynError& error) {
  diagnostics.push_back(model::Diagnostic::error("invalid-api-item", error.message, span_of(file, error.range)));
}

void Lowering::unresolved_type(const std::string& file, const rustsyn::Type& ty, std::string_view hint) {
  std::string text = rustsyn::print_tokens(ty.node());
  text.erase(std::remove(text.begin(), text.end(), ' '), text.end());
  diagnostics.push_back(model::Diagnostic::error(
      "unresolved-type", "cannot resolve `" + text + "` in an API position; " + std::string(hint), span_of(file, ty)));
}

Entity Lowering::resolve_stripped(const ModulePath& module, const rustsyn::TypePath& path) const {
  return resolver.resolve_path_inner(module, path_segments(path), 0);
}

std::optional<FoundItem> Lowering::find_item(const ModulePath& module, std::string_view name) const {
  const ModuleData* data = modules().find(module);
  if (!data) return std::nullopt;
  auto it = data->named.find(name);
  if (it == data->named.end()) return std::nullopt;
  const ItemSyntax* syntax = data->syntax[it->second].get();
  return FoundItem{&data->items[it->second], &data->file, data->api_kinds[it->second],
                   syntax && syntax->decl ? &*syntax->decl : nullptr};
}

std::optional<TypeExpr> Lowering::lower_type(const ModulePath& module, const std::string& file,
                                             const rustsyn::Type& written) {
  if (depth_ >= kMaxTypeDepth) {
    // Deliberately not printing the type: at this depth its text is as large
    // as the input that caused the problem.
    diagnostics.push_back(model::Diagnostic::error(
        "unresolved-type",
        "cannot resolve a type nested deeper than " + std::to_string(kMaxTypeDepth) +
            " levels in an API position; use a supported API type",
        span_of(file, written)));
    return std::nullopt;
  }
  DepthGuard guard(depth_);
  rustsyn::Type ty = strip_parens(written);
  std::optional<rustsyn::TypePath> path =
      ty.kind() == rustsyn::TypeKind::Path ? ty.path() : std::optional<rustsyn::TypePath>();
  if (!path || path->qself || path->segments.empty()) {
    unresolved_type(file, ty, "use a supported API type");
    return std::nullopt;
  }
  const rustsyn::PathSegment& last = path->segments.back();
  if (last.has_angle_args()) return lower_generic(module, file, ty, *path);
  if (path->segments.size() == 1) {
    if (std::optional<model::Primitive> p = model::primitive_from_rust_name(last.ident.text)) {
      if (is_wide_int(*p)) {
        diagnostics.push_back(model::Diagnostic::warning(
            "imprecise-int",
            "`" + std::string(last.ident.text) +
                "` maps to TypeScript `number`, which loses precision beyond 2^53; consider i32/u32 or a "
                "string-typed newtype",
            span_of(file, ty)));
      }
      return TypeExpr::primitive(*p);
    }
  }
  return lower_resolved(module, file, ty, *path);
}

std::optional<TypeExpr> Lowering::lower_generic(const ModulePath& module, const std::string& file,
                                                const rustsyn::Type& ty, const rustsyn::TypePath& path) {
  std::string_view name = path.segments.back().ident.text;
  std::vector<rustsyn::Type> args = path.segments.back().type_args();
  if (args.size() == 1 && (name == "Vec" || name == "Box" || name == "Option")) {
    std::optional<TypeExpr> inner = lower_type(module, file, args[0]);
    if (!inner) return std::nullopt;
    if (name == "Vec") return TypeExpr::list(std::move(*inner));
    if (name == "Option") return TypeExpr::option(std::move(*inner));
    return inner;
  }
  if (args.size() == 2 && (name == "HashMap" || name == "BTreeMap")) {
    std::optional<TypeExpr> key = lower_type(module, file, args[0]);
    if (!key) return std::nullopt;
    if (!is_type_primitive_string(*key)) {
      diagnostics.push_back(
          model::Diagnostic::error("invalid-map-key", "API map keys must be String", span_of(file, args[0])));
      return std::nullopt;
    }
    std::optional<TypeExpr> value = lower_type(module, file, args[1]);
    if (!value) return std::nullopt;
    return TypeExpr::map(std::move(*key), std::move(*value));
  }
  if (args.size() == 1 && name == "DateTime") {
    Entity entity = resolve_stripped(module, path);
    if (!entity.is(Entity::Kind::External) || entity.external != model::ExternalType::DateTimeUtc) {
      unresolved_type(file, ty, "use chrono::DateTime<Utc>");
      return std::nullopt;
    }
    rustsyn::Type arg = strip_parens(args[0]);
    std::optional<std::string_view> zone =
        arg.kind() == rustsyn::TypeKind::Path ? arg.last_ident() : std::optional<std::string_view>();
    if (!zone || *zone != "Utc") {
      diagnostics.push_back(model::Diagnostic::error("invalid-datetime", "only chrono::DateTime<Utc> is supported",
                                                     span_of(file, ty)));
      return std::nullopt;
    }
    return TypeExpr::external(model::ExternalType::DateTimeUtc);
  }
  unresolved_type(file, ty, "generic API types are not supported");
  return std::nullopt;
}

std::optional<TypeExpr> Lowering::lower_resolved(const ModulePath& module, const std::string& file,
                                                 const rustsyn::Type& ty, const rustsyn::TypePath& path) {
  std::vector<std::string> segments = path_segments(path);
  Entity entity = resolver.resolve_path_inner(module, segments, 0);
  if (entity.is(Entity::Kind::External)) return TypeExpr::external(entity.external);
  if (!entity.is(Entity::Kind::Item)) {
    static const std::vector<std::string> kStd = {"std", "string", "String"};
    static const std::vector<std::string> kAlloc = {"alloc", "string", "String"};
    if (segments == kStd || segments == kAlloc) return TypeExpr::primitive(model::Primitive::String);
    unresolved_type(file, ty, "derive Api on it (in this workspace) or use a supported type");
    return std::nullopt;
  }
  std::optional<FoundItem> found = find_item(entity.module, entity.name);
  if (!found) {
    unresolved_type(file, ty, "item not found");
    return std::nullopt;
  }
  if (found->item->kind() == rustsyn::ItemKind::TypeAlias) {
    return expand_alias(entity.module, entity.name, *found, file, ty);
  }
  std::optional<ApiKind> kind = found->api;
  if (!kind) {
    diagnostics.push_back(model::Diagnostic::error(
        "missing-api-derive", "`" + entity.name + "` is used in an API position but does not derive Api or ApiError",
        span_of(file, ty)));
    return std::nullopt;
  }
  model::SymbolId id = decl_id(*kind == ApiKind::Api ? "type" : "error", entity.module, entity.name);
  queue.push_back(QueuedDecl{entity.module, entity.name});
  return TypeExpr::named(std::move(id), entity.name);
}

std::optional<TypeExpr> Lowering::expand_alias(const ModulePath& module, const std::string& name,
                                               const FoundItem& found, const std::string& file,
                                               const rustsyn::Type& ty) {
  bool cycle = std::any_of(alias_stack.begin(), alias_stack.end(),
                           [&](const QueuedDecl& entry) { return entry.module == module && entry.name == name; });
  if (cycle) {
    diagnostics.push_back(model::Diagnostic::error("alias-cycle", "type alias cycle while resolving `" + name + "`",
                                                   span_of(file, ty)));
    return std::nullopt;
  }
  std::optional<rustsyn::Type> target = rustsyn::TypeAliasItem(found.item->node()).ty();
  if (!target) {
    unresolved_type(file, ty, "use a supported API type");
    return std::nullopt;
  }
  alias_stack.push_back(QueuedDecl{module, name});
  std::optional<TypeExpr> result = lower_type(module, *found.file, *target);
  alias_stack.pop_back();
  return result;
}

void Lowering::absorb(Lowering other) {
  types.merge(other.types);
  errors.merge(other.errors);
  diagnostics.insert(diagnostics.end(), std::make_move_iterator(other.diagnostics.begin()),
                     std::make_move_iterator(other.diagnostics.end()));
  queue.insert(queue.end(), std::make_move_iterator(other.queue.begin()),
               std::make_move_iterator(other.queue.end()));
}

void Lowering::drain_type_queue() {
  while (!queue.empty()) {
    QueuedDecl next = std::move(queue.front());
    queue.pop_front();
    lower_named_decl(next.module, next.name);
  }
}

void Lowering::lower_named_decl(const ModulePath& module, const std::string& name) {
  std::optional<FoundItem> found = find_item(module, name);
  if (!found) return;
  std::optional<ApiKind> kind = found->api;
  if (kind == ApiKind::Api) lower_api_decl(module, name, *found);
  if (kind == ApiKind::ApiError && found->item->kind() == rustsyn::ItemKind::Enum) {
    lower_error_decl(module, name, *found);
  }
}

void Lowering::lower_api_decl(const ModulePath& module, const std::string& name, const FoundItem& found) {
  model::SymbolId id = decl_id("type", module, name);
  if (types.count(id)) return;
  const rustsyn::Item& item = *found.item;
  const std::string& file = *found.file;
  const DeclSyntax& decl = *found.syntax;
  const rustsyn::Ident& ident = decl.ident;

  model::TypeDecl provisional;
  provisional.id = id;
  provisional.rust_path = rust_path_of(module, name);
  provisional.rust_name = name;
  provisional.ts_name = name;
  provisional.shape = model::TypeShape{model::TypeShape::Struct{}};
  provisional.docs = decl.docs;
  provisional.spans = decl_spans(file, ident, item);
  types.emplace(id, std::move(provisional));

  if (auto ok = syntax::reject_generics(decl.generics, "Api types"); !ok.ok()) return push_syn_error(file, ok.error());
  const auto& serde = decl.serde;
  if (!serde.ok()) return push_syn_error(file, serde.error());

  std::string path_string = joined_path(module, name);
  model::TypeShape shape;
  if (item.kind() == rustsyn::ItemKind::Struct) {
    const rustsyn::Fields& fields = decl.fields;
    if (fields.kind == rustsyn::FieldsKind::Named) {
      if (auto ok = syntax::validate_struct_container(*serde, "Api", ident.range); !ok.ok()) {
        return push_syn_error(file, ok.error());
      }
      if (!serde->transparent) {
        shape.value = model::TypeShape::Struct{
            lower_fields(module, file, fields, decl.field_syntax, serde->rename_all, path_string, name)};
      } else {
        if (fields.list.size() != 1) {
          diagnostics.push_back(model::Diagnostic::error(
              "invalid-api-item", "serde transparent Api structs must contain exactly one field", span_of(file, ident)));
          return;
        }
        const rustsyn::Field& field = fields.list.front();
        const auto& field_serde = decl.field_syntax.front()->serde;
        if (!field_serde.ok()) return push_syn_error(file, field_serde.error());
        if (auto ok = syntax::validate_transparent_field(*field_serde, "Api", field.full_range); !ok.ok()) {
          return push_syn_error(file, ok.error());
        }
        std::optional<TypeExpr> inner = lower_type(module, file, field.ty);
        if (!inner) return;
        shape.value = model::TypeShape::Newtype{std::move(*inner)};
      }
    } else if (fields.kind == rustsyn::FieldsKind::Tuple && fields.list.size() == 1) {
      if (auto ok = syntax::validate_newtype_container(*serde, "Api", ident.range); !ok.ok()) {
        return push_syn_error(file, ok.error());
      }
      std::optional<TypeExpr> inner = lower_type(module, file, fields.list.front().ty);
      if (!inner) return;
      shape.value = model::TypeShape::Newtype{std::move(*inner)};
    } else {
      diagnostics.push_back(model::Diagnostic::error(
          "invalid-api-item", "Api tuple structs must contain exactly one field", span_of(file, ident)));
      return;
    }
  } else {
    if (auto ok = syntax::validate_enum_container(*serde, "Api", ident.range); !ok.ok()) {
      return push_syn_error(file, ok.error());
    }
    model::TypeShape::Enum variants;
    for (const VariantSyntax& variant : decl.variants) {
      std::optional<model::EnumVariant> lowered =
          lower_enum_variant(module, file, variant, serde->rename_all, serde->rename_all_fields, path_string, "Api");
      if (lowered) variants.variants.push_back(std::move(*lowered));
    }
    shape.value = std::move(variants);
  }
  types[id].shape = std::move(shape);
}

void Lowering::lower_error_decl(const ModulePath& module, const std::string& name, const FoundItem& found) {
  model::SymbolId id = decl_id("error", module, name);
  if (errors.count(id)) return;
  const rustsyn::Item& item = *found.item;
  const std::string& file = *found.file;
  const DeclSyntax& decl = *found.syntax;
  const rustsyn::Ident& ident = decl.ident;

  model::ErrorDecl provisional;
  provisional.id = id;
  provisional.rust_path = rust_path_of(module, name);
  provisional.rust_name = name;
  provisional.ts_name = name;
  provisional.docs = decl.docs;
  provisional.spans = decl_spans(file, ident, item);
  errors.emplace(id, std::move(provisional));

  if (auto ok = syntax::reject_generics(decl.generics, "ApiError enums"); !ok.ok()) {
    return push_syn_error(file, ok.error());
  }
  const auto& serde = decl.serde;
  if (!serde.ok()) return push_syn_error(file, serde.error());
  if (auto ok = syntax::validate_enum_container(*serde, "ApiError", ident.range); !ok.ok()) {
    return push_syn_error(file, ok.error());
  }

  std::string path_string = joined_path(module, name);
  std::vector<model::ErrorVariant> variants;
  for (const VariantSyntax& variant : decl.variants) {
    const auto& status = *variant.status;
    if (!status.ok()) {
      push_syn_error(file, status.error());
      continue;
    }
    std::optional<model::EnumVariant> lowered = lower_enum_variant(
        module, file, variant, serde->rename_all, serde->rename_all_fields, path_string, "ApiError");
    if (!lowered) continue;
    if (!is_class_name(lowered->wire_name)) {
      // The tag is also the generated error class's name: a renamed tag such
      // as "not-found" or "delete" would make the whole package invalid.
      diagnostics.push_back(model::Diagnostic::error(
          "invalid-api-item",
          "ApiError variant tag `" + lowered->wire_name +
              "` cannot name a generated TypeScript error class; rename it to an identifier such as `" +
              lowered->rust_name + "`",
          lowered->spans.name));
      continue;
    }
    model::ErrorVariant out;
    out.id = model::SymbolId::from_parts("error_variant", {path_string, lowered->rust_name});
    out.rust_name = std::move(lowered->rust_name);
    out.tag = std::move(lowered->wire_name);
    out.status = status->status;
    out.fields = std::move(lowered->fields);
    out.docs = std::move(lowered->docs);
    out.spans = std::move(lowered->spans);
    variants.push_back(std::move(out));
  }
  errors[id].variants = std::move(variants);
}

std::optional<model::EnumVariant> Lowering::lower_enum_variant(const ModulePath& module, const std::string& file,
                                                               const VariantSyntax& read,
                                                               std::optional<syntax::RenameRule> name_rule,
                                                               std::optional<syntax::RenameRule> field_rule,
                                                               const std::string& enum_path, std::string_view label) {
  const rustsyn::Variant& variant = read.variant;
  const auto& serde = read.serde;
  if (!serde.ok()) {
    push_syn_error(file, serde.error());
    return std::nullopt;
  }
  if (auto ok = syntax::validate_enum_variant(*serde, label, variant.full_range()); !ok.ok()) {
    push_syn_error(file, ok.error());
    return std::nullopt;
  }
  std::string rust_name(variant.name.text);
  model::EnumVariant out;
  out.id = model::SymbolId::from_parts("enum_variant", {enum_path, rust_name});
  out.wire_name = serde->rename ? *serde->rename : syntax::apply_rename_rule(rust_name, name_rule);
  switch (variant.fields.kind) {
    case rustsyn::FieldsKind::Named:
      out.fields = lower_fields(module, file, variant.fields, read.fields,
                                serde->rename_all ? serde->rename_all : field_rule, enum_path, rust_name);
      break;
    case rustsyn::FieldsKind::Unit:
      break;
    case rustsyn::FieldsKind::Tuple:
      diagnostics.push_back(model::Diagnostic::error(
          "invalid-api-item", std::string(label) + " enum variants must be unit or named-field variants",
          span_of(file, variant)));
      return std::nullopt;
  }
  out.rust_name = std::move(rust_name);
  out.docs = read.docs;
  out.spans = model::DeclSpans{span_of(file, variant.name), span_of(file, variant), std::nullopt};
  return out;
}

std::vector<model::Field> Lowering::lower_fields(const ModulePath& module, const std::string& file,
                                                 const rustsyn::Fields& fields, const FieldsSyntax& read_fields,
                                                 std::optional<syntax::RenameRule> rule,
                                                 const std::string& owner_path, const std::string& owner) {
  std::vector<model::Field> out;
  out.reserve(fields.list.size());
  for (size_t i = 0; i < fields.list.size(); ++i) {
    const rustsyn::Field& field = fields.list[i];
    if (!field.name) continue;
    const FieldSyntax& read = *read_fields[i];
    const auto& serde = read.serde;
    if (!serde.ok()) {
      push_syn_error(file, serde.error());
      continue;
    }
    if (auto ok = syntax::validate_field(*serde, "Api", field.full_range); !ok.ok()) {
      push_syn_error(file, ok.error());
      continue;
    }
    const auto& shape = *read.shape;
    if (!shape.ok()) {
      push_syn_error(file, shape.error());
      continue;
    }
    std::optional<TypeExpr> ty = lower_type(module, file, shape->ty);
    if (!ty) continue;
    std::string rust_name(field.name->text);
    model::Field lowered;
    lowered.id = model::SymbolId::from_parts("field", {owner_path, owner, rust_name});
    lowered.wire_name = serde->rename ? *serde->rename : syntax::apply_rename_rule(rust_name, rule);
    lowered.rust_name = std::move(rust_name);
    lowered.ty = std::move(*ty);
    lowered.optionality = shape->optionality;
    lowered.docs = read.docs;
    lowered.spans = model::DeclSpans{span_of(file, *field.name), span_of(file, field), std::nullopt};
    out.push_back(std::move(lowered));
  }
  return out;
}

}  // namespace vantrel::engine::extract
