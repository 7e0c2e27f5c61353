// Reads every piece of a declaration's syntax that lowering consults, in one
// pass over the item.
#include "engine/extract/decl_syntax.h"

#include <utility>

#include "syntax/syntax.h"

namespace vantrel::engine::extract {

FieldsSyntax read_fields_syntax(const rustsyn::Fields& fields) {
  FieldsSyntax out;
  out.reserve(fields.list.size());
  for (const rustsyn::Field& field : fields.list) {
    if (!field.name) {
      out.emplace_back();
      continue;
    }
    FieldSyntax read{syntax::SerdeAttrs::from_attrs(field.attrs), std::nullopt, syntax::doc_string(field.attrs)};
    if (read.serde.ok()) read.shape = syntax::FieldWireShape::from_type(field.ty, *read.serde);
    out.emplace_back(std::move(read));
  }
  return out;
}

DeclSyntax read_decl_syntax(const rustsyn::Item& item, bool api_error) {
  bool is_struct = item.kind() == rustsyn::ItemKind::Struct;
  rustsyn::StructItem as_struct(item.node());
  rustsyn::EnumItem as_enum(item.node());
  DeclSyntax decl{is_struct ? as_struct.name() : as_enum.name(),
                  is_struct ? as_struct.generics() : as_enum.generics(),
                  syntax::SerdeAttrs::from_attrs(item.attrs()),
                  syntax::doc_string(item.attrs()),
                  {},
                  {},
                  {}};
  if (is_struct) {
    decl.fields = as_struct.fields();
    decl.field_syntax = read_fields_syntax(decl.fields);
    return decl;
  }
  for (rustsyn::Variant& variant : as_enum.variants()) {
    auto serde = syntax::SerdeAttrs::from_attrs(variant.attrs);
    FieldsSyntax fields = read_fields_syntax(variant.fields);
    std::optional<std::string> docs = syntax::doc_string(variant.attrs);
    std::optional<base::Result<syntax::StatusAttr, rustsyn::SynError>> status;
    if (api_error) status = syntax::StatusAttr::from_variant(variant);
    decl.variants.push_back(
        VariantSyntax{std::move(variant), std::move(serde), std::move(fields), std::move(docs), std::move(status)});
  }
  return decl;
}

}  // namespace vantrel::engine::extract
