// `vantrel new NAME`: a small, complete example project (a Cargo workspace
// with one API server, vantrel.toml, and an npm workspace with an app that
// calls the generated client) in a new directory NAME.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace vantrel::cli {

/// One file of the project: its path relative to the current directory and
/// its text.
struct ScaffoldFile {
  std::filesystem::path path;
  std::string text;
};

/// Whether `name` may name a project: non-empty, only ASCII letters, digits,
/// "-" and "_".
bool is_valid_project_name(std::string_view name);

/// The project's files for `name`, in the order they are written.
std::vector<ScaffoldFile> scaffold_files(std::string_view name);

/// Creates the parent directories of `path` and writes `text` to it,
/// replacing an existing file. Fails with the system's error text.
base::Result<base::Unit, std::string> write(const std::filesystem::path& path, std::string_view text);

/// Checks the name, refuses an existing NAME, writes the files and prints the
/// next steps on `out`. A failure is the message to print behind "error: ";
/// files written before a failed write stay.
base::Result<int, std::string> new_project(std::string_view name, std::ostream& out);

}  // namespace vantrel::cli
