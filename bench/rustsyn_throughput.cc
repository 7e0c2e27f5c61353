// bench_rustsyn DIR: throughput of the Rust syntax facade against bare
// tree-sitter over the same files, in one run. The facade pass parses through
// SourceFile and builds the views the extractor asks for: every item with its
// grouped attributes, module bodies, struct fields and enum variants, and the
// method calls of function bodies.
#include <tree_sitter/api.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "grammars/grammars.h"
#include "rustsyn/items.h"
#include "rustsyn/method_calls.h"
#include "rustsyn/source_file.h"

namespace fs = std::filesystem;
using namespace vantrel::rustsyn;

namespace {

std::vector<std::string> load(const fs::path& dir) {
  std::vector<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(dir, fs::directory_options::skip_permission_denied)) {
    if (e.is_regular_file() && e.path().extension() == ".rs") paths.push_back(e.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> texts;
  for (const fs::path& p : paths) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    texts.push_back(ss.str());
  }
  return texts;
}

size_t bare(const std::vector<std::string>& texts) {
  TSParser* parser = ts_parser_new();
  ts_parser_set_language(parser, vantrel::grammars::rust());
  size_t errors = 0;
  for (const std::string& t : texts) {
    TSTree* tree = ts_parser_parse_string(parser, nullptr, t.data(), static_cast<uint32_t>(t.size()));
    if (ts_node_has_error(ts_tree_root_node(tree))) ++errors;
    ts_tree_delete(tree);
  }
  ts_parser_delete(parser);
  return errors;
}

size_t visit_items(const std::vector<Item>& items) {
  size_t seen = 0;
  std::vector<std::vector<Item>> pending;
  pending.push_back(items);
  while (!pending.empty()) {
    std::vector<Item> list = std::move(pending.back());
    pending.pop_back();
    for (const Item& item : list) {
      seen += item.attrs().size() + 1;
      switch (item.kind()) {
        case ItemKind::Mod:
          pending.push_back(ModItem(item.node()).items());
          break;
        case ItemKind::Struct:
          seen += StructItem(item.node()).fields().list.size();
          break;
        case ItemKind::Enum:
          seen += EnumItem(item.node()).variants().size();
          break;
        case ItemKind::Fn:
          walk_method_calls(FnItem(item.node()).body(), [&](const MethodCall&) { ++seen; });
          break;
        default:
          break;
      }
    }
  }
  return seen;
}

size_t facade(const std::vector<std::string>& texts, size_t* errors) {
  size_t seen = 0;
  for (const std::string& t : texts) {
    auto file = SourceFile::parse(t);
    if (file->error()) ++*errors;
    seen += visit_items(items_of(file->root()));
  }
  return seen;
}

double seconds(const std::function<void()>& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  fs::path dir = argc > 1 ? argv[1] : "/usr/share/cargo/registry";
  if (!fs::exists(dir)) {
    std::fprintf(stderr, "bench_rustsyn: %s not found\n", dir.c_str());
    return 1;
  }
  std::vector<std::string> texts = load(dir);
  size_t bytes = 0;
  for (const auto& t : texts) bytes += t.size();
  size_t bare_errors = 0, facade_errors = 0, seen = 0;
  // Alternate the two passes so that machine noise hits both alike.
  double bare_s = 0, facade_s = 0;
  for (int round = 0; round < 2; ++round) {
    bare_s += seconds([&] { bare_errors = bare(texts); });
    facade_s += seconds([&] {
      facade_errors = 0;
      seen = facade(texts, &facade_errors);
    });
  }
  double mb = static_cast<double>(bytes) * 2 / 1e6;
  std::printf("rustsyn corpus: %zu files, %.1f MB; unparsable: bare %zu, rustsyn %zu; %zu views\n", texts.size(),
              mb / 2, bare_errors, facade_errors, seen);
  std::printf("  bare tree-sitter  %6.2f MB/s\n", mb / bare_s);
  std::printf("  rustsyn facade    %6.2f MB/s   ratio %.2fx of bare\n", mb / facade_s, facade_s / bare_s);
  return 0;
}
