// The mentions of one package's generated names in the app's TypeScript
// sources, and the questions asked of them: all mentions of a contract item,
// the mention under a cursor, and which endpoints the app really uses.
// Built once by `scan_files` (engine/usage/scanner.h) and not changed after.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/usage/symbol_table.h"

namespace vantrel::engine::usage {

/// One mention of a generated name.
struct UsageRef {
  std::string symbol;  ///< the contract item's SymbolId text
  std::string file;    ///< the file's path exactly as passed to the scanner
  uint32_t start = 0;  ///< byte offset of the mention's first byte
  uint32_t end = 0;    ///< byte offset just past it
  bool weak = false;   ///< true when the mention does not count as a use
  UsageKind kind = UsageKind::EndpointFunction;

  bool operator==(const UsageRef&) const = default;
};

class UsageIndex {
 public:
  /// Appends a mention; indices into `refs` stay valid for the index's life.
  void add(UsageRef ref);

  /// Every mention, files in the order scanned, and within a file imports
  /// first, then the body in source order.
  const std::vector<UsageRef>& refs() const { return refs_; }

  /// Every mention of `symbol`, in index order; empty when none.
  std::vector<const UsageRef*> refs_for(std::string_view symbol) const;

  /// The shortest mention in `file` whose range contains `offset`, both ends
  /// inclusive so that a cursor just after a name still finds it; the
  /// earliest on a tie. Null when none contains it.
  const UsageRef* symbol_at(std::string_view file, uint32_t offset) const;

  /// The endpoint ids with at least one strong mention of their function or
  /// route constant.
  std::set<std::string> strongly_used_endpoints() const;

 private:
  std::vector<UsageRef> refs_;
  TextMap<std::vector<size_t>> by_symbol_;  // ascending indices into refs_
};

}  // namespace vantrel::engine::usage
