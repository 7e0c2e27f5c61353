// bench_parse_floor DIR: the floor every vantrel benchmark is compared with —
// read every .rs (or, with --ts, every .ts) file below DIR and parse it with
// bare tree-sitter, nothing else. Prints the file count and bytes.
#include <tree_sitter/api.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "grammars/grammars.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_parse_floor [--ts] DIR\n");
    return 2;
  }
  bool ts = std::string_view(argv[1]) == "--ts";
  fs::path dir = argv[ts ? 2 : 1];
  std::string ext = ts ? ".ts" : ".rs";
  std::vector<fs::path> files;
  for (const auto& e : fs::recursive_directory_iterator(dir)) {
    if (e.is_regular_file() && e.path().extension() == ext) files.push_back(e.path());
  }
  TSParser* parser = ts_parser_new();
  ts_parser_set_language(parser, ts ? vantrel::grammars::typescript() : vantrel::grammars::rust());
  size_t bytes = 0;
  size_t errors = 0;
  for (const fs::path& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string text = ss.str();
    bytes += text.size();
    TSTree* tree = ts_parser_parse_string(parser, nullptr, text.data(), static_cast<uint32_t>(text.size()));
    if (ts_node_has_error(ts_tree_root_node(tree))) ++errors;
    ts_tree_delete(tree);
  }
  ts_parser_delete(parser);
  std::printf("files=%zu bytes=%zu errors=%zu\n", files.size(), bytes, errors);
  return 0;
}
