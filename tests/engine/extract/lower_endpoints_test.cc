// Endpoint lowering over small in-memory crates: the whole record of a
// typical handler, parameters and their rejections, query structs, bodies,
// success channels, error references, and handlers the rules refuse.
#include "engine/extract/lower_endpoints.h"

#include <gtest/gtest.h>

#include "lowering_fixture.h"

namespace vantrel::engine::extract {
namespace {

using testing::describe;
using testing::MemoryCrates;

constexpr const char* kTypes = R"(
use uuid::Uuid;
#[derive(Api)] pub struct User { pub id: Uuid }
#[derive(Api)] #[serde(rename_all = "camelCase")]
pub struct Filter {
    pub page: Option<u32>,
    #[serde(rename = "q")] pub query: String,
    pub sort_by: Option<String>,
    pub tags: Vec<String>,
    #[serde(default)] pub limit: u32,
}
#[derive(Api)] pub enum Kind { A }
#[derive(Api)] pub struct Pair(u8, u8);
#[derive(ApiError)] #[serde(tag = "_tag")] pub enum UserError { #[status(404)] NotFound }
#[derive(Serialize)] pub enum Plain { A }
#[derive(ApiError)] pub struct ErrStruct;
)";

/// Lowers the handlers of a crate whose root holds `kTypes` and `handlers`.
struct Lowered {
  MemoryCrates crates;
  std::vector<model::Endpoint> endpoints;
  std::vector<std::string> diagnostics;

  explicit Lowered(const std::string& handlers) {
    crates.add_crate("app", {{"src/lib.rs", std::string(kTypes) + handlers}});
    endpoints = lower_endpoints(crates.lowering());
    diagnostics = describe(crates.lowering().diagnostics);
  }
};

TEST(LowerEndpointsTest, TypicalHandler) {
  Lowered l(
      "/// Fetch one user.\n"
      "#[api(get, \"/users/{id}\")]\n"
      "pub async fn get_user(id: Path<Uuid>) -> Result<Json<User>, UserError> { todo!() }\n");
  EXPECT_TRUE(l.diagnostics.empty()) << ::testing::PrintToString(l.diagnostics);
  ASSERT_EQ(l.endpoints.size(), 1u);
  const model::Endpoint& e = l.endpoints[0];
  EXPECT_EQ(e.id, model::SymbolId::from_parts("endpoint", {"app", "get_user"}));
  EXPECT_EQ(e.rust_path, (std::vector<std::string>{"app", "get_user"}));
  EXPECT_EQ(e.rust_name, "get_user");
  EXPECT_EQ(e.ts_module, "users");
  EXPECT_EQ(e.ts_name, "getUser");
  EXPECT_EQ(e.route, "/users/{id}");
  EXPECT_EQ(e.method, model::HttpMethod::Get);
  ASSERT_EQ(e.request.path_params.size(), 1u);
  const model::Param& id = e.request.path_params[0];
  EXPECT_EQ(id.id, model::SymbolId::from_parts("param", {"app::get_user", "id"}));
  EXPECT_EQ(id.name, "id");
  EXPECT_EQ(describe(id.ty), "External(Uuid)");
  EXPECT_TRUE(id.required);
  EXPECT_EQ(l.crates.text_at(id.span), "id");
  EXPECT_TRUE(e.request.query_params.empty());
  EXPECT_FALSE(e.request.body);
  EXPECT_EQ(e.success.transport, model::Transport::Unary);
  EXPECT_EQ(e.success.status, 200);
  EXPECT_EQ(describe(std::get<model::SuccessBody::Json>(e.success.body.value).ty), "Named(User)");
  ASSERT_EQ(e.errors.size(), 1u);
  EXPECT_EQ(e.errors[0], (model::ErrorRef{model::SymbolId::from_parts("error", {"app", "UserError"}), "UserError"}));
  EXPECT_EQ(e.docs, "Fetch one user.");
  EXPECT_EQ(l.crates.text_at(e.spans.name), "get_user");
  EXPECT_EQ(l.crates.text_at(*e.spans.attr), "#[api(get, \"/users/{id}\")]");
  EXPECT_EQ(l.crates.text_at(e.spans.full).substr(0, 20), "/// Fetch one user.\n");
  EXPECT_TRUE(e.router_mounts.empty());
  EXPECT_FALSE(e.allow_unused);
  // The referenced declarations were queued, not lowered.
  auto& lowering = l.crates.lowering();
  EXPECT_EQ(lowering.queue.size(), 2u);
  lowering.drain_type_queue();
  EXPECT_EQ(lowering.types.size(), 1u);
  EXPECT_EQ(lowering.errors.size(), 1u);
}

TEST(LowerEndpointsTest, SuccessChannelsAndMethods) {
  struct Case {
    std::string handler;
    model::HttpMethod method;
    model::Transport transport;
    uint16_t status;
    std::string body;  // "Empty", "Binary", "Json(...)" or "Stream(...)"
  };
  using M = model::HttpMethod;
  using T = model::Transport;
  const std::vector<Case> cases = {
      {"#[api(delete, \"/x\")] async fn f() {}", M::Delete, T::Unary, 204, "Empty"},
      {"#[api(post, \"/x\")] async fn f() -> Created<User> { todo!() }", M::Post, T::Unary, 201, "Json(Named(User))"},
      {"#[api(put, \"/x\")] async fn f() -> NoContent { todo!() }", M::Put, T::Unary, 204, "Empty"},
      {"#[api(patch, \"/x\")] async fn f() -> Json<Vec<User>> { todo!() }", M::Patch, T::Unary, 200,
       "Json(List(Named(User)))"},
      {"#[api(sse, \"/x\")] fn f() -> Sse<User, S> { todo!() }", M::Get, T::Sse, 200, "Stream(Named(User))"},
      {"#[api(get, \"/x\")] async fn f() -> Binary<bytes::Bytes> { todo!() }", M::Get, T::BinaryDownload, 200,
       "Binary"},
      {"#[api(post, \"/x\")] async fn f(file: Binary<bytes::Bytes>) -> Json<User> { todo!() }", M::Post,
       T::BinaryUpload, 200, "Json(Named(User))"},
      // A body type that fails to lower leaves the body empty; status and transport stay.
      {"#[api(post, \"/x\")] async fn f() -> Created<Missing> { todo!() }", M::Post, T::Unary, 201, "Empty"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    Lowered l(c.handler);
    ASSERT_EQ(l.endpoints.size(), 1u);
    const model::Endpoint& e = l.endpoints[0];
    EXPECT_EQ(e.method, c.method);
    EXPECT_EQ(e.success.transport, c.transport);
    EXPECT_EQ(e.success.status, c.status);
    std::string body = std::visit(
        [](const auto& b) -> std::string {
          using B = std::decay_t<decltype(b)>;
          if constexpr (std::is_same_v<B, model::SuccessBody::Json>) return "Json(" + describe(b.ty) + ")";
          if constexpr (std::is_same_v<B, model::SuccessBody::Stream>) return "Stream(" + describe(b.item) + ")";
          if constexpr (std::is_same_v<B, model::SuccessBody::Binary>) return "Binary";
          return "Empty";
        },
        e.success.body.value);
    EXPECT_EQ(body, c.body);
  }
}

TEST(LowerEndpointsTest, QueryStructFieldsBecomeParameters) {
  Lowered l("#[api(get, \"/users\")] async fn list(filter: Query<Filter>) -> Json<Vec<User>> { todo!() }\n");
  ASSERT_EQ(l.endpoints.size(), 1u);
  const auto& query = l.endpoints[0].request.query_params;
  struct Expected {
    std::string name;
    bool required;
    std::string span_text;
  };
  const std::vector<Expected> expected = {
      {"page", false, "page"}, {"q", true, "query"}, {"sortBy", false, "sort_by"}, {"limit", false, "limit"}};
  ASSERT_EQ(query.size(), expected.size());
  for (size_t i = 0; i < query.size(); ++i) {
    EXPECT_EQ(query[i].name, expected[i].name);
    EXPECT_EQ(query[i].required, expected[i].required) << expected[i].name;
    EXPECT_EQ(l.crates.text_at(query[i].span), expected[i].span_text);
    EXPECT_EQ(query[i].id, model::SymbolId::from_parts("param", {"app::Filter", expected[i].name}));
  }
  EXPECT_EQ(describe(query[0].ty), "U32");
  // `tags: Vec<String>` alone is refused.
  ASSERT_EQ(l.diagnostics, (std::vector<std::string>{"error[invalid-param-type] path and query parameters must be "
                                                      "primitives, Uuid, DateTime<Utc>, or Decimal"}));
  EXPECT_EQ(l.crates.text_at(*l.crates.lowering().diagnostics[0].span), "Vec<String>");
}

TEST(LowerEndpointsTest, RejectedParametersBodiesAndErrorsKeepTheEndpoint) {
  struct Case {
    std::string handler;
    std::string diagnostic;
    std::string span_text;
  };
  const std::string param_type =
      "error[invalid-param-type] path and query parameters must be primitives, Uuid, DateTime<Utc>, or Decimal";
  const std::string query_type = "error[invalid-query-type] Query<T> requires a named-field struct deriving Api";
  const std::vector<Case> cases = {
      {"#[api(get, \"/u/{id}\")] async fn f(id: Path<User>) {}", param_type, "User"},
      {"#[api(get, \"/u/{id}\")] async fn f(id: Path<Vec<String>>) {}", param_type, "Vec<String>"},
      {"#[api(get, \"/u/{id}\")] async fn f(id: Path<serde_json::Value>) {}", param_type, "serde_json::Value"},
      {"#[api(get, \"/u\")] async fn f(q: Query<Kind>) {}", query_type, "Kind"},
      {"#[api(get, \"/u\")] async fn f(q: Query<Pair>) {}", query_type, "Pair"},
      {"#[api(get, \"/u\")] async fn f(q: Query<Nope>) {}",
       "error[unresolved-type] cannot resolve `Nope` in an API position; query structs must derive Api in this "
       "workspace",
       "Nope"},
      {"#[api(get, \"/u\")] async fn f(q: Query<Vec<u8>>) {}",
       "error[unresolved-type] cannot resolve `Vec<u8>` in an API position; query structs must derive Api in this "
       "workspace",
       "Vec<u8>"},
      {"#[api(post, \"/u\")] async fn f(b: Body<Nope>) {}",
       "error[unresolved-type] cannot resolve `Nope` in an API position; derive Api on it (in this workspace) or use a "
       "supported type",
       "Nope"},
      {"#[api(get, \"/u\")] async fn f() -> Result<NoContent, Plain> { todo!() }",
       "error[invalid-error-type] `Plain` is not an ApiError enum; derive ApiError on it", "Plain"},
      {"#[api(get, \"/u\")] async fn f() -> Result<NoContent, ErrStruct> { todo!() }",
       "error[invalid-error-type] `ErrStruct` is not an ApiError enum; derive ApiError on it", "ErrStruct"},
      {"#[api(get, \"/u\")] async fn f() -> Result<NoContent, Missing> { todo!() }",
       "error[unresolved-type] cannot resolve `Missing` in an API position; endpoint errors must derive ApiError",
       "Missing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    Lowered l(c.handler);
    ASSERT_EQ(l.endpoints.size(), 1u);
    const model::Endpoint& e = l.endpoints[0];
    EXPECT_TRUE(e.request.path_params.empty());
    EXPECT_TRUE(e.request.query_params.empty());
    EXPECT_FALSE(e.request.body);
    EXPECT_TRUE(e.errors.empty());
    ASSERT_EQ(l.diagnostics, std::vector<std::string>{c.diagnostic});
    EXPECT_EQ(l.crates.text_at(*l.crates.lowering().diagnostics[0].span), c.span_text);
  }
}

TEST(LowerEndpointsTest, RefusedHandlersAreLeftOut) {
  struct Case {
    std::string handler;
    std::string diagnostic;
  };
  const std::vector<Case> cases = {
      {"#[api(GET, \"/x\")] async fn f() {}",
       "error[invalid-api-item] unsupported #[api] method `GET`; expected one of get, post, put, patch, delete, sse"},
      {"#[api] async fn f() {}",
       "error[invalid-api-item] #[api] expects a method and a path, e.g. #[api(get, \"/users/{id}\")]"},
      {"#[api(get, \"/x\")] fn f() {}", "error[invalid-api-item] #[api] endpoints must be async functions"},
      {"#[api(get, \"/u/{id}\")] async fn f(user_id: Path<u32>) {}",
       "error[invalid-api-item] route parameter `id` requires a matching Path<T> argument"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    Lowered l(c.handler);
    EXPECT_TRUE(l.endpoints.empty());
    EXPECT_EQ(l.diagnostics, std::vector<std::string>{c.diagnostic});
  }
}

TEST(LowerEndpointsTest, FindsHandlersInEveryModuleAndCrate) {
  MemoryCrates crates;
  crates.add_crate("app", {{"src/lib.rs",
                            "mod users { #[vantrel::api(get, \"/u\", allow_unused)] pub async fn list() {} }\n"
                            "impl S { #[api(get, \"/hidden\")] async fn hidden() {} }\n"
                            "fn outer() { #[api(get, \"/inner\")] async fn inner() {} }\n"
                            "#[api(get, \"/a\")] pub async fn a() {}\n"}});
  crates.add_crate("shared", {{"src/lib.rs", "#[api(post, \"/s\")] pub async fn shared_handler() {}\n"}});
  std::vector<model::Endpoint> endpoints = lower_endpoints(crates.lowering());
  std::vector<std::string> paths;
  for (const model::Endpoint& e : endpoints) {
    std::string path;
    for (const std::string& s : e.rust_path) path += (path.empty() ? "" : "::") + s;
    paths.push_back(path + (e.allow_unused ? " (allow_unused)" : ""));
  }
  EXPECT_EQ(paths, (std::vector<std::string>{"app::a", "app::users::list (allow_unused)", "shared::shared_handler"}));
}

}  // namespace
}  // namespace vantrel::engine::extract
