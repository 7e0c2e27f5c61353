// The unused-endpoint lint of `vantrel check --unused`: collect the app's
// TypeScript sources from the configured patterns, ask the usage index which
// endpoints the app really uses, and report every other endpoint.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "base/result.h"
#include "engine/config.h"
#include "engine/usage/scanner.h"
#include "model/diag.h"
#include "model/ir.h"
#include "model/vfs.h"

namespace vantrel::cli {

/// The app's sources: each pattern joined to `root` and expanded, in pattern
/// order and then the order the matcher yields. A path is read once even when
/// several patterns match it; paths that cannot be read as UTF-8 text
/// (directories, permissions, invalid UTF-8) are skipped. An invalid pattern
/// fails with "Pattern syntax error near position {position}: {reason}".
base::Result<std::vector<engine::usage::SourceText>, std::string> collect_app_sources(
    const std::filesystem::path& root, const std::vector<std::string>& patterns,
    const model::FileProvider& provider);

/// One "unused-endpoint" diagnostic per endpoint of `contract`, in contract
/// order, that is neither `allow_unused` nor in `used`: an error at level
/// Deny, a warning at Warn, nothing at Off.
std::vector<model::Diagnostic> unused_endpoint_diagnostics(const model::Contract& contract,
                                                           const std::set<std::string>& used,
                                                           engine::LintLevel level);

/// The whole lint for one package at the configured level. Fails only on an
/// invalid app source pattern.
base::Result<std::vector<model::Diagnostic>, std::string> unused_endpoint_lint(
    const std::filesystem::path& root, const engine::Config& config, const model::Contract& contract,
    const model::FileProvider& provider);

}  // namespace vantrel::cli
