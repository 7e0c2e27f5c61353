// Queries over the mentions found in the app's sources.
#include "engine/usage/usage_index.h"

#include <utility>

namespace vantrel::engine::usage {

void UsageIndex::add(UsageRef ref) {
  by_symbol_[ref.symbol].push_back(refs_.size());
  refs_.push_back(std::move(ref));
}

std::vector<const UsageRef*> UsageIndex::refs_for(std::string_view symbol) const {
  std::vector<const UsageRef*> out;
  auto it = by_symbol_.find(symbol);
  if (it == by_symbol_.end()) return out;
  out.reserve(it->second.size());
  for (size_t index : it->second) out.push_back(&refs_[index]);
  return out;
}

const UsageRef* UsageIndex::symbol_at(std::string_view file, uint32_t offset) const {
  const UsageRef* best = nullptr;
  for (const UsageRef& ref : refs_) {
    if (ref.file != file || offset < ref.start || offset > ref.end) continue;
    // Strictly shorter only, so the earliest of equally long mentions stays.
    if (best == nullptr || ref.end - ref.start < best->end - best->start) best = &ref;
  }
  return best;
}

std::set<std::string> UsageIndex::strongly_used_endpoints() const {
  std::set<std::string> used;
  for (const UsageRef& ref : refs_) {
    if (ref.weak) continue;
    if (ref.kind == UsageKind::EndpointFunction || ref.kind == UsageKind::RouteConstant) used.insert(ref.symbol);
  }
  return used;
}

}  // namespace vantrel::engine::usage
