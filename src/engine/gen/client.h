// Client lowering: one contract endpoint becomes the TypeScript an app calls,
// namely an arguments interface, a route constant and a typed client function
// over one of the runtime package's four client constructors (unary,
// event stream, binary download, binary upload). The items go into the
// endpoint's module file; the names they need imported go into that module's
// EndpointImports. Two arguments that would share one property of the
// arguments object (a query field named like a path parameter, or "body"
// beside a request body) are reported as "name-collision" errors.
//
// The entry point is `Lowering::endpoint_items` (declared with the rest of
// the generator context in engine/gen/lowering.h, defined in client.cc);
// this header holds the naming rules that other stages (package assembly, the
// usage index) share with it.
#pragma once

#include <string>
#include <string_view>

#include "engine/gen/lowering.h"
#include "model/ir.h"

namespace vantrel::engine::gen {

/// The expression that reads parameter `name` from the `args` object:
/// "args.id", or "args[\"user-id\"]" when the name is no plain identifier.
std::string args_access(std::string_view name);

/// The arguments interface of an endpoint: `ts_name` with an ASCII lower-case
/// first letter raised, then "Args" ("getUser" -> "GetUserArgs",
/// "_ping" -> "_pingArgs", "" -> "Args").
std::string args_name(std::string_view ts_name);

/// The route constant of an endpoint: `ts_name` followed by "Route".
std::string route_name(std::string_view ts_name);

/// Whether the endpoint's client function takes an `args` object: it has a
/// path parameter, a query parameter or a request body.
bool has_args(const model::Endpoint& endpoint);

}  // namespace vantrel::engine::gen
