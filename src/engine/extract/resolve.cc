// Name lookup over the module map. Every recursive step carries a depth and
// gives up past the limit, which is what ends cycles of `use` and glob
// imports; nothing here reports or fails.
#include "engine/extract/resolve.h"

#include <algorithm>
#include <array>

namespace vantrel::engine::extract {

namespace {

constexpr int kTooDeep = kMaxResolveDepth + 1;

std::vector<std::string> tail(const std::vector<std::string>& segments, size_t from) {
  if (from >= segments.size()) return {};
  return std::vector<std::string>(segments.begin() + static_cast<std::ptrdiff_t>(from), segments.end());
}

// `[crate_name] + rest` as a known outside type, or NotFound.
Entity external_path(const std::string& crate_name, const std::vector<std::string>& rest) {
  std::vector<std::string> path{crate_name};
  path.insert(path.end(), rest.begin(), rest.end());
  std::optional<Entity> found = known_external(path);
  return found ? *found : Entity::not_found();
}

}  // namespace

std::optional<Entity> known_external(const std::vector<std::string>& segments) {
  if (segments.size() != 2) return std::nullopt;
  struct Known {
    std::string_view crate, name;
    model::ExternalType type;
  };
  static constexpr std::array<Known, 4> kKnown{{
      {"uuid", "Uuid", model::ExternalType::Uuid},
      {"chrono", "DateTime", model::ExternalType::DateTimeUtc},
      {"rust_decimal", "Decimal", model::ExternalType::Decimal},
      {"serde_json", "Value", model::ExternalType::JsonValue},
  }};
  for (const Known& known : kKnown) {
    if (segments[0] == known.crate && segments[1] == known.name) return Entity::external_type(known.type);
  }
  return std::nullopt;
}

bool is_known_external_crate(std::string_view name) {
  return name == "serde_json" || name == "rust_decimal" || name == "uuid" || name == "chrono";
}

bool Resolver::is_crate(std::string_view name) const {
  return std::find(crates_.begin(), crates_.end(), name) != crates_.end();
}

Entity Resolver::resolve_path_inner(const ModulePath& module, const std::vector<std::string>& segments,
                                    int depth) const {
  if (segments.empty() || depth >= kTooDeep) return Entity::not_found();
  ++depth;
  const std::string& first = segments.front();
  std::vector<std::string> rest = tail(segments, 1);
  if (first == "self") return resolve_from_module(module, rest, depth);
  if (first == "crate") {
    if (module.empty()) return Entity::not_found();
    return resolve_from_module(ModulePath{module.front()}, rest, depth);
  }
  if (first == "super") {
    if (module.size() < 2) return Entity::not_found();
    return resolve_path_inner(ModulePath(module.begin(), module.end() - 1), rest, depth);
  }
  if (std::optional<Entity> external = known_external(segments)) return *external;
  if (segments.size() == 1) return resolve_name(module, first, depth);
  if (is_crate(first)) return resolve_from_module(ModulePath{first}, rest, depth);
  Entity head = resolve_name(module, first, depth);
  switch (head.kind) {
    case Entity::Kind::Module:
      return resolve_from_module(head.module, rest, depth);
    case Entity::Kind::ExternalCrate:
      return external_path(head.name, rest);
    default:
      return Entity::not_found();
  }
}

Entity Resolver::resolve_name(const ModulePath& module, std::string_view name, int depth) const {
  if (depth > kMaxResolveDepth) return Entity::not_found();
  const ModuleData* data = modules_->find(module);
  if (data == nullptr) return Entity::not_found();
  std::string key(name);
  if (auto child = data->mods.find(key); child != data->mods.end()) return Entity::module_of(child->second);
  if (data->named.count(name) != 0) return Entity::item(module, key);
  if (auto use = data->uses.find(key); use != data->uses.end()) {
    return resolve_path_inner(module, use->second, depth + 1);
  }
  for (const UsePath& glob : data->globs) {
    Entity target = resolve_path_inner(module, glob, depth + 1);
    if (!target.is(Entity::Kind::Module)) continue;
    Entity found = resolve_name(target.module, name, depth + 1);
    if (!found.is(Entity::Kind::NotFound)) return found;
  }
  if (is_known_external_crate(name)) return Entity::external_crate(key);
  if (is_crate(name)) return Entity::module_of(ModulePath{key});
  return Entity::not_found();
}

Entity Resolver::resolve_from_module(const ModulePath& module, const std::vector<std::string>& segments,
                                     int depth) const {
  if (depth >= kTooDeep) return Entity::not_found();
  ModulePath current = module;
  size_t index = 0;  // position in `segments`
  int k = 0;         // position within the current run
  while (true) {
    if (index >= segments.size()) return Entity::module_of(std::move(current));
    const std::string& segment = segments[index];
    if (segment == "self") {
      if (depth + k + 1 >= kTooDeep) return Entity::not_found();
      ++index;
      ++k;
      continue;
    }
    if (segment == "super") {
      if (current.size() < 2 || depth + k > kMaxResolveDepth - 1) return Entity::not_found();
      current.pop_back();
      depth += k + 1;
      ++index;
      k = 0;
      continue;
    }
    Entity found = resolve_name(current, segment, depth + k + 1);
    bool last = index + 1 == segments.size();
    switch (found.kind) {
      case Entity::Kind::Module:
        return resolve_from_module(found.module, tail(segments, index + 1), depth + k + 1);
      case Entity::Kind::External:
      case Entity::Kind::Item:
        return last ? found : Entity::not_found();
      case Entity::Kind::ExternalCrate:
        return external_path(found.name, tail(segments, index + 1));
      case Entity::Kind::NotFound:
        return found;
    }
    return Entity::not_found();
  }
}

}  // namespace vantrel::engine::extract
