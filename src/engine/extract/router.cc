// Router analysis. Router bodies are read for three call forms only; anything
// that would need running the code to understand is reported and skipped.
// Mount collection walks the router graph with an explicit stack and a
// visiting set (mount cycles end), and a budget on the number of router
// visits, since routers that mount one another twice per level multiply
// their paths exponentially.
#include "engine/extract/router.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "rustsyn/literal.h"
#include "rustsyn/method_calls.h"

namespace vantrel::engine::extract {

namespace {

/// How many router visits mount collection makes before it gives up.
constexpr size_t kMaxRouterVisits = 10000;

using RouterKey = std::pair<ModulePath, std::string>;

/// The value of a string literal expression, or nothing.
std::optional<std::string> string_literal_value(const rustsyn::Node& expr) {
  if (!expr.is("string_literal") && !expr.is("raw_string_literal")) return std::nullopt;
  std::optional<rustsyn::Lit> lit = rustsyn::Lit::from_node(expr);
  if (!lit || !lit->is_string()) return std::nullopt;
  auto value = lit->string_value();
  if (!value.ok()) return std::nullopt;
  return std::move(value.value());
}

/// Reads one router function's body.
class RouterVisitor {
 public:
  RouterVisitor(Lowering& lowering, const ModulePath& module, const std::string& file)
      : lowering_(lowering), module_(module), file_(file) {}

  void visit(const rustsyn::MethodCall& call) {
    std::string_view method = call.method.text;
    if (method == "endpoint") {
      visit_endpoint(call);
    } else if (method == "nest") {
      visit_nest(call);
    } else if (method == "merge") {
      if (call.args.size() != 1) return;
      if (auto target = resolve_router_expr(call.args[0])) {
        mounts.push_back(Mount{"", std::move(target->first), std::move(target->second)});
      }
    }
  }

  /// Resolves the path of a handler or router function to an item; nothing
  /// for a path with generic arguments or one that names no item.
  std::optional<RouterKey> resolve_fn_path(const rustsyn::Node& expr) const {
    std::optional<rustsyn::TypePath> path = rustsyn::Type(expr).path();
    if (!path || path->qself || path->segments.empty()) return std::nullopt;
    for (const rustsyn::PathSegment& segment : path->segments) {
      if (segment.has_angle_args()) return std::nullopt;
    }
    Entity entity = lowering_.resolver.resolve_path_inner(module_, path_segments(*path), 0);
    if (!entity.is(Entity::Kind::Item)) return std::nullopt;
    return RouterKey{std::move(entity.module), std::move(entity.name)};
  }

  /// Accepts only a direct call of a function named by a path.
  std::optional<RouterKey> resolve_router_expr(const rustsyn::Node& expr) {
    if (expr.is("call_expression")) return resolve_fn_path(expr.field("function"));
    lowering_.diagnostics.push_back(model::Diagnostic::warning(
        "opaque-router-call",
        ".nest(...)/.merge(...) with an expression that is not a direct call to another #[api_router] function is "
        "invisible to vantrel",
        span_of(file_, expr)));
    return std::nullopt;
  }

  std::vector<EndpointRef> endpoints;
  std::vector<Mount> mounts;

 private:
  void visit_endpoint(const rustsyn::MethodCall& call) {
    if (call.args.size() != 1) {
      lowering_.diagnostics.push_back(model::Diagnostic::error(
          "invalid-router-call", "#[api_router] .endpoint(...) expects exactly one handler path",
          span_of(file_, call.node)));
      return;
    }
    const rustsyn::Node& arg = call.args[0];
    std::optional<RouterKey> handler = resolve_fn_path(arg);
    if (!handler) {
      lowering_.diagnostics.push_back(model::Diagnostic::error(
          "invalid-router-call",
          "#[api_router] .endpoint(...) only supports a path to an #[api] handler, like `get_user` or "
          "`users::get_user`",
          span_of(file_, arg)));
      return;
    }
    endpoints.push_back(EndpointRef{std::move(handler->first), std::move(handler->second), span_of(file_, arg)});
  }

  void visit_nest(const rustsyn::MethodCall& call) {
    if (call.args.size() != 2) return;
    std::optional<std::string> prefix = string_literal_value(call.args[0]);
    if (!prefix) {
      lowering_.diagnostics.push_back(model::Diagnostic::warning(
          "opaque-router-call",
          ".nest(...) with a non-literal prefix is invisible to vantrel; mounted endpoints will report their "
          "unprefixed routes",
          span_of(file_, call.args[0])));
      return;
    }
    if (auto target = resolve_router_expr(call.args[1])) {
      mounts.push_back(Mount{std::move(*prefix), std::move(target->first), std::move(target->second)});
    }
  }

  Lowering& lowering_;
  const ModulePath& module_;
  const std::string& file_;
};

struct MountEntry {
  std::string route;  ///< first the accumulated prefix, later the full route
  model::Span span;
};

using RouterIndex = std::map<RouterKey, const RouterFn*>;
using RoutesMap = std::map<RouterKey, std::vector<MountEntry>>;

/// Collects the routes of `root`'s endpoints and, depth first, of every
/// router it mounts, once per mount path. A router already on the current
/// path is skipped, which ends mount cycles. Returns false when the visit
/// budget ran out.
bool collect_mounts(const RouterFn& root, const RouterIndex& index, RoutesMap& routes, size_t& visits) {
  struct Frame {
    const RouterFn* router;
    std::string prefix;
    size_t next_mount = 0;
  };
  std::vector<Frame> stack;
  std::set<const RouterFn*> visiting;
  auto enter = [&](const RouterFn* router, std::string prefix) {
    if (visiting.count(router)) return true;
    if (++visits > kMaxRouterVisits) return false;
    visiting.insert(router);
    for (const EndpointRef& ref : router->endpoints) {
      routes[RouterKey{ref.module, ref.name}].push_back(MountEntry{prefix, ref.span});
    }
    stack.push_back(Frame{router, std::move(prefix)});
    return true;
  };
  if (!enter(&root, "")) return false;
  while (!stack.empty()) {
    Frame& top = stack.back();
    if (top.next_mount == top.router->mounts.size()) {
      visiting.erase(top.router);
      stack.pop_back();
      continue;
    }
    const Mount& mount = top.router->mounts[top.next_mount++];
    auto target = index.find(RouterKey{mount.target_module, mount.target_name});
    if (target == index.end()) continue;
    if (!enter(target->second, join_prefix(top.prefix, mount.prefix))) return false;
  }
  return true;
}

void place_endpoint(model::Endpoint& endpoint, std::vector<MountEntry> entries,
                    std::vector<model::Diagnostic>& diagnostics) {
  for (MountEntry& entry : entries) entry.route = join_prefix(entry.route, endpoint.route);
  std::stable_sort(entries.begin(), entries.end(),
                   [](const MountEntry& a, const MountEntry& b) { return a.route < b.route; });
  std::vector<std::string> distinct;
  for (MountEntry& entry : entries) {
    if (distinct.empty() || distinct.back() != entry.route) distinct.push_back(entry.route);
    endpoint.router_mounts.push_back(std::move(entry.span));
  }
  endpoint.route = distinct.front();
  if (distinct.size() < 2) return;
  std::string list;
  for (const std::string& route : distinct) {
    if (!list.empty()) list += ", ";
    list += route;
  }
  diagnostics.push_back(model::Diagnostic::warning(
      "ambiguous-mount",
      "endpoint `" + endpoint.rust_name + "` is mounted at multiple routes (" + list +
          "); the generated client uses `" + endpoint.route + "`",
      endpoint.spans.name));
}

}  // namespace

std::string join_prefix(std::string_view prefix, std::string_view route) {
  auto trim = [](std::string_view text) {
    while (!text.empty() && text.back() == '/') text.remove_suffix(1);
    return text;
  };
  prefix = trim(prefix);
  route = trim(route);
  if (route.empty()) return prefix.empty() ? std::string("/") : std::string(prefix);
  std::string out(prefix);
  if (route.front() != '/') out += '/';
  out += route;
  return out;
}

std::vector<RouterFn> analyze_routers(Lowering& lowering) {
  std::vector<RouterFn> routers;
  for (const auto& [module, data] : lowering.modules().modules()) {
    for (size_t i = 0; i < data.items.size(); ++i) {
      const ItemSyntax* read = data.syntax[i].get();
      if (!read || !read->router) continue;
      rustsyn::FnItem fn(data.items[i].node());
      RouterVisitor visitor(lowering, module, data.file);
      for (const rustsyn::MethodCall& call : read->router->calls) visitor.visit(call);
      routers.push_back(RouterFn{module, std::string(fn.name().text), std::move(visitor.endpoints),
                                 std::move(visitor.mounts)});
    }
  }
  return routers;
}

void apply_mounts(const std::vector<RouterFn>& routers, std::vector<model::Endpoint>& endpoints,
                  std::vector<model::Diagnostic>& diagnostics) {
  RouterIndex index;
  std::set<RouterKey> targets;
  for (const RouterFn& router : routers) {
    index.emplace(RouterKey{router.module, router.name}, &router);
    for (const Mount& mount : router.mounts) targets.emplace(mount.target_module, mount.target_name);
  }
  RoutesMap routes;
  size_t visits = 0;
  for (const RouterFn& router : routers) {
    if (targets.count(RouterKey{router.module, router.name})) continue;
    if (!collect_mounts(router, index, routes, visits)) {
      diagnostics.push_back(model::Diagnostic::warning(
          "opaque-router-call",
          "#[api_router] `" + router.name + "` mounts routers along more than " + std::to_string(kMaxRouterVisits) +
              " paths; the mounts beyond them are invisible to vantrel"));
      break;
    }
  }
  for (model::Endpoint& endpoint : endpoints) {
    ModulePath module(endpoint.rust_path.begin(), endpoint.rust_path.end() - (endpoint.rust_path.empty() ? 0 : 1));
    auto found = routes.find(RouterKey{module, endpoint.rust_name});
    if (found == routes.end() || found->second.empty()) {
      diagnostics.push_back(model::Diagnostic::warning(
          "unmounted-endpoint",
          "endpoint `" + endpoint.rust_name + "` is not mounted in any #[api_router]; it will not be served",
          endpoint.spans.attr ? *endpoint.spans.attr : endpoint.spans.name));
      continue;
    }
    std::vector<MountEntry> entries = std::move(found->second);
    routes.erase(found);
    place_endpoint(endpoint, std::move(entries), diagnostics);
  }
}

}  // namespace vantrel::engine::extract
