// The view of tree-sitter-typescript's node types that the usage scanner
// needs: each node symbol mapped once to a small kind, whether it belongs to
// a TypeScript type, the field ids the scanner asks for, and which grammar
// parses a file of a given path.
#pragma once

#include <tree_sitter/api.h>

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace vantrel::engine::usage {

/// Node kinds the scanner treats specially; everything else is `Other` and
/// only has its children walked.
enum class NodeKind : uint8_t {
  Other,
  ImportStatement,
  ImportClause,
  NamedImports,
  ImportSpecifier,
  NamespaceImport,
  ImportAlias,
  ExportStatement,
  ExportClause,
  ExportSpecifier,
  CallExpression,
  NewExpression,
  MemberExpression,
  VariableDeclarator,
  ReturnStatement,
  YieldExpression,
  Identifier,
  TypeIdentifier,
  PropertyIdentifier,
  ShorthandPropertyIdentifier,
  ShorthandPropertyIdentifierPattern,
  NestedTypeIdentifier,
  NestedIdentifier,
  String,
  Object,
  Pair,
  MethodDefinition,
  Arguments,
  NamedDeclaration,  ///< a declaration whose `name` field binds a new name
  ArrowFunction,
  Parameter,
  CatchClause,
  ForIn,
  DefaultPattern,  ///< `a = 1` inside a destructuring pattern
  PairPattern,
  ComputedPropertyName,
};

/// One grammar (TypeScript or TSX) with its node tables. Immutable.
class TsGrammar {
 public:
  explicit TsGrammar(const TSLanguage* language);

  const TSLanguage* language() const { return language_; }
  NodeKind kind(TSNode node) const {
    TSSymbol symbol = ts_node_symbol(node);
    return symbol < kinds_.size() ? kinds_[symbol] : NodeKind::Other;
  }
  /// True for nodes that are, or hold only, a TypeScript type.
  bool is_type(TSNode node) const {
    TSSymbol symbol = ts_node_symbol(node);
    return symbol < types_.size() && types_[symbol] != 0;
  }

  TSFieldId f_name = 0, f_alias = 0, f_source = 0, f_parameter = 0, f_pattern = 0, f_left = 0, f_right = 0,
            f_kind = 0, f_key = 0, f_function = 0, f_arguments = 0, f_object = 0, f_property = 0, f_module = 0;

 private:
  const TSLanguage* language_;
  std::vector<NodeKind> kinds_;  // by symbol
  std::vector<uint8_t> types_;   // by symbol
};

/// The TypeScript grammar (no JSX) and the TSX grammar, built on first use.
const TsGrammar& typescript_grammar();
const TsGrammar& tsx_grammar();

/// The grammar for a file: TSX for ".tsx", ".jsx", ".js", ".mjs" and ".cjs"
/// (plain JavaScript may hold JSX, and the TSX grammar reads JavaScript's
/// `<` comparisons and JSX alike), TypeScript for everything else.
const TsGrammar& grammar_for_path(std::string_view path);

struct ParserDeleter {
  void operator()(TSParser* parser) const { ts_parser_delete(parser); }
};
struct TreeDeleter {
  void operator()(TSTree* tree) const { ts_tree_delete(tree); }
};
using ParserPtr = std::unique_ptr<TSParser, ParserDeleter>;
using TreePtr = std::unique_ptr<TSTree, TreeDeleter>;

/// Parses `text` with `grammar`; null when the text is too long for the
/// parser's 32-bit offsets or the parser gives up.
TreePtr parse_text(TSParser* parser, const TsGrammar& grammar, std::string_view text);

}  // namespace vantrel::engine::usage
