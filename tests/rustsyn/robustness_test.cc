// Parse-error detection and robustness: deep nesting, large files, invalid
// UTF-8 and NUL bytes, and every packaged crate of the machine.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "grammars/grammars.h"
#include "rustsyn/items.h"
#include "rustsyn/method_calls.h"
#include "rustsyn/tokens.h"

namespace vantrel::rustsyn {
namespace {

std::string_view slice(const std::shared_ptr<const SourceFile>& file, Range r) {
  return file->text().substr(r.start, r.end - r.start);
}

TEST(ParseErrors, FirstErrorOrMissingNode) {
  struct Case {
    std::string source;
    std::string_view message;
    std::string_view at;
  } cases[] = {
      {"struct Y { a: u8 b: u8 }", "unexpected `b`", "b: u8"},
      {"struct A;\nfn f() { let x = ; }\nstruct B { c }", "unexpected `=`", "="},
      {"fn f() {", "unexpected `fn`", "fn f() {"},
      {"struct S(u8", "unexpected `struct`", "struct S(u8"},
      {"use a::b", "expected `;`", ""},
  };
  for (const auto& c : cases) {
    auto file = SourceFile::parse(c.source);
    ASSERT_TRUE(file->error()) << c.source;
    EXPECT_EQ(file->error()->message, c.message) << c.source;
    EXPECT_EQ(slice(file, file->error()->range), c.at) << c.source;
  }
}

TEST(ParseErrors, CleanFilesHaveNone) {
  for (std::string source : {"", "// only a comment", "#![allow(x)]\nfn main() { println!(\"{}\", 1); }",
                             "macro_rules! m { ($x:expr) => { $x + 1 }; }"}) {
    EXPECT_FALSE(SourceFile::parse(source)->error()) << source;
  }
}

/// Exercises every view that follows input depth.
void touch_everything(const std::shared_ptr<const SourceFile>& file) {
  std::vector<Item> work = items_of(file->root());
  size_t calls = 0;
  while (!work.empty()) {
    Item item = std::move(work.back());
    work.pop_back();
    for (const Attribute& a : item.attrs()) {
      (void)a.path();
      TokenCursor args = a.args();
      while (const Token* t = args.next()) {
        if (auto lit = t->lit()) (void)lit->string_value();
      }
      if (auto lit = a.value_lit()) (void)lit->string_value();
    }
    switch (item.kind()) {
      case ItemKind::Use: (void)UseItem(item.node()).tree(); break;
      case ItemKind::Mod: for (Item& i : ModItem(item.node()).items()) work.push_back(std::move(i)); break;
      case ItemKind::Impl: for (Item& i : ImplItem(item.node()).items()) work.push_back(std::move(i)); break;
      case ItemKind::Trait: for (Item& i : TraitItem(item.node()).items()) work.push_back(std::move(i)); break;
      case ItemKind::Struct:
        for (const Field& f : StructItem(item.node()).fields().list) (void)f.ty.path();
        break;
      case ItemKind::Enum:
        for (const Variant& v : EnumItem(item.node()).variants()) (void)v.fields.list.size();
        break;
      case ItemKind::TypeAlias:
        if (auto ty = TypeAliasItem(item.node()).ty()) (void)ty->path();
        break;
      case ItemKind::Fn: {
        FnItem fn(item.node());
        for (const FnArg& arg : fn.args()) (void)arg.ty.path();
        if (auto ret = fn.return_type()) (void)ret->path();
        walk_method_calls(fn.body(), [&calls](const MethodCall&) { ++calls; });
        break;
      }
      default: break;
    }
  }
}

TEST(Robustness, DeeplyNestedTypeDoesNotOverflowTheStack) {
  std::string src = "type X = ";
  for (int i = 0; i < 5000; ++i) src += "Vec<";
  src += "u8";
  for (int i = 0; i < 5000; ++i) src += ">";
  src += ";\nfn f(a: ";
  for (int i = 0; i < 5000; ++i) src += "&";
  src += "u8) {}\n";
  auto file = SourceFile::parse(src);
  touch_everything(file);
  auto items = items_of(file->root());
  ASSERT_FALSE(items.empty());
  auto ty = TypeAliasItem(items[0].node()).ty();
  if (ty) {
    EXPECT_EQ(ty->last_ident(), "Vec");
    std::string printed = print_tokens(ty->node());
    EXPECT_EQ(printed.size(), 5000 * 6 + 2 + 5000 * 2);
  }
}

TEST(Robustness, DeeplyNestedCallsAndBlocks) {
  std::string src = "fn f() { ";
  for (int i = 0; i < 5000; ++i) src += "a.b({ ";
  src += "0";
  for (int i = 0; i < 5000; ++i) src += " })";
  src += "; }";
  auto file = SourceFile::parse(src);
  size_t calls = 0;
  walk_method_calls(file->root(), [&calls](const MethodCall&) { ++calls; });
  if (!file->error()) {
    EXPECT_EQ(calls, 5000u);
  }
  touch_everything(file);
  // Unbalanced nesting is an error, not a crash.
  auto broken = SourceFile::parse(std::string(20000, '{'));
  EXPECT_TRUE(broken->error());
}

TEST(Robustness, TenMegabyteFile) {
  std::string src;
  src.reserve(10u << 20);
  int n = 0;
  while (src.size() < (10u << 20)) {
    src += "/// doc\n#[derive(Api)]\npub struct S" + std::to_string(n++) +
           " { pub id: u32, pub name: Option<String> }\nfn f() { x.y(z) }\n";
  }
  auto file = SourceFile::parse(src);
  EXPECT_FALSE(file->error());
  EXPECT_EQ(items_of(file->root()).size(), static_cast<size_t>(2 * n));
  touch_everything(file);
}

TEST(Robustness, InvalidUtf8AndNulBytes) {
  std::string cases[] = {
      std::string("struct \xff\xfe A;"),
      std::string("struct A;\0struct B;", 19),
      std::string("/// doc \xc3\x28\nstruct A;"),
      std::string("#[api(get, \"/\xff\")] fn f() {}"),
      std::string("\0\0\0", 3),
      std::string("fn f() { \"\xed\xa0\x80\" }"),
  };
  for (const std::string& src : cases) {
    auto file = SourceFile::parse(src);
    touch_everything(file);
    if (file->error()) {
      EXPECT_FALSE(file->error()->message.empty());
      EXPECT_LE(file->error()->range.end, src.size());
    }
  }
}

/// Every .rs file of Debian's packaged crates: rustsyn must report no more
/// unparsable files than tree-sitter alone, and no file may crash or hang.
TEST(Corpus, PackagedCratesParseAsWellAsBareTreeSitter) {
  const std::filesystem::path registry = "/usr/share/cargo/registry";
  std::error_code ec;
  if (!std::filesystem::is_directory(registry, ec)) GTEST_SKIP() << "no " << registry;
  std::vector<std::filesystem::path> files;
  for (auto it = std::filesystem::recursive_directory_iterator(registry, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (it->is_regular_file(ec) && it->path().extension() == ".rs") files.push_back(it->path());
  }
  std::sort(files.begin(), files.end());
  TSParser* parser = ts_parser_new();
  ts_parser_set_language(parser, grammars::rust());
  size_t bare_errors = 0, rustsyn_errors = 0;
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    TSTree* tree = ts_parser_parse_string(parser, nullptr, text.data(), static_cast<uint32_t>(text.size()));
    if (!tree || ts_node_has_error(ts_tree_root_node(tree))) ++bare_errors;
    if (tree) ts_tree_delete(tree);
    auto file = SourceFile::parse(std::move(text));
    if (file->error()) {
      ++rustsyn_errors;
    } else {
      touch_everything(file);
    }
  }
  ts_parser_delete(parser);
  std::printf("packaged crates: %zu files; unparsable: tree-sitter %zu, rustsyn %zu\n", files.size(), bare_errors,
              rustsyn_errors);
  EXPECT_LE(rustsyn_errors, bare_errors);
}

}  // namespace
}  // namespace vantrel::rustsyn
