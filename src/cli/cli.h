// The vantrel command line: its definition, and parsing argv into a Cli or
// into the exit status of a run that ends at parsing (help, version, usage
// errors).
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <variant>

namespace vantrel::cli {

inline constexpr const char* kVersion = "0.0.11";
inline constexpr const char* kAbout = "Rust-to-TypeScript API tooling for Effect clients";

struct NewCommand {
  std::string name;
};
struct GenerateCommand {
  bool watch = false;
  bool contract_json = false;
};
struct CheckCommand {
  bool unused = false;
};
struct LspCommand {
  std::optional<std::string> rust_analyzer;
};
using Command = std::variant<NewCommand, GenerateCommand, CheckCommand, LspCommand>;

struct Cli {
  std::optional<std::string> root;  ///< `--root` exactly as typed
  Command command;
};

/// Either a parsed command line or the exit status of a run that parsing
/// already finished (0 after --help/--version, 2 after a usage error).
struct ParseOutcome {
  std::optional<Cli> cli;
  int exit_status = 0;
};

/// Parses the arguments. Help and version go to `out`; usage errors, and the
/// help when no arguments are given, go to `err`.
ParseOutcome parse_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err);

}  // namespace vantrel::cli
