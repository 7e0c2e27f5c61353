// The generate driver: load the configuration and the workspace, then per
// configured package extract, report, generate, write and print one summary
// line. A package with extraction or generation errors is skipped and the
// others still run; only a failure (an unknown package, a failed write) ends
// the run early.
#include "cli/run_generate.h"

#include <ostream>

#include "cli/load_workspace.h"
#include "cli/extract_package.h"
#include "cli/report.h"
#include "cli/two_threads.h"
#include "engine/extract/extract.h"
#include "engine/gen/package.h"
#include "model/contract_json.h"
#include "model/vfs.h"

namespace vantrel::cli {

namespace {

bool any_error(const std::vector<model::Diagnostic>& diagnostics) {
  for (const auto& d : diagnostics)
    if (d.severity == model::Severity::Error) return true;
  return false;
}

/// Generates the package in its independent parts on two threads: the head
/// of the schemas on one, the rest and the tail on the other. The result is
/// exactly that of one `generate` call.
engine::gen::GenResult generate_on_two_threads(const model::Contract& contract,
                                               const engine::gen::GenOptions& options) {
  using engine::gen::GenPart;
  engine::gen::GenResult head, tail, rest;
  run_on_two_threads(
      [&] {
        rest = engine::gen::generate_part(contract, options, GenPart::Rest);
        tail = engine::gen::generate_part(contract, options, GenPart::SchemasTail);
      },
      [&] { head = engine::gen::generate_part(contract, options, GenPart::SchemasHead); });
  return engine::gen::merge_parts(std::move(head), std::move(tail), std::move(rest));
}

}  // namespace

base::Result<bool, std::string> run_generate(const std::filesystem::path& root, bool contract_json,
                                             std::ostream& out, std::ostream& err,
                                             RunMemory& memory) {
  auto loaded = load_workspace(root, err);
  if (!loaded) return base::err(std::move(loaded).error());
  const engine::Config& config = loaded->config;
  bool had_errors = loaded->had_errors;
  model::DiskFileProvider disk;
  for (const engine::PackageConfig& package : config.packages) {
    auto extraction = extract_package(*loaded, package, disk, memory);
    if (!extraction) return base::err(std::move(extraction).error());
    had_errors = report(root, extraction->diagnostics, err) || had_errors;
    if (extraction->has_errors()) {
      err << "skipping generation for `" << package.ts << "` due to errors\n";
      err.flush();
      continue;
    }

    std::filesystem::path package_dir = config.package_dir(package.ts);
    engine::gen::GenOptions options{config.app_src, package_dir.generic_string()};
    auto generated = generate_on_two_threads(extraction->contract, options);
    had_errors = report(root, generated.diagnostics, err) || had_errors;
    if (any_error(generated.diagnostics)) {
      err << "skipping write for `" << package.ts << "` due to errors\n";
      err.flush();
      continue;
    }

    std::filesystem::path dir = root / package_dir;
    auto changed = engine::gen::write_package(dir, generated.package);
    if (!changed) return base::err(std::move(changed).error());
    if (contract_json) {
      auto written = engine::gen::replace_file(dir / "contract.json", model::contract_to_json(extraction->contract));
      if (!written) return base::err(std::move(written).error());
    }

    const auto& contract = extraction->contract;
    out << "generated " << package.ts << " (" << contract.endpoints.size() << " endpoints, " << contract.types.size()
        << " types, " << contract.errors.size() << " errors)" << (changed.value() ? "" : " [unchanged]") << "\n";
    out.flush();
    memory.keep(std::move(*extraction));
    memory.keep(std::move(generated));
  }
  return had_errors;
}

}  // namespace vantrel::cli
