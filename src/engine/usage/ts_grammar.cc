// Node tables for the TypeScript grammars. Symbols are mapped by name once
// per grammar (aliases such as `type_identifier` have symbols of their own),
// so the walk compares small integers instead of type strings.
#include "engine/usage/ts_grammar.h"

#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

#include "grammars/grammars.h"

namespace vantrel::engine::usage {

namespace {

const std::unordered_map<std::string_view, NodeKind>& kind_names() {
  static const std::unordered_map<std::string_view, NodeKind> names = {
      {"import_statement", NodeKind::ImportStatement},
      {"import_clause", NodeKind::ImportClause},
      {"named_imports", NodeKind::NamedImports},
      {"import_specifier", NodeKind::ImportSpecifier},
      {"namespace_import", NodeKind::NamespaceImport},
      {"import_alias", NodeKind::ImportAlias},
      {"export_statement", NodeKind::ExportStatement},
      {"export_clause", NodeKind::ExportClause},
      {"export_specifier", NodeKind::ExportSpecifier},
      {"call_expression", NodeKind::CallExpression},
      {"new_expression", NodeKind::NewExpression},
      {"member_expression", NodeKind::MemberExpression},
      {"variable_declarator", NodeKind::VariableDeclarator},
      {"return_statement", NodeKind::ReturnStatement},
      {"yield_expression", NodeKind::YieldExpression},
      {"identifier", NodeKind::Identifier},
      {"type_identifier", NodeKind::TypeIdentifier},
      {"property_identifier", NodeKind::PropertyIdentifier},
      {"shorthand_property_identifier", NodeKind::ShorthandPropertyIdentifier},
      {"shorthand_property_identifier_pattern", NodeKind::ShorthandPropertyIdentifierPattern},
      {"nested_type_identifier", NodeKind::NestedTypeIdentifier},
      {"nested_identifier", NodeKind::NestedIdentifier},
      {"string", NodeKind::String},
      {"object", NodeKind::Object},
      {"pair", NodeKind::Pair},
      {"method_definition", NodeKind::MethodDefinition},
      {"arguments", NodeKind::Arguments},
      {"function_declaration", NodeKind::NamedDeclaration},
      {"function_expression", NodeKind::NamedDeclaration},
      {"generator_function_declaration", NodeKind::NamedDeclaration},
      {"generator_function", NodeKind::NamedDeclaration},
      {"function_signature", NodeKind::NamedDeclaration},
      {"class_declaration", NodeKind::NamedDeclaration},
      {"class", NodeKind::NamedDeclaration},
      {"abstract_class_declaration", NodeKind::NamedDeclaration},
      {"interface_declaration", NodeKind::NamedDeclaration},
      {"type_alias_declaration", NodeKind::NamedDeclaration},
      {"type_parameter", NodeKind::NamedDeclaration},
      {"enum_declaration", NodeKind::NamedDeclaration},
      {"internal_module", NodeKind::NamedDeclaration},
      {"module", NodeKind::NamedDeclaration},
      {"mapped_type_clause", NodeKind::NamedDeclaration},
      {"index_signature", NodeKind::NamedDeclaration},
      {"arrow_function", NodeKind::ArrowFunction},
      {"required_parameter", NodeKind::Parameter},
      {"optional_parameter", NodeKind::Parameter},
      {"catch_clause", NodeKind::CatchClause},
      {"for_in_statement", NodeKind::ForIn},
      {"assignment_pattern", NodeKind::DefaultPattern},
      {"object_assignment_pattern", NodeKind::DefaultPattern},
      {"pair_pattern", NodeKind::PairPattern},
      {"computed_property_name", NodeKind::ComputedPropertyName},
  };
  return names;
}

// Everything inside these is part of a type: annotations, type arguments and
// parameters, type aliases, interfaces, and every type form the grammar has.
constexpr const char* kTypeNodes[] = {
    "type_annotation", "opting_type_annotation", "omitting_type_annotation", "adding_type_annotation",
    "asserts_annotation", "type_predicate_annotation", "type_arguments", "type_parameters", "type_parameter",
    "type_alias_declaration", "interface_declaration", "implements_clause", "extends_type_clause",
    "array_type", "conditional_type", "existential_type", "flow_maybe_type", "generic_type", "index_type_query",
    "intersection_type", "literal_type", "lookup_type", "nested_type_identifier", "object_type",
    "parenthesized_type", "predefined_type", "template_literal_type", "this_type", "tuple_type", "type_identifier",
    "type_query", "union_type", "constructor_type", "function_type", "infer_type", "readonly_type",
    "optional_type", "rest_type", "type_predicate", "asserts", "mapped_type_clause",
};

TSFieldId field(const TSLanguage* language, const char* name) {
  return ts_language_field_id_for_name(language, name, static_cast<uint32_t>(std::strlen(name)));
}

}  // namespace

TsGrammar::TsGrammar(const TSLanguage* language) : language_(language) {
  const uint32_t count = ts_language_symbol_count(language);
  kinds_.assign(count, NodeKind::Other);
  types_.assign(count, 0);
  const auto& names = kind_names();
  for (uint32_t i = 0; i < count; ++i) {
    const auto symbol = static_cast<TSSymbol>(i);
    if (ts_language_symbol_type(language, symbol) != TSSymbolTypeRegular) continue;
    const char* name = ts_language_symbol_name(language, symbol);
    if (name == nullptr) continue;
    std::string_view view(name);
    if (auto it = names.find(view); it != names.end()) kinds_[i] = it->second;
    for (const char* type_name : kTypeNodes) {
      if (view == type_name) types_[i] = 1;
    }
  }
  f_name = field(language, "name");
  f_alias = field(language, "alias");
  f_source = field(language, "source");
  f_parameter = field(language, "parameter");
  f_pattern = field(language, "pattern");
  f_left = field(language, "left");
  f_right = field(language, "right");
  f_kind = field(language, "kind");
  f_key = field(language, "key");
  f_function = field(language, "function");
  f_arguments = field(language, "arguments");
  f_object = field(language, "object");
  f_property = field(language, "property");
  f_module = field(language, "module");
}

const TsGrammar& typescript_grammar() {
  static const TsGrammar grammar(grammars::typescript());
  return grammar;
}

const TsGrammar& tsx_grammar() {
  static const TsGrammar grammar(grammars::tsx());
  return grammar;
}

const TsGrammar& grammar_for_path(std::string_view path) {
  // Only the last path component's extension counts: "a.tsx/b" is not TSX.
  const size_t slash = path.find_last_of("/\\");
  std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return typescript_grammar();
  std::string_view ext = name.substr(dot + 1);
  if (ext == "tsx" || ext == "jsx" || ext == "js" || ext == "mjs" || ext == "cjs") return tsx_grammar();
  return typescript_grammar();
}

TreePtr parse_text(TSParser* parser, const TsGrammar& grammar, std::string_view text) {
  if (text.size() > std::numeric_limits<uint32_t>::max()) return nullptr;
  if (!ts_parser_set_language(parser, grammar.language())) return nullptr;
  return TreePtr(ts_parser_parse_string(parser, nullptr, text.data(), static_cast<uint32_t>(text.size())));
}

}  // namespace vantrel::engine::usage
