// Router analysis: the `#[api_router]` functions of the module map are read
// (never run) for `.endpoint(handler)`, `.nest("/prefix", other())` and
// `.merge(other())` calls; the mounts found then rewrite every endpoint's
// route to its full route, record where each handler is mounted, and warn
// about handlers served nowhere or at several routes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/extract/lower_types.h"
#include "model/diag.h"
#include "model/ir.h"
#include "model/span.h"

namespace vantrel::engine::extract {

/// A handler served by `.endpoint(...)`: the resolved function and the span
/// of the call's argument.
struct EndpointRef {
  ModulePath module;
  std::string name;
  model::Span span;
};

/// A router mounted by `.nest(prefix, target())` or `.merge(target())`.
struct Mount {
  std::string prefix;  ///< empty for `.merge`
  ModulePath target_module;
  std::string target_name;
};

/// One `#[api_router]` function.
struct RouterFn {
  ModulePath module;
  std::string name;
  std::vector<EndpointRef> endpoints;  ///< in call order
  std::vector<Mount> mounts;           ///< in call order
};

/// Finds and reads every router function, modules in module-path order and
/// functions in source order. Router diagnostics go to `lowering.diagnostics`.
std::vector<RouterFn> analyze_routers(Lowering& lowering);

/// Rewrites each endpoint's route to its full route under the mounts of the
/// root routers (those no router mounts), fills `router_mounts`, and reports
/// "unmounted-endpoint" and "ambiguous-mount" into `diagnostics`.
void apply_mounts(const std::vector<RouterFn>& routers, std::vector<model::Endpoint>& endpoints,
                  std::vector<model::Diagnostic>& diagnostics);

/// `route` under `prefix`: trailing "/" dropped from both, joined with one
/// "/"; an empty result is "/".
std::string join_prefix(std::string_view prefix, std::string_view route);

}  // namespace vantrel::engine::extract
