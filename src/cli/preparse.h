// Parsing a package's Rust sources on worker threads before extraction.
// Parsing dominates a run and extraction itself walks modules one file at a
// time, so the commands parse (and prepare: sort each file's items into its
// modules) every source file of the packages they are about to extract in
// parallel first and hand the results to extraction, which stays
// single-threaded and uses an entry only when it matches the text it reads.
#pragma once

#include <string_view>

#include "engine/extract/modules.h"
#include "engine/workspace.h"
#include "model/vfs.h"

namespace vantrel::cli {

/// Adds to `parsed` a prepared tree for every `.rs` file below `src/` of `cargo_package`
/// and of each workspace package it reaches, read through `provider`. Files
/// already in `parsed` are not parsed again, so one map can serve every
/// package of a run. Unreadable files and directories are skipped: extraction
/// reads and reports them itself.
void preparse_package(const engine::Workspace& workspace, std::string_view cargo_package,
                      const model::FileProvider& provider, engine::extract::ParsedFiles& parsed);

}  // namespace vantrel::cli
