// contract.json: the JSON form of a Contract that `generate --contract-json`
// writes next to each generated package. The text is fixed byte for byte (key
// order, omitted keys, escaping, two-space layout, no trailing newline) so that
// equal contracts give identical files.
#pragma once

#include <string>
#include <string_view>

#include "base/result.h"
#include "model/ir.h"

namespace vantrel::model {

/// The contract as pretty-printed JSON text, without a trailing newline.
std::string contract_to_json(const Contract& contract);

/// `text` as a JSON string literal, quotes included, escaped the way
/// contract.json escapes: `"` and `\` with a backslash; \b \f \n \r \t; other
/// bytes below 0x20 as \u00xx in lowercase hex; everything else as is.
std::string json_quote(std::string_view text);

/// Reads contract.json text back. Keys may come in any order; omitted keys
/// take their defaults. The error names what was wrong and where.
base::Result<Contract, std::string> contract_from_json(std::string_view text);

}  // namespace vantrel::model
