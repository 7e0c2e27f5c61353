// Finding the workspace root of a run.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vantrel::cli {

/// The root: `--root` exactly as typed when given; otherwise the nearest
/// directory, starting with the current one, that holds a regular file
/// "vantrel.toml"; otherwise ".".
std::filesystem::path resolve_root(const std::optional<std::string>& root_option);

/// The nearest ancestor of `start` (itself included) holding a regular file
/// "vantrel.toml", if any.
std::optional<std::filesystem::path> find_config_dir(const std::filesystem::path& start);

}  // namespace vantrel::cli
