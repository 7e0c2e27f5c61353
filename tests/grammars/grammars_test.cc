// The grammars load into the Debian tree-sitter runtime and parse real code.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "grammars/grammars.h"

namespace {

struct ParserDeleter {
  void operator()(TSParser* p) const { ts_parser_delete(p); }
};
struct TreeDeleter {
  void operator()(TSTree* t) const { ts_tree_delete(t); }
};

std::string parse_root_sexp(const TSLanguage* language, const std::string& text, bool* has_error) {
  std::unique_ptr<TSParser, ParserDeleter> parser(ts_parser_new());
  EXPECT_TRUE(ts_parser_set_language(parser.get(), language));
  std::unique_ptr<TSTree, TreeDeleter> tree(
      ts_parser_parse_string(parser.get(), nullptr, text.data(), static_cast<uint32_t>(text.size())));
  EXPECT_NE(tree, nullptr);
  TSNode root = ts_tree_root_node(tree.get());
  *has_error = ts_node_has_error(root);
  char* s = ts_node_string(root);
  std::string out(s);
  free(s);
  return out;
}

TEST(Grammars, RustParsesThroughDebianRuntime) {
  bool has_error = true;
  std::string sexp = parse_root_sexp(vantrel::grammars::rust(),
                                     "#[derive(Api)]\npub struct User { pub id: u64 }\n"
                                     "async fn get(Path(id): Path<u64>) -> Json<User> { todo!() }\n",
                                     &has_error);
  EXPECT_FALSE(has_error);
  EXPECT_NE(sexp.find("(struct_item"), std::string::npos);
  EXPECT_NE(sexp.find("(function_item"), std::string::npos);
  EXPECT_NE(sexp.find("(attribute_item"), std::string::npos);
}

TEST(Grammars, TypeScriptAndTsxParseThroughDebianRuntime) {
  bool has_error = true;
  std::string sexp = parse_root_sexp(vantrel::grammars::typescript(),
                                     "import * as api from \"@demo/api\";\n"
                                     "const x: api.User = await api.getUser({ id: 1 });\n",
                                     &has_error);
  EXPECT_FALSE(has_error);
  EXPECT_NE(sexp.find("(import_statement"), std::string::npos);

  sexp = parse_root_sexp(vantrel::grammars::tsx(), "const el = <div>{x as number}</div>;\n", &has_error);
  EXPECT_FALSE(has_error);
  EXPECT_NE(sexp.find("(jsx_element"), std::string::npos);
}

}  // namespace
