// bench_usage CONTRACT_JSON APP_DIR: the usage scan (`scan_files`) against
// bare tree-sitter-typescript parsing of the same files, in one run.
#include <tree_sitter/api.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/read_file.h"
#include "engine/usage/scanner.h"
#include "grammars/grammars.h"
#include "model/contract_json.h"

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p) { return vantrel::base::read_file(p).value_or(std::string()); }

double seconds(const std::function<void()>& f) {
  auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void bare(const std::vector<vantrel::engine::usage::SourceText>& files) {
  TSParser* parser = ts_parser_new();
  ts_parser_set_language(parser, vantrel::grammars::typescript());
  for (const auto& [path, text] : files) {
    TSTree* tree = ts_parser_parse_string(parser, nullptr, text.data(), static_cast<uint32_t>(text.size()));
    ts_tree_delete(tree);
  }
  ts_parser_delete(parser);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_usage CONTRACT_JSON APP_DIR\n");
    return 2;
  }
  auto contract = vantrel::model::contract_from_json(slurp(argv[1]));
  if (!contract) {
    std::fprintf(stderr, "bench_usage: %s\n", contract.error().c_str());
    return 1;
  }
  std::vector<fs::path> paths;
  for (const auto& e : fs::recursive_directory_iterator(argv[2])) {
    if (e.is_regular_file() && e.path().extension() == ".ts") paths.push_back(e.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<vantrel::engine::usage::SourceText> files;
  size_t bytes = 0;
  for (const fs::path& p : paths) {
    files.emplace_back(p.string(), slurp(p));
    bytes += files.back().second.size();
  }
  double bare_s = 0, scan_s = 0;
  size_t refs = 0, used = 0;
  // Alternate the two passes so that machine noise hits both alike.
  for (int round = 0; round < 3; ++round) {
    bare_s += seconds([&] { bare(files); });
    scan_s += seconds([&] {
      auto index = vantrel::engine::usage::scan_files(*contract, files);
      refs = index.refs().size();
      used = index.strongly_used_endpoints().size();
    });
  }
  std::printf("usage scan: %zu files, %.1f MB; %zu references, %zu endpoints strongly used\n", files.size(),
              static_cast<double>(bytes) / 1e6, refs, used);
  std::printf("  bare tree-sitter  %8.1f ms\n", bare_s * 1000 / 3);
  std::printf("  scan_files        %8.1f ms   ratio %.2fx of bare\n", scan_s * 1000 / 3, scan_s / bare_s);
  return 0;
}
