// Loading and validating vantrel.toml. Parsing stops at the first problem and
// reports it as one "invalid-config" error; keys and tables the tool does not
// read are ignored, and settings of the wrong type fall back to defaults.
#include "engine/config.h"

#include <optional>
#include <utility>

#include <fmt/format.h>

#include "base/utf8.h"
#include "engine/toml_error.h"

namespace vantrel::engine {
namespace {

constexpr std::string_view kInvalidConfig = "invalid-config";

model::Diagnostic invalid(std::string message) {
  return model::Diagnostic::error(kInvalidConfig, std::move(message));
}

// The `[[package]]` entries in file order, or the message for a malformed one.
base::Result<std::vector<PackageConfig>, model::Diagnostic> read_packages(const toml::table& doc) {
  std::vector<PackageConfig> packages;
  const toml::array* entries = doc["package"].as_array();
  if (entries == nullptr) return packages;
  for (const toml::node& entry : *entries) {
    const toml::table* table = entry.as_table();
    const auto* cargo = table ? (*table)["cargo"].as_string() : nullptr;
    const auto* ts = table ? (*table)["ts"].as_string() : nullptr;
    if (cargo == nullptr || ts == nullptr) {
      return base::err(invalid("each [[package]] needs `cargo = \"...\"` and `ts = \"...\"`"));
    }
    packages.push_back(PackageConfig{cargo->get(), ts->get()});
  }
  return packages;
}

// Whether the npm name stays below the output directory when its pieces are
// appended as path components: no empty, "." or ".." piece (which also rules
// out a leading "/"), and no backslash, which Windows reads as a separator.
bool stays_inside_out_dir(std::string_view ts) {
  if (ts.find('\\') != std::string_view::npos) return false;
  size_t start = 0;
  while (true) {
    size_t slash = ts.find('/', start);
    std::string_view piece = ts.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start);
    if (piece.empty() || piece == "." || piece == "..") return false;
    if (slash == std::string_view::npos) return true;
    start = slash + 1;
  }
}

std::optional<model::Diagnostic> check_package_names(const std::vector<PackageConfig>& packages) {
  for (const PackageConfig& package : packages) {
    if (!stays_inside_out_dir(package.ts)) {
      return invalid(fmt::format(
          "package name `{}` must be an npm package name such as \"@scope/api\"; it must not lead outside the "
          "output directory",
          package.ts));
    }
  }
  return std::nullopt;
}

std::optional<LintLevel> lint_level_named(std::string_view name) {
  if (name == "off") return LintLevel::Off;
  if (name == "warn") return LintLevel::Warn;
  if (name == "deny") return LintLevel::Deny;
  return std::nullopt;
}

std::vector<std::string> read_app_src(const toml::table& doc) {
  std::vector<std::string> patterns;
  const toml::array* src = doc["app"]["src"].as_array();
  if (src == nullptr) return patterns;
  for (const toml::node& element : *src) {
    if (const auto* text = element.as_string()) patterns.push_back(text->get());
  }
  return patterns;
}

}  // namespace

base::Result<Config, model::Diagnostic> Config::load(const std::filesystem::path& root,
                                                     const model::FileProvider& provider) {
  std::filesystem::path path = root / kConfigFileName;
  model::SharedText text = provider.read(path);
  if (!text) {
    return base::err(model::Diagnostic::error(
        "missing-config",
        fmt::format("no vantrel.toml found at {}; run `vantrel new` or create one with a [[package]] entry",
                    base::lossy_utf8(path.string()))));
  }
  return parse(*text);
}

base::Result<Config, model::Diagnostic> Config::parse(std::string_view text) {
  auto doc = parse_toml(text);
  if (!doc) return base::err(invalid(fmt::format("invalid vantrel.toml: {}", doc.error())));

  Config config;
  auto packages = read_packages(*doc);
  if (!packages) return base::err(std::move(packages).error());
  config.packages = std::move(packages).value();
  if (auto refused = check_package_names(config.packages)) return base::err(std::move(*refused));
  if (config.packages.empty()) return base::err(invalid("vantrel.toml declares no [[package]] entries"));

  if (const auto* out_dir = (*doc)["generate"]["out-dir"].as_string()) config.out_dir = out_dir->get();
  config.app_src = read_app_src(*doc);
  if (const auto* level = (*doc)["lint"]["unused-endpoints"].as_string()) {
    std::optional<LintLevel> parsed = lint_level_named(level->get());
    if (!parsed) {
      return base::err(invalid(fmt::format("unknown lint level `{}`; expected off, warn, or deny", level->get())));
    }
    config.unused_endpoints = *parsed;
  }
  return config;
}

Config Config::default_config() { return Config{}; }

std::filesystem::path Config::package_dir(std::string_view ts_name) const {
  std::filesystem::path dir = out_dir;
  size_t start = 0;
  while (true) {
    size_t slash = ts_name.find('/', start);
    dir /= std::string(ts_name.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
    if (slash == std::string_view::npos) return dir;
    start = slash + 1;
  }
}

}  // namespace vantrel::engine
