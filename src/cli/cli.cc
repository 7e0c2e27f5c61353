// Command-line definition over CLI11. CLI11 provides help, version and usage
// errors; this file fixes the texts and maps outcomes onto exit statuses.
#include "cli/cli.h"

#include <CLI/CLI.hpp>

#include <ostream>

namespace vantrel::cli {
namespace {

constexpr int kUsageStatus = 2;

struct Definition {
  CLI::App app{kAbout, "vantrel"};
  std::string root;
  CLI::App* new_cmd = nullptr;
  CLI::App* generate_cmd = nullptr;
  CLI::App* check_cmd = nullptr;
  CLI::App* lsp_cmd = nullptr;
  CLI::App* help_cmd = nullptr;
  std::string name;
  bool watch = false;
  bool contract_json = false;
  bool unused = false;
  std::string rust_analyzer;
  std::string help_topic;

  Definition() {
    app.set_version_flag("-V,--version", kVersion, "Print version");
    // Options of the top-level app stay visible after the subcommand, so
    // `--root` may come before or after it.
    app.fallthrough();
    app.require_subcommand(1);
    app.add_option("--root", root, "Workspace root (directory containing Cargo.toml and vantrel.toml)")
        ->option_text("ROOT");

    new_cmd = app.add_subcommand("new", "Scaffold a new vantrel project");
    new_cmd->add_option("NAME", name, "Project name (also the directory to create)")->required();

    generate_cmd = app.add_subcommand("generate", "Generate TypeScript bindings for every configured package");
    generate_cmd->add_flag("--watch", watch, "Keep watching the workspace and regenerate on change");
    generate_cmd->add_flag("--contract-json", contract_json,
                           "Also write the extracted contract JSON next to each package");

    check_cmd = app.add_subcommand("check", "Check the workspace: extraction diagnostics and optional usage lints");
    check_cmd->add_flag("--unused", unused, "Lint for endpoints with no TypeScript usage");

    lsp_cmd = app.add_subcommand("lsp", "Run the vantrel language server on stdio");
    lsp_cmd->add_option("--rust-analyzer", rust_analyzer,
                        "rust-analyzer binary to wrap (defaults to `VANTREL_RUST_ANALYZER`, `PATH`, then "
                        "`rustup which rust-analyzer`)")
        ->option_text("RUST_ANALYZER");

    help_cmd = app.add_subcommand("help", "Print this message or the help of the given subcommand(s)");
    help_cmd->add_option("COMMAND", help_topic, "Subcommand to describe");
  }

  Command command() const {
    if (new_cmd->parsed()) return NewCommand{name};
    if (generate_cmd->parsed()) return GenerateCommand{watch, contract_json};
    if (check_cmd->parsed()) return CheckCommand{unused};
    std::optional<std::string> ra;
    if (lsp_cmd->count("--rust-analyzer") > 0) ra = rust_analyzer;
    return LspCommand{ra};
  }

  /// The help of the program itself. App::help would describe the selected
  /// subcommand instead once one was parsed.
  std::string program_help() const {
    return app.get_formatter()->make_help(&app, "vantrel", CLI::AppFormatMode::Normal);
  }

  std::string subcommand_help(const CLI::App* sub) const {
    return sub->get_formatter()->make_help(sub, "vantrel " + sub->get_name(), CLI::AppFormatMode::Normal);
  }

  /// `vantrel help [COMMAND]`: the help of the program or of one subcommand.
  int print_help_topic(std::ostream& out, std::ostream& err) const {
    if (help_topic.empty()) {
      out << program_help();
      return 0;
    }
    for (const CLI::App* sub : {new_cmd, generate_cmd, check_cmd, lsp_cmd, help_cmd}) {
      if (sub->get_name() == help_topic) {
        out << subcommand_help(sub);
        return 0;
      }
    }
    err << "error: unrecognized subcommand '" << help_topic << "'\n\n" << program_help();
    return kUsageStatus;
  }
};

}  // namespace

ParseOutcome parse_cli(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  Definition def;
  if (argc <= 1) {
    // No arguments at all: show what the tool can do rather than an error.
    err << def.program_help();
    return {std::nullopt, kUsageStatus};
  }
  try {
    def.app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    // The help of the subcommand that was named, if any.
    auto named = def.app.get_subcommands();
    out << (named.empty() ? def.program_help() : def.subcommand_help(named.front()));
    return {std::nullopt, 0};
  } catch (const CLI::CallForAllHelp&) {
    out << def.app.help("", CLI::AppFormatMode::All);
    return {std::nullopt, 0};
  } catch (const CLI::CallForVersion&) {
    out << "vantrel " << kVersion << "\n";
    return {std::nullopt, 0};
  } catch (const CLI::ParseError& e) {
    // CLI11 reports an unknown subcommand as a missing one; name it instead.
    auto extras = def.app.remaining();
    if (def.app.get_subcommands().empty() && !extras.empty() && extras.front().rfind('-', 0) != 0) {
      err << "error: unrecognized subcommand '" << extras.front() << "'\n\n" << def.program_help();
      return {std::nullopt, kUsageStatus};
    }
    err << "error: " << e.what() << "\n\nFor more information, try '--help'.\n";
    return {std::nullopt, kUsageStatus};
  }
  if (def.help_cmd->parsed()) return {std::nullopt, def.print_help_topic(out, err)};

  Cli cli{std::nullopt, def.command()};
  if (def.app.count("--root") > 0) cli.root = def.root;
  return {std::move(cli), 0};
}

}  // namespace vantrel::cli
