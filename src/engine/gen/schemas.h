// Schema lowering helpers that need no generator context: property keys and
// the names a type expression references. The context-bound parts
// (ts_type, schema_expr, declaration items) are members of Lowering
// (engine/gen/lowering.h).
#pragma once

#include <string>
#include <string_view>

#include "engine/gen/lowering.h"
#include "model/ir.h"

namespace vantrel::engine::gen {

/// The property key under which a wire name is written: bare when it is a
/// plain ASCII identifier (letters, digits, "_", "$", not starting with a
/// digit), otherwise double-quoted with inner double quotes escaped.
std::string object_key(std::string_view name);

/// Adds the name of every `Named` reference inside `ty` to `names`.
void collect_named(const model::TypeExpr& ty, NameSet& names);

}  // namespace vantrel::engine::gen
