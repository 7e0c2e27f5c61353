// Collecting the app's sources and turning endpoints the app never uses into
// diagnostics. The sources are collected again for every package, so a
// pattern's errors surface on the first package that runs the lint.
#include "cli/unused_lint.h"

#include <fmt/format.h>

#include <unordered_set>

#include "base/glob.h"

namespace vantrel::cli {

base::Result<std::vector<engine::usage::SourceText>, std::string> collect_app_sources(
    const std::filesystem::path& root, const std::vector<std::string>& patterns,
    const model::FileProvider& provider) {
  std::vector<engine::usage::SourceText> sources;
  // Keyed by the normal form, so "app/./a.ts" and "app/a.ts" are one file.
  std::unordered_set<std::string> seen;
  for (const std::string& pattern : patterns) {
    auto matches = base::glob_joined(root, pattern);
    if (!matches) return base::err(matches.error().to_string());
    for (const std::filesystem::path& path : *matches) {
      if (!seen.insert(path.lexically_normal().generic_string()).second) continue;
      model::SharedText text = provider.read(path);
      if (!text) continue;
      sources.emplace_back(path.generic_string(), *text);
    }
  }
  return sources;
}

std::vector<model::Diagnostic> unused_endpoint_diagnostics(const model::Contract& contract,
                                                           const std::set<std::string>& used,
                                                           engine::LintLevel level) {
  std::vector<model::Diagnostic> diagnostics;
  if (level == engine::LintLevel::Off) return diagnostics;
  for (const model::Endpoint& endpoint : contract.endpoints) {
    if (endpoint.allow_unused || used.contains(endpoint.id.str())) continue;
    std::string message = fmt::format(
        "endpoint `{}` ({} {}) has no TypeScript usage; remove it or mark it #[api(..., allow_unused)]",
        endpoint.rust_name, model::http_method_upper(endpoint.method), endpoint.route);
    model::Span span = endpoint.spans.attr.value_or(endpoint.spans.name);
    diagnostics.push_back(level == engine::LintLevel::Deny
                              ? model::Diagnostic::error("unused-endpoint", std::move(message), std::move(span))
                              : model::Diagnostic::warning("unused-endpoint", std::move(message), std::move(span)));
  }
  return diagnostics;
}

base::Result<std::vector<model::Diagnostic>, std::string> unused_endpoint_lint(
    const std::filesystem::path& root, const engine::Config& config, const model::Contract& contract,
    const model::FileProvider& provider) {
  if (config.unused_endpoints == engine::LintLevel::Off) return std::vector<model::Diagnostic>{};
  auto sources = collect_app_sources(root, config.app_src, provider);
  if (!sources) return base::err(std::move(sources).error());
  const engine::usage::UsageIndex index = engine::usage::scan_files(contract, *sources);
  return unused_endpoint_diagnostics(contract, index.strongly_used_endpoints(), config.unused_endpoints);
}

}  // namespace vantrel::cli
