// Small helpers over routes and item attributes that extraction uses beside
// the attribute rules: the parameter names of a route template, the default
// TypeScript module of an endpoint, and the documentation text of an item.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "rustsyn/attribute.h"

namespace vantrel::syntax {

/// The parameter names of `route`, in order: every `{name}` and every
/// `:name` (up to the next "/", "{" or "}").
std::vector<std::string> route_params(std::string_view route);

/// The TypeScript module an endpoint lands in when none is configured: the
/// camelCase form of the route's first literal piece, or "api".
std::string default_ts_module(std::string_view route);

/// The documentation of an item: the values of its `doc = "..."` attributes
/// (every `///` line), each trimmed, joined with "\n"; nothing without any.
std::optional<std::string> doc_string(const std::vector<rustsyn::Attribute>& attrs);

/// `text` without leading and trailing Unicode white space.
std::string_view trim_white_space(std::string_view text);

}  // namespace vantrel::syntax
