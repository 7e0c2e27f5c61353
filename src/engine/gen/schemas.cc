// Schema lowering: API types become a TypeScript type plus an Effect Schema
// value of the same name, API errors become tagged error classes, a union
// and a status decoder. Unrepresentable input (recursion, an error used as a
// field type) is reported as a diagnostic and lowering goes on.
#include "engine/gen/schemas.h"

#include <algorithm>
#include <map>
#include <type_traits>
#include <unordered_map>

namespace vantrel::engine::gen {

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

/// Every Named reference inside `ty`, in walk order (duplicates kept).
void named_refs(const model::TypeExpr& ty, std::vector<const model::TypeExpr::Named*>& refs) {
  std::visit(Overloaded{
                 [&](const model::TypeExpr::Named& named) { refs.push_back(&named); },
                 [&](const model::TypeExpr::Option& option) { named_refs(*option.inner, refs); },
                 [&](const model::TypeExpr::List& list) { named_refs(*list.inner, refs); },
                 [&](const model::TypeExpr::Map& map) {
                   named_refs(*map.key, refs);
                   named_refs(*map.value, refs);
                 },
                 [](const auto&) {},
             },
             ty.value);
}

bool is_nullable(model::Optionality o) {
  return o == model::Optionality::Nullable || o == model::Optionality::OptionalNullable;
}
bool is_optional(model::Optionality o) {
  return o == model::Optionality::Optional || o == model::Optionality::OptionalNullable;
}

}  // namespace

std::string object_key(std::string_view name) {
  bool plain = !name.empty() && (is_ascii_letter(name[0]) || name[0] == '_' || name[0] == '$') &&
               std::all_of(name.begin(), name.end(),
                           [](char c) { return is_ascii_letter(c) || is_ascii_digit(c) || c == '_' || c == '$'; });
  if (plain) return std::string(name);
  return string_literal(name);
}

void collect_named(const model::TypeExpr& ty, NameSet& names) {
  std::vector<const model::TypeExpr::Named*> refs;
  named_refs(ty, refs);
  for (const auto* named : refs) names.insert(named->name);
}

std::string Lowering::ts_type(const model::TypeExpr& ty, EndpointImports& imports) const {
  return std::visit(Overloaded{
                        [](model::Primitive p) -> std::string {
                          if (p == model::Primitive::Bool) return "boolean";
                          if (p == model::Primitive::String) return "string";
                          return "number";
                        },
                        [](model::ExternalType e) -> std::string {
                          return e == model::ExternalType::JsonValue ? "unknown" : "string";
                        },
                        [&](const model::TypeExpr::Named& named) -> std::string {
                          imports.schemas.insert(named.name);
                          return named.name;
                        },
                        [&](const model::TypeExpr::Option& option) -> std::string {
                          return ts_type(*option.inner, imports) + " | null";
                        },
                        [&](const model::TypeExpr::List& list) -> std::string {
                          return "ReadonlyArray<" + ts_type(*list.inner, imports) + ">";
                        },
                        [&](const model::TypeExpr::Map& map) -> std::string {
                          return "Readonly<Record<string, " + ts_type(*map.value, imports) + ">>";
                        },
                    },
                    ty.value);
}

Expr Lowering::schema_expr(const model::TypeExpr& ty) {
  return std::visit(Overloaded{
                        [](model::Primitive p) -> Expr {
                          if (p == model::Primitive::Bool) return Expr::raw("Schema.Boolean");
                          if (p == model::Primitive::String) return Expr::raw("Schema.String");
                          return Expr::raw("Schema.Number");
                        },
                        [](model::ExternalType e) -> Expr {
                          return Expr::raw(e == model::ExternalType::JsonValue ? "Schema.Unknown" : "Schema.String");
                        },
                        [&](const model::TypeExpr::Named& named) -> Expr {
                          for (const auto& error : contract_.errors) {
                            if (error.id == named.id) {
                              diagnostics_.push_back(model::Diagnostic::error(
                                  "error-as-type", "API error `" + named.name +
                                                       "` is used as a field type; declare a separate Api enum instead"));
                              break;
                            }
                          }
                          return Expr::raw(named.name);
                        },
                        [&](const model::TypeExpr::Option& option) -> Expr {
                          return Expr::call("Schema.NullOr", exprs(schema_expr(*option.inner)));
                        },
                        [&](const model::TypeExpr::List& list) -> Expr {
                          return Expr::call("Schema.Array", exprs(schema_expr(*list.inner)));
                        },
                        [&](const model::TypeExpr::Map& map) -> Expr {
                          return Expr::call("Schema.Record",
                                            exprs(Expr::raw("Schema.String"), schema_expr(*map.value)));
                        },
                    },
                    ty.value);
}

Expr Lowering::schema_expr_imported(const model::TypeExpr& ty, EndpointImports& imports) {
  NameSet names;
  collect_named(ty, names);
  imports.schemas.insert(names.begin(), names.end());
  if (!std::holds_alternative<model::TypeExpr::Named>(ty.value)) imports.compat.insert("Schema");
  return schema_expr(ty);
}

std::vector<const model::TypeDecl*> Lowering::topo_sorted_types() {
  enum class State { Visiting, Done };
  std::unordered_map<std::string, const model::TypeDecl*> by_id;
  for (const auto& decl : contract_.types) by_id.emplace(decl.id.str(), &decl);
  std::unordered_map<const model::TypeDecl*, State> state;
  bool reported = false;
  std::vector<const model::TypeDecl*> order;

  auto references = [](const model::TypeDecl& decl) {
    std::vector<const model::TypeExpr::Named*> refs;
    std::visit(Overloaded{
                   [&](const model::TypeShape::Struct& s) {
                     for (const auto& field : s.fields) named_refs(field.ty, refs);
                   },
                   [&](const model::TypeShape::Enum& e) {
                     for (const auto& variant : e.variants)
                       for (const auto& field : variant.fields) named_refs(field.ty, refs);
                   },
                   [&](const model::TypeShape::Newtype& n) { named_refs(n.inner, refs); },
               },
               decl.shape.value);
    return refs;
  };

  // Depth-first; contract types are few and shallow enough that recursion
  // depth is bounded by the longest dependency chain.
  auto visit = [&](auto& self, const model::TypeDecl& decl) -> void {
    auto found = state.find(&decl);
    if (found != state.end()) {
      if (found->second == State::Visiting && !reported) {
        reported = true;
        diagnostics_.push_back(model::Diagnostic::error(
            "recursive-type",
            "API type `" + decl.ts_name + "` is recursive; recursive types are not supported by the generator yet",
            decl.spans.name));
      }
      return;
    }
    state.emplace(&decl, State::Visiting);
    for (const auto* ref : references(decl)) {
      auto target = by_id.find(ref->id.str());
      if (target != by_id.end()) self(self, *target->second);
    }
    state[&decl] = State::Done;
    order.push_back(&decl);
  };
  for (const auto& decl : contract_.types) visit(visit, decl);
  return order;
}

namespace {

InterfaceField interface_field(const Lowering& lowering, const model::Field& field) {
  EndpointImports scratch;
  std::string ty = lowering.ts_type(field.ty, scratch);
  if (is_nullable(field.optionality)) ty += " | null";
  return InterfaceField{object_key(field.wire_name), std::move(ty), field.docs, mark(field.id, MarkKind::Field),
                        is_optional(field.optionality)};
}

ObjectEntry object_entry(Lowering& lowering, const model::Field& field) {
  Expr value = lowering.schema_expr(field.ty);
  if (is_nullable(field.optionality)) value = Expr::call("Schema.NullOr", exprs(std::move(value)));
  if (is_optional(field.optionality)) value = Expr::call("Schema.optionalKey", exprs(std::move(value)));
  return ObjectEntry{object_key(field.wire_name), mark(field.id, MarkKind::FieldKey), std::move(value)};
}

std::vector<InterfaceField> interface_fields(const Lowering& lowering, const std::vector<model::Field>& fields) {
  std::vector<InterfaceField> result;
  for (const auto& field : fields) result.push_back(interface_field(lowering, field));
  return result;
}

std::vector<ObjectEntry> object_entries(Lowering& lowering, const std::vector<model::Field>& fields) {
  std::vector<ObjectEntry> result;
  for (const auto& field : fields) result.push_back(object_entry(lowering, field));
  return result;
}

std::string joined(const std::vector<std::string>& names, std::string_view separator) {
  std::string out;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) out += separator;
    out += names[i];
  }
  return out;
}

}  // namespace

void Lowering::type_items(const model::TypeDecl& decl, std::vector<Item>& items) {
  items.push_back(Item::blank());
  std::visit(
      Overloaded{
          [&](const model::TypeShape::Struct& s) {
            items.push_back(Item{Item::Interface{decl.ts_name, interface_fields(*this, s.fields), decl.docs,
                                                 mark(decl.id, MarkKind::Type)}});
            items.push_back(Item{Item::Const{decl.ts_name, std::nullopt, mark(decl.id, MarkKind::Type),
                                             Expr::call("Schema.Struct",
                                                        exprs(Expr::object(object_entries(*this, s.fields)))),
                                             false}});
          },
          [&](const model::TypeShape::Enum& e) {
            std::vector<std::string> names;
            for (const auto& variant : e.variants) {
              std::vector<InterfaceField> fields;
              fields.push_back(InterfaceField{"_tag", string_literal(variant.wire_name), std::nullopt,
                                              mark(variant.id, MarkKind::EnumVariant), false});
              for (auto& field : interface_fields(*this, variant.fields)) fields.push_back(std::move(field));
              names.push_back(decl.ts_name + variant.rust_name);
              items.push_back(Item{Item::Interface{names.back(), std::move(fields), variant.docs, std::nullopt}});
            }
            // An enum without variants has no values; "never" keeps the file valid.
            std::string alias = names.empty() ? "never" : joined(names, " | ");
            items.push_back(Item{Item::TypeAlias{decl.ts_name, std::move(alias), decl.docs,
                                                 mark(decl.id, MarkKind::Type)}});
            std::vector<Expr> members;
            for (const auto& variant : e.variants) {
              std::vector<ObjectEntry> entries;
              entries.push_back(ObjectEntry{"_tag", mark(variant.id, MarkKind::EnumVariant),
                                            Expr::call("Schema.Literal", exprs(Expr::str(variant.wire_name)))});
              for (auto& entry : object_entries(*this, variant.fields)) entries.push_back(std::move(entry));
              members.push_back(Expr::call("Schema.Struct", exprs(Expr::object(std::move(entries)))));
            }
            items.push_back(Item{Item::Const{decl.ts_name, std::nullopt, mark(decl.id, MarkKind::Type),
                                             Expr::call("Schema.Union", exprs(Expr::array(std::move(members)))),
                                             false}});
          },
          [&](const model::TypeShape::Newtype& n) {
            EndpointImports scratch;
            items.push_back(
                Item{Item::TypeAlias{decl.ts_name, ts_type(n.inner, scratch), decl.docs, mark(decl.id, MarkKind::Type)}});
            items.push_back(Item{Item::Const{decl.ts_name, std::nullopt, mark(decl.id, MarkKind::Type),
                                             schema_expr(n.inner), false}});
          },
      },
      decl.shape.value);
}

void Lowering::error_items(const model::ErrorDecl& decl, std::vector<Item>& items) {
  std::vector<std::string> tags;
  for (const auto& variant : decl.variants) {
    items.push_back(Item::blank());
    Expr factory = Expr::call_expr(Expr::raw("Schema.TaggedErrorClass<" + variant.tag + ">"), exprs());
    Expr extends = Expr::call_expr(std::move(factory),
                                   exprs(Expr::str(variant.tag), Expr::object(object_entries(*this, variant.fields))));
    items.push_back(
        Item{Item::Class{variant.tag, variant.docs, mark(variant.id, MarkKind::ErrorVariant), std::move(extends)}});
    tags.push_back(variant.tag);
  }
  items.push_back(Item::blank());
  // An error without variants can never be decoded; "never" and a decoder
  // without cases keep the file valid.
  std::string alias = tags.empty() ? "never" : joined(tags, " | ");
  items.push_back(Item{Item::TypeAlias{decl.ts_name, std::move(alias), decl.docs, mark(decl.id, MarkKind::Error)}});
  std::vector<Expr> members;
  for (const auto& tag : tags) members.push_back(Expr::raw(tag));
  items.push_back(Item{Item::Const{decl.ts_name, std::nullopt, mark(decl.id, MarkKind::Error),
                                   Expr::call("Schema.Union", exprs(Expr::array(std::move(members)))), false}});

  std::vector<uint16_t> statuses;
  for (const auto& variant : decl.variants) statuses.push_back(variant.status);
  std::sort(statuses.begin(), statuses.end());
  statuses.erase(std::unique(statuses.begin(), statuses.end()), statuses.end());
  std::vector<std::string> cases;
  for (auto status : statuses) cases.push_back("    case " + std::to_string(status) + ":");
  const std::string& name = decl.ts_name;
  std::string decode_cases;
  if (!cases.empty()) decode_cases = joined(cases, "\n") + "\n      return decodeWithSchema(input, " + name + ")\n";
  items.push_back(Item{Item::Raw{"export const decode" + name +
                                 " = (\n  status: number,\n  input: unknown,\n): Effect.Effect<" + name +
                                 ", ApiClientError> | undefined => {\n  switch (status) {\n" + decode_cases +
                                 "    default:\n      return undefined\n  }\n}"}});
}

}  // namespace vantrel::engine::gen
