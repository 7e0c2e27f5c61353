// Config: the contents of vantrel.toml — which Cargo packages carry an API,
// the npm name of each one's generated client, where generated packages go,
// which TypeScript sources form the app, and how unused endpoints are linted.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "model/diag.h"
#include "model/vfs.h"

namespace vantrel::engine {

/// How `check --unused` treats an endpoint that the app never uses; spelled
/// "off", "warn", "deny" in the file.
enum class LintLevel { Off, Warn, Deny };

/// One `[[package]]` entry.
struct PackageConfig {
  std::string cargo;  ///< the Cargo package name (`package.name` of its manifest)
  std::string ts;     ///< the npm package name of its generated client, e.g. "@scope/api"

  bool operator==(const PackageConfig&) const = default;
};

inline constexpr std::string_view kConfigFileName = "vantrel.toml";
inline constexpr std::string_view kDefaultOutDir = "target/vantrel/packages";

struct Config {
  std::vector<PackageConfig> packages;           ///< in file order; never empty after `parse`
  std::string out_dir{kDefaultOutDir};           ///< relative to the workspace root unless absolute
  std::vector<std::string> app_src;              ///< glob patterns of the app's TypeScript sources
  LintLevel unused_endpoints = LintLevel::Warn;

  /// Reads `root`/vantrel.toml through `provider` and parses it. Fails with
  /// "missing-config" when it cannot be read, else as `parse`.
  static base::Result<Config, model::Diagnostic> load(const std::filesystem::path& root,
                                                      const model::FileProvider& provider);

  /// Parses the text of a configuration file. Every failure is one
  /// "invalid-config" error without a span.
  static base::Result<Config, model::Diagnostic> parse(std::string_view text);

  /// No packages and every default: a placeholder until the first load.
  static Config default_config();

  /// The directory of the generated package `ts_name`: `out_dir` followed by
  /// the "/"-separated pieces of the name, unchanged.
  std::filesystem::path package_dir(std::string_view ts_name) const;

  bool operator==(const Config&) const = default;
};

}  // namespace vantrel::engine
