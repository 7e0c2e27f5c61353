// Router analysis over small in-memory crates: route joining, nesting and
// merging across modules, ambiguous and missing mounts, the call forms that
// are refused or invisible, and router graphs built to loop or explode.
#include "engine/extract/router.h"

#include <gtest/gtest.h>

#include "engine/extract/lower_endpoints.h"
#include "lowering_fixture.h"

namespace vantrel::engine::extract {
namespace {

using testing::describe;
using testing::MemoryCrates;

TEST(JoinPrefixTest, Table) {
  struct Case {
    std::string prefix, route, expected;
  };
  const std::vector<Case> cases = {
      {"/api/", "/users/", "/api/users"}, {"/api", "/", "/api"},       {"", "/", "/"},
      {"/api", "users", "/api/users"},    {"api", "users", "api/users"}, {"/", "/x", "/x"},
      {"", "/users/", "/users"},          {"", "", "/"},                {"///", "//", "/"},
      {"/a", "/b//", "/a/b"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(join_prefix(c.prefix, c.route), c.expected) << "'" << c.prefix << "' + '" << c.route << "'";
  }
}

using Files = std::vector<std::pair<std::string, std::string>>;

/// Lowers the handlers and routers of crate "app" and applies the mounts.
struct Routed {
  MemoryCrates crates;
  std::vector<RouterFn> routers;
  std::vector<model::Endpoint> endpoints;
  std::vector<std::string> diagnostics;

  explicit Routed(const std::vector<std::pair<std::string, std::string>>& files) {
    crates.add_crate("app", files);
    Lowering& lowering = crates.lowering();
    endpoints = lower_endpoints(lowering);
    routers = analyze_routers(lowering);
    apply_mounts(routers, endpoints, lowering.diagnostics);
    diagnostics = describe(lowering.diagnostics);
  }

  const model::Endpoint& endpoint(const std::string& name) const {
    for (const model::Endpoint& e : endpoints) {
      if (e.rust_name == name) return e;
    }
    throw std::runtime_error("no endpoint " + name);
  }
  std::vector<std::string> mount_texts(const std::string& name) const {
    std::vector<std::string> out;
    for (const model::Span& span : endpoint(name).router_mounts) out.push_back(crates.text_at(span));
    return out;
  }
};

constexpr const char* kUsers =
    "#[api(get, \"/users/{id}\")] pub async fn get_user(id: Path<u32>) {}\n"
    "#[api_router] pub fn router() -> Router { Router::new().endpoint(get_user) }\n";

TEST(RouterTest, NestAndMergeAcrossModules) {
  Routed r(Files{{"src/lib.rs",
             "mod users; mod health;\n"
             "#[api_router] fn root() -> Router {\n"
             "  Router::new().nest(\"/api\", beta()).merge(health::router())\n"
             "}\n"
             "#[api_router] fn beta() -> Router { Router::new().nest(\"/beta\", users::router()) }\n"},
            {"src/users.rs", kUsers},
            {"src/health.rs",
             "#[api(get, \"/\")] pub async fn health() {}\n"
             "#[api(get, \"/ping/\")] pub async fn ping() {}\n"
             "#[api_router] pub fn router() -> Router { Router::new().endpoint(health).endpoint(self::ping) }\n"}});
  EXPECT_TRUE(r.diagnostics.empty()) << ::testing::PrintToString(r.diagnostics);
  EXPECT_EQ(r.endpoint("get_user").route, "/api/beta/users/{id}");
  EXPECT_EQ(r.mount_texts("get_user"), std::vector<std::string>{"get_user"});
  EXPECT_EQ(r.endpoint("health").route, "/");
  EXPECT_EQ(r.endpoint("ping").route, "/ping");
  EXPECT_EQ(r.mount_texts("ping"), std::vector<std::string>{"self::ping"});
  EXPECT_EQ(r.endpoint("get_user").router_mounts[0].file, "app/src/users.rs");

  // Routers in module-path order, calls in source order.
  ASSERT_EQ(r.routers.size(), 4u);
  EXPECT_EQ(r.routers[0].name, "root");
  ASSERT_EQ(r.routers[0].mounts.size(), 2u);
  EXPECT_EQ(r.routers[0].mounts[0].prefix, "/api");
  EXPECT_EQ(r.routers[0].mounts[0].target_name, "beta");
  EXPECT_EQ(r.routers[0].mounts[1].prefix, "");
  EXPECT_EQ(r.routers[0].mounts[1].target_module, (ModulePath{"app", "health"}));
}

TEST(RouterTest, AmbiguousAndRepeatedMounts) {
  Routed r(Files{{"src/lib.rs",
             "mod users;\n"
             "#[api_router] fn b() -> Router { Router::new().nest(\"/b\", users::router()) }\n"
             "#[api_router] fn a() -> Router { Router::new().nest(\"/a\", users::router()) }\n"
             "#[api(get, \"/twice\")] async fn twice() {}\n"
             "#[api_router] fn c() -> Router { Router::new().endpoint(twice).endpoint(twice) }\n"},
            {"src/users.rs", "#[api(get, \"/x\")] pub async fn x() {}\n"
                             "#[api_router] pub fn router() -> Router { Router::new().endpoint(x) }\n"}});
  EXPECT_EQ(r.diagnostics, (std::vector<std::string>{"warning[ambiguous-mount] endpoint `x` is mounted at multiple "
                                                      "routes (/a/x, /b/x); the generated client uses `/a/x`"}));
  EXPECT_EQ(r.crates.text_at(*r.crates.lowering().diagnostics[0].span), "x");
  EXPECT_EQ(r.endpoint("x").route, "/a/x");
  EXPECT_EQ(r.endpoint("x").router_mounts.size(), 2u);
  EXPECT_EQ(r.endpoint("twice").route, "/twice");
  EXPECT_EQ(r.endpoint("twice").router_mounts.size(), 2u);
}

TEST(RouterTest, UnmountedEndpointsAndCycles) {
  struct Case {
    std::string name;
    std::string source;
  };
  const std::vector<Case> cases = {
      {"no router", "#[api(get, \"/users/\")] async fn h() {}\n"},
      {"self mount",
       "#[api(get, \"/users/\")] async fn h() {}\n"
       "#[api_router] fn r() -> Router { Router::new().merge(r()).endpoint(h) }\n"},
      {"mutual nesting",
       "#[api(get, \"/users/\")] async fn h() {}\n"
       "#[api_router] fn r1() -> Router { Router::new().nest(\"/x\", r2()).endpoint(h) }\n"
       "#[api_router] fn r2() -> Router { Router::new().nest(\"/y\", r1()) }\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Routed r(Files{{"src/lib.rs", c.source}});
    EXPECT_EQ(r.diagnostics, (std::vector<std::string>{"warning[unmounted-endpoint] endpoint `h` is not mounted in "
                                                        "any #[api_router]; it will not be served"}));
    EXPECT_EQ(r.crates.text_at(*r.crates.lowering().diagnostics[0].span), "#[api(get, \"/users/\")]");
    EXPECT_EQ(r.endpoint("h").route, "/users/");  // kept as written
    EXPECT_TRUE(r.endpoint("h").router_mounts.empty());
  }
}

TEST(RouterTest, CycleBelowARootEnds) {
  Routed r(Files{{"src/lib.rs",
             "#[api(get, \"/h\")] async fn h() {}\n"
             "#[api_router] fn root() -> Router { Router::new().nest(\"/r\", r1()) }\n"
             "#[api_router] fn r1() -> Router { Router::new().nest(\"/x\", r2()).endpoint(h) }\n"
             "#[api_router] fn r2() -> Router { Router::new().nest(\"/y\", r1()).endpoint(h) }\n"}});
  // r1 under root, r2 under r1; r1 again under r2 is on the path and skipped.
  EXPECT_EQ(r.endpoint("h").route, "/r/h");
  EXPECT_EQ(r.endpoint("h").router_mounts.size(), 2u);
  EXPECT_EQ(r.diagnostics, (std::vector<std::string>{"warning[ambiguous-mount] endpoint `h` is mounted at multiple "
                                                      "routes (/r/h, /r/x/h); the generated client uses `/r/h`"}));
}

TEST(RouterTest, RefusedAndInvisibleCalls) {
  struct Case {
    std::string call;
    std::string diagnostic;
    std::string span_text;
  };
  const std::string only_path =
      "error[invalid-router-call] #[api_router] .endpoint(...) only supports a path to an #[api] handler, like "
      "`get_user` or `users::get_user`";
  const std::string exactly_one = "error[invalid-router-call] #[api_router] .endpoint(...) expects exactly one handler path";
  const std::string opaque_prefix =
      "warning[opaque-router-call] .nest(...) with a non-literal prefix is invisible to vantrel; mounted endpoints "
      "will report their unprefixed routes";
  const std::string opaque_router =
      "warning[opaque-router-call] .nest(...)/.merge(...) with an expression that is not a direct call to another "
      "#[api_router] function is invisible to vantrel";
  const std::vector<Case> cases = {
      {".endpoint(get_user::<u8>)", only_path, "get_user::<u8>"},
      {".endpoint(|| 1)", only_path, "|| 1"},
      {".endpoint(missing)", only_path, "missing"},
      {".endpoint()", exactly_one, "Router::new().endpoint()"},
      {".endpoint(get_user, get_user)", exactly_one, "Router::new().endpoint(get_user, get_user)"},
      {".nest(PREFIX, other())", opaque_prefix, "PREFIX"},
      {".nest(\"/a\", routes)", opaque_router, "routes"},
      {".merge(routes)", opaque_router, "routes"},
      {".merge(make().build())", "", ""},  // a call through a method: invisible, silently
      {".merge(missing())", "", ""},       // an unresolvable path: silently
      {".nest(\"/a\")", "", ""},           // other arities are ignored
      {".route(\"/x\", get(get_user))", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.call);
    Routed r(Files{{"src/lib.rs", "#[api(get, \"/u\")] async fn get_user() {}\n"
                             "#[api_router] fn root() -> Router { Router::new()" + c.call + " }\n"
                             "#[api_router] fn other() -> Router { Router::new().endpoint(get_user) }\n"}});
    std::vector<std::string> expected;
    if (!c.diagnostic.empty()) expected.push_back(c.diagnostic);
    EXPECT_EQ(r.diagnostics, expected);
    if (!c.diagnostic.empty()) {
      EXPECT_EQ(r.crates.text_at(*r.crates.lowering().diagnostics[0].span), c.span_text);
    }
    // `other` is a root of its own unless a visible mount targets it.
    EXPECT_EQ(r.endpoint("get_user").route, "/u");
  }
}

TEST(RouterTest, EndpointNamingANonHandlerHasNoEffect) {
  Routed r(Files{{"src/lib.rs",
             "struct Thing;\n"
             "#[api(get, \"/u\")] async fn h() {}\n"
             "#[api_router] fn root() -> Router { Router::new().endpoint(Thing).endpoint(h) }\n"}});
  EXPECT_TRUE(r.diagnostics.empty());
  ASSERT_EQ(r.routers.size(), 1u);
  EXPECT_EQ(r.routers[0].endpoints.size(), 2u);
  EXPECT_EQ(r.endpoint("h").router_mounts.size(), 1u);
}

// Routers that each mount the next one twice double their mount paths per
// level; collection stops at its budget instead of running for ages.
TEST(RouterTest, ExponentialMountGraphsAreCut) {
  constexpr int kLevels = 40;
  std::string source = "#[api(get, \"/h\")] async fn h() {}\n";
  source += "#[api_router] fn r0() -> Router { Router::new().nest(\"/a\", r1()).nest(\"/b\", r1()) }\n";
  for (int i = 1; i < kLevels; ++i) {
    std::string next = "r" + std::to_string(i + 1);
    source += "#[api_router] fn r" + std::to_string(i) + "() -> Router { Router::new().nest(\"/a\", " + next +
              "()).nest(\"/b\", " + next + "()) }\n";
  }
  source += "#[api_router] fn r" + std::to_string(kLevels) + "() -> Router { Router::new().endpoint(h) }\n";
  Routed r(Files{{"src/lib.rs", source}});
  ASSERT_FALSE(r.diagnostics.empty());
  EXPECT_EQ(r.diagnostics[0],
            "warning[opaque-router-call] #[api_router] `r0` mounts routers along more than 10000 paths; the mounts "
            "beyond them are invisible to vantrel");
  EXPECT_FALSE(r.endpoint("h").router_mounts.empty());
}

}  // namespace
}  // namespace vantrel::engine::extract
