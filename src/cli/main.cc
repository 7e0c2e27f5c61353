// The vantrel executable: reads VANTREL_RUN_LSP, parses the command line,
// resolves the workspace root and dispatches to one subcommand. Every failure
// that reaches here is printed as "error: {message}" with exit status 1.
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>
#include <variant>

#include "base/result.h"
#include "cli/cli.h"
#include "cli/root.h"
#include "cli/run_check.h"
#include "cli/run_generate.h"
#include "cli/run_watch.h"
#include "cli/scaffold.h"

namespace vantrel::cli {
namespace {

using Outcome = base::Result<int, std::string>;

/// Subcommands whose drivers have not landed yet still validate the workspace
/// so that their fatal errors are already the real ones.
Outcome not_available(std::string_view subcommand) {
  return base::err(std::string(subcommand) + " is not available in this build yet");
}

/// A driver's result as an exit status: 1 when an error diagnostic was
/// printed.
Outcome status_of(base::Result<bool, std::string> driver) {
  if (!driver) return base::err(std::move(driver).error());
  return driver.value() ? 1 : 0;
}

/// The language server entry point, shared by `lsp` and VANTREL_RUN_LSP.
Outcome run_lsp(const std::optional<std::string>& /*rust_analyzer*/) { return not_available("lsp"); }

Outcome dispatch(const Cli& cli, RunMemory& memory) {
  std::filesystem::path root = resolve_root(cli.root);
  return std::visit(
      [&](const auto& command) -> Outcome {
        using T = std::decay_t<decltype(command)>;
        if constexpr (std::is_same_v<T, NewCommand>) {
          return new_project(command.name, std::cout);
        } else if constexpr (std::is_same_v<T, GenerateCommand>) {
          if (command.watch) return run_watch(root, command.contract_json, std::cout, std::cerr);
          return status_of(run_generate(root, command.contract_json, std::cout, std::cerr, memory));
        } else if constexpr (std::is_same_v<T, CheckCommand>) {
          return status_of(run_check(root, command.unused, std::cout, std::cerr, memory));
        } else {
          return run_lsp(command.rust_analyzer);
        }
      },
      cli.command);
}

int finish(const Outcome& outcome) {
  if (outcome) return outcome.value();
  std::cerr << "error: " << outcome.error() << std::endl;
  return 1;
}

/// Only the exact value "1" starts the language server; anything else,
/// including "true" or "01", leaves the command line in charge.
bool lsp_requested_by_environment() {
  const char* value = std::getenv("VANTREL_RUN_LSP");
  return value != nullptr && std::string_view(value) == "1";
}

int run(int argc, const char* const* argv, RunMemory& memory) {
  if (lsp_requested_by_environment()) return finish(run_lsp(std::nullopt));
  ParseOutcome cli = parse_cli(argc, argv, std::cout, std::cerr);
  if (!cli.cli) return cli.exit_status;
  return finish(dispatch(*cli.cli, memory));
}

}  // namespace
}  // namespace vantrel::cli

int main(int argc, char** argv) {
  // What a run builds (syntax trees, contracts, generated text) stays alive
  // until the process ends and is never freed piece by piece: that takes a
  // visible share of a run's time, and the system takes the memory back at
  // exit in one go. `std::exit` leaves this frame's objects alone (standard
  // streams are still flushed).
  vantrel::cli::RunMemory memory;
  std::exit(vantrel::cli::run(argc, argv, memory));
}
