// Reads every piece of an item's syntax that lowering consults, in one pass
// over the item.
#include "engine/extract/item_syntax.h"

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

namespace {

/// The position of the handler attribute: the first whose path ends in `api`.
std::optional<size_t> api_attribute_index(const rustsyn::Item& item) {
  const std::vector<rustsyn::Attribute>& attrs = item.attrs();
  for (size_t i = 0; i < attrs.size(); ++i) {
    if (!attrs[i].is_doc_comment() && attrs[i].path().last() == "api") return i;
  }
  return std::nullopt;
}

bool has_attribute(const rustsyn::Item& item, std::string_view name) {
  for (const rustsyn::Attribute& attr : item.attrs()) {
    if (!attr.is_doc_comment() && attr.path().last() == name) return true;
  }
  return false;
}

}  // namespace

std::shared_ptr<const ItemSyntax> read_item_syntax(const rustsyn::Item& item, bool api_derive, bool api_error) {
  ItemSyntax read;
  if (api_derive) read.decl = read_decl_syntax(item, api_error);
  if (item.kind() == rustsyn::ItemKind::Fn) {
    if (std::optional<size_t> index = api_attribute_index(item)) {
      EndpointSyntax endpoint{*index, syntax::ApiAttr::from_attribute(item.attrs()[*index]), std::nullopt};
      if (endpoint.attr.ok()) {
        endpoint.signature = syntax::analyze_endpoint(*endpoint.attr, rustsyn::FnItem(item.node()));
      }
      read.endpoint = std::move(endpoint);
    }
    if (has_attribute(item, "api_router")) {
      RouterSyntax router;
      if (rustsyn::Node body = rustsyn::FnItem(item.node()).body()) {
        rustsyn::walk_method_calls(body, [&](const rustsyn::MethodCall& call) { router.calls.push_back(call); });
      }
      read.router = std::move(router);
    }
  }
  if (!read.decl && !read.endpoint && !read.router) return nullptr;
  return std::make_shared<const ItemSyntax>(std::move(read));
}

}  // namespace vantrel::engine::extract
