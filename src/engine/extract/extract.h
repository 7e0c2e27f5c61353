// The one entry point of extraction: from the discovered workspace and one
// Cargo package to its API contract and every diagnostic found on the way.
// Module map, type lowering, endpoint lowering and router analysis run in a
// fixed order; only the declarations reachable from the endpoints are kept,
// and generated names are checked for collisions. Pure: it reads only what
// the file provider serves and keeps no state between calls.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string_view>
#include <vector>

#include "base/result.h"
#include "engine/extract/modules.h"
#include "engine/workspace.h"
#include "model/diag.h"
#include "model/ir.h"
#include "model/vfs.h"

namespace vantrel::engine::extract {

/// A package's contract and its diagnostics, in the order found.
struct Extraction {
  model::Contract contract;
  std::vector<model::Diagnostic> diagnostics;

  /// True when some diagnostic is an error: the contract is then not complete
  /// enough to generate from (but may still be shown).
  bool has_errors() const;
};

/// Runs two tasks that share only what they read and returns when both are
/// done, in whatever order or overlap it likes. Extraction hands work it can
/// split to one; a caller with a spare thread runs the two at the same time.
using RunBoth = std::function<void(const std::function<void()>& first, const std::function<void()>& second)>;

/// Runs `first`, then `second`.
void run_in_turn(const std::function<void()>& first, const std::function<void()>& second);

/// Extracts `cargo_package` of `workspace`, naming its client `ts_package`.
/// The only failure is the "unknown-package" error for a name that is not a
/// member of the workspace; every other problem is a diagnostic in the result.
/// Trees in `parsed` (if given) stand in for parsing the files whose text they
/// match; the result is the same with or without them. Independent parts of
/// the work go through `run_both`; the result is the same however it runs
/// them.
base::Result<Extraction, model::Diagnostic> extract(const Workspace& workspace, std::string_view cargo_package,
                                                    std::string_view ts_package, const model::FileProvider& provider,
                                                    const ParsedFiles* parsed = nullptr,
                                                    const RunBoth& run_both = run_in_turn);

/// The declaration ids the endpoints reach, directly or through other
/// declarations' fields (the contract keeps exactly these). Ids with no
/// declaration in `types` or `errors` are included but lead nowhere.
std::set<model::SymbolId> reachable_ids(const std::vector<model::Endpoint>& endpoints,
                                        const std::map<model::SymbolId, model::TypeDecl>& types,
                                        const std::map<model::SymbolId, model::ErrorDecl>& errors);

/// Appends the declaration ids a type expression names (through options,
/// lists and maps) to `out`.
void collect_expr(const model::TypeExpr& expr, std::vector<model::SymbolId>& out);

}  // namespace vantrel::engine::extract
