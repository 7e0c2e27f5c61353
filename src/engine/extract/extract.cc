// The extraction driver: module map, declaration seeding, type and endpoint
// lowering, router mounts, then the contract's fixed orders, reachability and
// the checks that generated names are unique. Every stage appends to one
// diagnostics list, so the result lists problems in the order they were met.
#include "engine/extract/extract.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>
#include <utility>

#include "engine/extract/lower_endpoints.h"
#include "engine/extract/lower_types.h"
#include "engine/extract/modules.h"
#include "engine/extract/resolve.h"
#include "engine/extract/router.h"

namespace vantrel::engine::extract {

namespace {

using model::Diagnostic;
using model::SymbolId;

/// Where to cut the seeds into two halves lowered independently: the first
/// module boundary at or after the middle, so that no declaration can be
/// seeded in both halves.
size_t seed_split(const std::vector<QueuedDecl>& seeds) {
  for (size_t i = std::max<size_t>(seeds.size() / 2, 1); i < seeds.size(); ++i) {
    if (seeds[i].module != seeds[i - 1].module) return i;
  }
  return seeds.size();
}

// Every struct or enum deriving Api or ApiError in the walked crates, in
// module-path order (the map's order), then by name.
std::vector<QueuedDecl> seed_declarations(const ModuleMap& map) {
  std::vector<QueuedDecl> seeds;
  for (const auto& [path, data] : map.modules()) {
    std::vector<std::string> names;
    for (size_t i = 0; i < data.items.size(); ++i) {
      if (!data.api_kinds[i]) continue;
      if (std::optional<rustsyn::Ident> ident = data.items[i].ident()) names.emplace_back(ident->text);
    }
    std::stable_sort(names.begin(), names.end());
    for (std::string& name : names) seeds.push_back(QueuedDecl{path, std::move(name)});
  }
  return seeds;
}

void collect_fields(const std::vector<model::Field>& fields, std::vector<SymbolId>& out) {
  for (const model::Field& field : fields) collect_expr(field.ty, out);
}

// The ids an endpoint names directly: parameters, JSON body, success body,
// then its error references.
void collect_endpoint(const model::Endpoint& endpoint, std::vector<SymbolId>& out) {
  for (const model::Param& param : endpoint.request.path_params) collect_expr(param.ty, out);
  for (const model::Param& param : endpoint.request.query_params) collect_expr(param.ty, out);
  if (endpoint.request.body) {
    if (const auto* json = std::get_if<model::RequestBody::Json>(&endpoint.request.body->value)) {
      collect_expr(json->ty, out);
    }
  }
  const model::SuccessBody::Value& success = endpoint.success.body.value;
  if (const auto* json = std::get_if<model::SuccessBody::Json>(&success)) collect_expr(json->ty, out);
  if (const auto* stream = std::get_if<model::SuccessBody::Stream>(&success)) collect_expr(stream->item, out);
  for (const model::ErrorRef& error : endpoint.errors) out.push_back(error.id);
}

/// A stable sort that moves each record once: contract records are large, and
/// sorting them in place moved every one through each merge pass.
template <class T, class Less>
void stable_sort_records(std::vector<T>& records, Less less) {
  std::vector<size_t> order(records.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return less(records[a], records[b]); });
  std::vector<T> sorted;
  sorted.reserve(records.size());
  for (size_t index : order) sorted.push_back(std::move(records[index]));
  records = std::move(sorted);
}

template <class Decl>
std::vector<Decl> kept_sorted(std::map<SymbolId, Decl>& all, const std::set<SymbolId>& seen) {
  std::vector<Decl> kept;
  for (auto& [id, decl] : all) {
    if (seen.count(id) != 0) kept.push_back(std::move(decl));
  }
  // The map iterates by id, so a stable sort by name leaves ties in id order.
  stable_sort_records(kept, [](const Decl& a, const Decl& b) { return a.ts_name < b.ts_name; });
  return kept;
}

void check_collisions(const model::Contract& contract, std::vector<Diagnostic>& diagnostics) {
  auto collision = [&](std::string message, const model::Span& span) {
    diagnostics.push_back(Diagnostic::error("name-collision", std::move(message), span));
  };
  std::unordered_set<std::string> type_names;
  for (const model::TypeDecl& type : contract.types) {
    if (!type_names.insert(type.ts_name).second) {
      collision("two API types named `" + type.ts_name +
                    "` exist in different modules; generated TypeScript names must be unique — rename one of them",
                type.spans.name);
    }
  }
  for (const model::ErrorDecl& error : contract.errors) {
    if (type_names.count(error.ts_name) != 0) {
      collision("API error `" + error.ts_name + "` collides with an API type of the same name", error.spans.name);
    }
  }
  std::unordered_set<std::string> error_names;
  std::unordered_set<std::string> all_error_names;
  for (const model::ErrorDecl& error : contract.errors) all_error_names.insert(error.ts_name);
  for (const model::ErrorDecl& error : contract.errors) {
    if (!error_names.insert(error.ts_name).second) {
      collision("two API errors named `" + error.ts_name + "` exist in different modules; rename one of them",
                error.spans.name);
    }
  }
  std::unordered_set<std::string> tags;
  for (const model::ErrorDecl& error : contract.errors) {
    for (const model::ErrorVariant& variant : error.variants) {
      bool taken = !tags.insert(variant.tag).second;
      if (taken || type_names.count(variant.tag) != 0 || all_error_names.count(variant.tag) != 0) {
        collision("API error tag `" + variant.tag +
                      "` collides with another generated name; error tags become TypeScript error classes and must "
                      "be unique",
                  variant.spans.name);
      }
    }
  }
  std::set<std::pair<std::string, std::string>> endpoint_names;
  for (const model::Endpoint& endpoint : contract.endpoints) {
    if (!endpoint_names.emplace(endpoint.ts_module, endpoint.ts_name).second) {
      collision("two endpoints generate `" + endpoint.ts_module + "." + endpoint.ts_name +
                    "`; rename one of the handler functions",
                endpoint.spans.name);
    }
  }
}

}  // namespace

void run_in_turn(const std::function<void()>& first, const std::function<void()>& second) {
  first();
  second();
}

bool Extraction::has_errors() const {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity == model::Severity::Error; });
}

void collect_expr(const model::TypeExpr& expr, std::vector<SymbolId>& out) {
  // Iterative: expressions are trees whose depth follows the input.
  std::vector<const model::TypeExpr*> work{&expr};
  while (!work.empty()) {
    const model::TypeExpr* current = work.back();
    work.pop_back();
    std::visit(
        [&](const auto& value) {
          using T = std::decay_t<decltype(value)>;
          if constexpr (std::is_same_v<T, model::TypeExpr::Named>) {
            out.push_back(value.id);
          } else if constexpr (std::is_same_v<T, model::TypeExpr::Option> ||
                               std::is_same_v<T, model::TypeExpr::List>) {
            work.push_back(&*value.inner);
          } else if constexpr (std::is_same_v<T, model::TypeExpr::Map>) {
            work.push_back(&*value.value);
            work.push_back(&*value.key);
          }
        },
        current->value);
  }
}

std::set<SymbolId> reachable_ids(const std::vector<model::Endpoint>& endpoints,
                                 const std::map<SymbolId, model::TypeDecl>& types,
                                 const std::map<SymbolId, model::ErrorDecl>& errors) {
  std::vector<SymbolId> work;
  for (const model::Endpoint& endpoint : endpoints) collect_endpoint(endpoint, work);
  std::set<SymbolId> seen;
  while (!work.empty()) {
    SymbolId id = std::move(work.back());
    work.pop_back();
    if (!seen.insert(id).second) continue;
    if (auto type = types.find(id); type != types.end()) {
      std::visit(
          [&](const auto& shape) {
            using T = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<T, model::TypeShape::Struct>) {
              collect_fields(shape.fields, work);
            } else if constexpr (std::is_same_v<T, model::TypeShape::Enum>) {
              for (const model::EnumVariant& variant : shape.variants) collect_fields(variant.fields, work);
            } else {
              collect_expr(shape.inner, work);
            }
          },
          type->second.shape.value);
    } else if (auto error = errors.find(id); error != errors.end()) {
      for (const model::ErrorVariant& variant : error->second.variants) collect_fields(variant.fields, work);
    }
  }
  return seen;
}

base::Result<Extraction, Diagnostic> extract(const Workspace& workspace, std::string_view cargo_package,
                                             std::string_view ts_package, const model::FileProvider& provider,
                                             const ParsedFiles* parsed, const RunBoth& run_both) {
  const Package* package = workspace.find(cargo_package);
  if (package == nullptr) {
    return base::err(Diagnostic::error(
        "unknown-package", "package `" + std::string(cargo_package) + "` is not a member of this workspace"));
  }

  std::vector<Diagnostic> diagnostics;
  ModuleMap map(parsed);
  std::vector<std::string> crates;
  for (const Package& reachable : workspace.reachable_packages(package->name)) {
    map.walk_package(workspace.root, reachable, provider, diagnostics);
    crates.push_back(reachable.crate_name);
  }

  // Lowering a seed reads the map and writes only its own declaration,
  // diagnostics and queue entries, so the two halves of the seeds can be
  // lowered apart; absorbing the second half's lowering then gives exactly
  // what lowering them all in order gives. Router analysis likewise only
  // resolves names and reports, beside endpoint lowering.
  Lowering lowering(Resolver(std::move(crates), map), std::move(diagnostics));
  std::vector<QueuedDecl> seeds = seed_declarations(map);
  const size_t split = seed_split(seeds);
  Lowering second_half(lowering.resolver, {});
  auto lower_seeds = [&](Lowering& into, size_t begin, size_t end) {
    for (size_t i = begin; i < end; ++i) into.lower_named_decl(seeds[i].module, seeds[i].name);
  };
  run_both([&] { lower_seeds(lowering, 0, split); }, [&] { lower_seeds(second_half, split, seeds.size()); });
  lowering.absorb(std::move(second_half));
  lowering.drain_type_queue();

  std::vector<model::Endpoint> endpoints;
  std::vector<RouterFn> routers;
  Lowering routing(lowering.resolver, {});
  run_both(
      [&] {
        endpoints = lower_endpoints(lowering);
        lowering.drain_type_queue();
      },
      [&] { routers = analyze_routers(routing); });
  lowering.absorb(std::move(routing));
  apply_mounts(routers, endpoints, lowering.diagnostics);

  stable_sort_records(endpoints, [](const model::Endpoint& a, const model::Endpoint& b) {
    return std::tie(a.ts_module, a.ts_name) < std::tie(b.ts_module, b.ts_name);
  });
  std::set<SymbolId> seen = reachable_ids(endpoints, lowering.types, lowering.errors);

  Extraction extraction;
  model::Contract& contract = extraction.contract;
  contract.package = model::PackageMeta{std::string(ts_package), std::string(cargo_package)};
  contract.endpoints = std::move(endpoints);
  contract.types = kept_sorted(lowering.types, seen);
  contract.errors = kept_sorted(lowering.errors, seen);
  extraction.diagnostics = std::move(lowering.diagnostics);
  check_collisions(contract, extraction.diagnostics);
  return extraction;
}

}  // namespace vantrel::engine::extract
