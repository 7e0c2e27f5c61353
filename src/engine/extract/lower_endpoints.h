// Endpoint lowering: every handler marked `#[api(...)]` in the module map
// becomes a contract Endpoint — names, method, route as written, path and
// query parameters, request body, success channel, error reference, docs and
// spans. The attribute and the signature are classified by the syntax layer;
// here the types they name are resolved and lowered.
#pragma once

#include <vector>

#include "engine/extract/lower_types.h"
#include "model/ir.h"

namespace vantrel::engine::extract {

/// Lowers every handler of every module (in module-path order, handlers in
/// source order). Declarations the endpoints name are queued on `lowering`;
/// the caller drains the queue afterwards. Routes are those of the attributes
/// (router mounts are applied later).
std::vector<model::Endpoint> lower_endpoints(Lowering& lowering);

}  // namespace vantrel::engine::extract
