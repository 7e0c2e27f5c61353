// Handler signature analysis: the accepted shapes, every refusal with its
// range, and the type rules for success responses, byte types and errors.
#include "syntax/endpoint.h"

#include <gtest/gtest.h>

#include "parse_util.h"

namespace vantrel::syntax {
namespace {

using testing::Snippet;

base::Result<EndpointSignature, SynError> analyze(const Snippet& s) {
  auto attr = ApiAttr::from_attribute(s.item().attrs().at(0));
  EXPECT_TRUE(attr.ok()) << s.text;
  return analyze_endpoint(*attr, rustsyn::FnItem(s.item().node()));
}

std::string text_of(const std::optional<rustsyn::Type>& ty) {
  return ty ? std::string(ty->node().text()) : std::string("<none>");
}

TEST(AnalyzeEndpoint, HandlerWithoutReturnTypeIsNoContent) {
  Snippet s("#[api(get, \"/health\")]\nasync fn health() {}");
  auto sig = analyze(s);
  ASSERT_TRUE(sig.ok()) << sig.error().message;
  EXPECT_EQ(sig->success, SuccessKind::NoContent);
  EXPECT_FALSE(sig->success_type);
  EXPECT_TRUE(sig->params.empty());
  EXPECT_FALSE(sig->error_type);
}

TEST(AnalyzeEndpoint, ClassifiesParamsSuccessAndError) {
  Snippet s(
      "#[api(get, \"/users/{id}\")]\n"
      "async fn get_user(id: Path<Uuid>) -> Result<Json<User>, UserError> { todo!() }");
  auto sig = analyze(s);
  ASSERT_TRUE(sig.ok()) << sig.error().message;
  ASSERT_EQ(sig->params.size(), 1u);
  EXPECT_EQ(sig->params[0].name, "id");
  EXPECT_EQ(sig->params[0].span, s.range_of("id", 1));
  EXPECT_EQ(sig->params[0].kind, ParamKind::Path);
  EXPECT_EQ(sig->params[0].ty.node().text(), "Uuid");
  EXPECT_EQ(sig->success, SuccessKind::Json);
  EXPECT_EQ(text_of(sig->success_type), "User");
  EXPECT_EQ(text_of(sig->error_type), "UserError");
}

TEST(AnalyzeEndpoint, AcceptsTheSupportedShapes) {
  struct Case {
    std::string src;
    SuccessKind success;
    std::string success_type;
    std::vector<std::pair<std::string, ParamKind>> params;
    std::string error_type = "<none>";
  };
  const Case cases[] = {
      {"#[api(post, \"/users\")] async fn f(q: Query<Q>, b: Body<Input>) -> Created<User> {}",
       SuccessKind::Created,
       "User",
       {{"q", ParamKind::Query}, {"b", ParamKind::Body}}},
      {"#[api(post, \"/files\")] async fn f(file: Binary<bytes::Bytes>) -> NoContent {}",
       SuccessKind::NoContent,
       "<none>",
       {{"file", ParamKind::Binary}}},
      {"#[api(get, \"/files/{id}\")] async fn f(mut id: vantrel::Path<u64>) -> Binary<Bytes> {}",
       SuccessKind::Binary,
       "<none>",
       {{"id", ParamKind::Path}}},
      {"#[api(sse, \"/events\")] fn events() -> Sse<Event, EventStream> {}", SuccessKind::Sse, "Event", {}},
      {"#[api(sse, \"/events\")] async fn events() -> Result<Sse<Event, S>, E> {}", SuccessKind::Sse, "Event", {},
       "E"},
      {"#[api(delete, \"/a/{x}/b/{y}\")] async fn f(y: Path<u32>, x: Path<u32>) -> () {}",
       SuccessKind::NoContent,
       "<none>",
       {{"y", ParamKind::Path}, {"x", ParamKind::Path}}},
      {"#[api(get, \"/a/:name\")] async fn f(name: axum::extract::Path<String>) -> NoContent<X> {}",
       SuccessKind::NoContent,
       "<none>",
       {{"name", ParamKind::Path}}},
      {"#[api(put, \"/x\")] async fn f() -> Result<Json<Vec<u8>>, crate::errors::ApiFailure> {}",
       SuccessKind::Json,
       "Vec<u8>",
       {},
       "crate::errors::ApiFailure"},
      // A `Result` with one argument is not a `Result<T, E>`; its success
      // response is then judged whole.
      {"#[api(get, \"/x\")] async fn f() -> io::Result<Json<T>> {}", SuccessKind::NoContent, "", {}, "!fail"},
  };
  for (const Case& c : cases) {
    Snippet s(c.src);
    auto sig = analyze(s);
    if (c.error_type == "!fail") {
      EXPECT_FALSE(sig.ok()) << c.src;
      continue;
    }
    ASSERT_TRUE(sig.ok()) << c.src << ": " << sig.error().message;
    EXPECT_EQ(sig->success, c.success) << c.src;
    EXPECT_EQ(text_of(sig->success_type), c.success_type) << c.src;
    EXPECT_EQ(text_of(sig->error_type), c.error_type) << c.src;
    ASSERT_EQ(sig->params.size(), c.params.size()) << c.src;
    for (size_t i = 0; i < c.params.size(); ++i) {
      EXPECT_EQ(sig->params[i].name, c.params[i].first) << c.src;
      EXPECT_EQ(sig->params[i].kind, c.params[i].second) << c.src;
    }
  }
}

TEST(AnalyzeEndpoint, RefusesBrokenHandlersWithRanges) {
  const std::string kPattern =
      "#[api] endpoint parameters must use simple identifiers with Path<T>, Query<T>, Body<T>, or "
      "Binary<bytes::Bytes> extractors";
  const std::string kExtractor =
      "#[api] endpoint parameters must use Path<T>, Query<T>, Body<T>, or Binary<bytes::Bytes> extractors";
  const std::string kReturns =
      "#[api] endpoint returns must be Json<T>, Created<T>, NoContent, Sse<T, S>, Binary<bytes::Bytes>, or Result "
      "of those";
  const std::string kGetBody =
      "#[api] GET endpoints cannot declare request body extractors; use Query<T> or change the endpoint method to "
      "post, put, or patch";
  struct Case {
    std::string src;
    std::string message;
    std::string at;
    size_t nth = 0;
  };
  const Case cases[] = {
      {"#[api(get, \"/x\")] fn f() {}", "#[api] endpoints must be async functions", "fn"},
      {"#[api(get, \"/x\")] pub(crate) fn f() -> Json<T> {}", "#[api] endpoints must be async functions", "fn"},
      {"#[api(get, \"/x\")] async fn f<T>() {}", "#[api] endpoints cannot be generic; use concrete API types", "<T>"},
      {"#[api(get, \"/x\")] async fn f() where u8: Copy {}",
       "#[api] endpoints cannot be generic; use concrete API types", "where u8: Copy"},
      {"#[api(get, \"/x\")] async fn f(&self) {}", "#[api] endpoints cannot take self receivers", "&self"},
      {"#[api(get, \"/x\")] async fn f(mut self, a: Path<u8>) {}", "#[api] endpoints cannot take self receivers",
       "mut self"},
      {"#[api(get, \"/x/{id}\")] async fn f(Path(id): Path<Uuid>) {}", kPattern, "Path(id): Path<Uuid>"},
      {"#[api(get, \"/x\")] async fn f(_: Query<Q>) {}", kPattern, "_: Query<Q>"},
      {"#[api(get, \"/x\")] async fn f((a, b): Query<Q>) {}", kPattern, "(a, b): Query<Q>"},
      {"#[api(get, \"/x\")] async fn f(q: Json<Q>) {}", kExtractor, "Json<Q>"},
      {"#[api(get, \"/x\")] async fn f(q: Query) {}", kExtractor, "Query"},
      {"#[api(get, \"/x\")] async fn f(q: Query<'a>) {}", kExtractor, "Query<'a>"},
      {"#[api(get, \"/x\")] async fn f(q: &Query<Q>) {}", kExtractor, "&Query<Q>"},
      {"#[api(get, \"/x\")] async fn f(a: Query<A>, b: Query<B>) {}",
       "#[api] endpoints can declare at most one Query<T> extractor; the query string deserializes into a single "
       "struct whose fields become the query parameters",
       "b: Query<B>"},
      {"#[api(post, \"/x\")] async fn f(a: Body<A>, b: Binary<Bytes>) {}",
       "#[api] endpoints can only declare one request body extractor", "b: Binary<Bytes>"},
      {"#[api(post, \"/x\")] async fn f(a: Body<A>, b: Body<B>) {}",
       "#[api] endpoints can only declare one request body extractor", "b: Body<B>"},
      {"#[api(post, \"/x\")] async fn f(b: Binary<Vec<u8>>) {}",
       "#[api] Binary<T> endpoints currently support bytes::Bytes or axum::body::Bytes only", "Vec<u8>"},
      {"#[api(get, \"/users/{id}\")] async fn f(user_id: Path<Uuid>) {}",
       "route parameter `id` requires a matching Path<T> argument", "\"/users/{id}\""},
      {"#[api(get, \"/users/{id}/{sub}\")] async fn f() {}", "route parameter `id` requires a matching Path<T> argument",
       "\"/users/{id}/{sub}\""},
      {"#[api(get, \"/users/{id}/{sub}\")] async fn f(id: Path<Uuid>) {}",
       "route parameter `sub` requires a matching Path<T> argument", "\"/users/{id}/{sub}\""},
      {"#[api(get, \"/users/{id}\")] async fn f(id: Path<Uuid>, other: Path<u8>) {}",
       "Path<T> argument `other` does not match any route parameter", "other"},
      {"#[api(get, \"/users/{id}\")] async fn f(id: Path<A>, mut id: Path<B>) -> NoContent {}",
       "route parameter `id` can only have one matching Path<T> argument",
       "async fn f(id: Path<A>, mut id: Path<B>) -> NoContent"},
      {"#[api(get, \"/x\")] async fn f() -> Json {}", kReturns, "Json"},
      {"#[api(get, \"/x\")] async fn f() -> String {}", kReturns, "String"},
      {"#[api(get, \"/x\")] async fn f() -> (u8, u8) {}", kReturns, "(u8, u8)"},
      {"#[api(get, \"/x\")] async fn f() -> Result<String, E> {}", kReturns, "String"},
      {"#[api(get, \"/x\")] async fn f() -> Result<Json<T>, String> {}",
       "#[api] endpoint errors must be typed ApiError enums; `String` errors are not finite or catchable in "
       "generated Effect clients. Derive ApiError for a domain enum or map the error into one before returning it.",
       "String"},
      {"#[api(get, \"/x\")] async fn f(b: Body<Input>) -> NoContent {}", kGetBody,
       "async fn f(b: Body<Input>) -> NoContent"},
      {"#[api(sse, \"/x\")] async fn f(b: Body<Input>) -> Sse<E, S> {}", kGetBody,
       "async fn f(b: Body<Input>) -> Sse<E, S>"},
      {"#[api(delete, \"/x\")] async fn f(b: Binary<Bytes>) {}",
       "#[api] DELETE endpoints cannot declare request body extractors; use Query<T> or change the endpoint method "
       "to post, put, or patch",
       "async fn f(b: Binary<Bytes>)"},
      {"#[api(sse, \"/events\")] fn f() -> Json<E> {}",
       "#[api(sse, ...)] endpoints must return Sse<T, S> or Result<Sse<T, S>, E>", "Json<E>"},
      {"#[api(get, \"/events\")] async fn f() -> Sse<Event, EventStream> {}",
       "#[api] endpoints returning Sse<T> must use the sse method", "Sse<Event, EventStream>"},
      {"#[api(post, \"/files\")] async fn f(file: Binary<bytes::Bytes>) -> Binary<bytes::Bytes> {}",
       "#[api] binary upload endpoints cannot also return Binary<bytes::Bytes>; model the response as Json<T>, "
       "Created<T>, or NoContent",
       "Binary<bytes::Bytes>", 1},
      // The first broken rule wins: generics before arguments.
      {"#[api(get, \"/x\")] async fn f<T>(&self) {}", "#[api] endpoints cannot be generic; use concrete API types",
       "<T>"},
  };
  for (const Case& c : cases) {
    Snippet s(c.src);
    auto sig = analyze(s);
    ASSERT_FALSE(sig.ok()) << c.src;
    EXPECT_EQ(sig.error().message, c.message) << c.src;
    EXPECT_EQ(sig.error().range, s.range_of(c.at, c.nth)) << c.src;
  }
}

TEST(AnalyzeEndpoint, SseHandlerWithoutReturnTypePointsAtSignature) {
  Snippet s("#[api(sse, \"/x\")] fn f() {}");
  auto sig = analyze(s);
  ASSERT_FALSE(sig.ok());
  EXPECT_EQ(sig.error().message, "#[api(sse, ...)] endpoints must return Sse<T, S> or Result<Sse<T, S>, E>");
  EXPECT_EQ(sig.error().range, s.range_of("fn f()"));
}

TEST(RejectGenerics, UsesTheLabel) {
  Snippet s("struct A<'a>(&'a u8);\nstruct B;\nstruct C where u8: Copy {}");
  auto a = reject_generics(rustsyn::StructItem(s.item(0).node()).generics(), "Api");
  ASSERT_FALSE(a.ok());
  EXPECT_EQ(a.error(), (SynError{"Api cannot be generic; use concrete API types", s.range_of("<'a>")}));
  EXPECT_TRUE(reject_generics(rustsyn::StructItem(s.item(1).node()).generics(), "Api").ok());
  auto c = reject_generics(rustsyn::StructItem(s.item(2).node()).generics(), "ApiError");
  ASSERT_FALSE(c.ok());
  EXPECT_EQ(c.error(), (SynError{"ApiError cannot be generic; use concrete API types", s.range_of("where u8: Copy")}));
}

TEST(SuccessResponse, ClassifiesByLastSegment) {
  struct Case {
    std::string ty;
    std::optional<SuccessKind> kind;  ///< nothing: refused
    std::string inner = "<none>";
  };
  const Case cases[] = {
      {"NoContent", SuccessKind::NoContent},
      {"vantrel::NoContent<u8>", SuccessKind::NoContent},
      {"()", SuccessKind::NoContent},
      {"Binary<bytes::Bytes>", SuccessKind::Binary},
      {"Json<User>", SuccessKind::Json, "User"},
      {"axum::Json<Vec<User>>", SuccessKind::Json, "Vec<User>"},
      {"Created<User>", SuccessKind::Created, "User"},
      {"Sse<Event, S>", SuccessKind::Sse, "Event"},
      {"Json", std::nullopt},
      {"Created", std::nullopt},
      {"Sse", std::nullopt},
      {"Binary", std::nullopt},
      {"Json<'a>", std::nullopt},
      {"&Json<T>", std::nullopt},
      {"[Json<T>]", std::nullopt},
      {"impl IntoResponse", std::nullopt},
  };
  for (const Case& c : cases) {
    Snippet s("type T = " + c.ty + ";");
    auto result = success_response(s.alias_type());
    if (!c.kind) {
      ASSERT_FALSE(result.ok()) << c.ty;
      EXPECT_EQ(result.error().range, s.range_of(c.ty)) << c.ty;
      continue;
    }
    ASSERT_TRUE(result.ok()) << c.ty << ": " << result.error().message;
    EXPECT_EQ(result->first, *c.kind) << c.ty;
    EXPECT_EQ(text_of(result->second), c.inner) << c.ty;
  }
}

TEST(TypePathLastIdent, OnlyForPathTypes) {
  const std::pair<std::string, std::optional<std::string_view>> cases[] = {
      {"u8", "u8"},
      {"std::vec::Vec<u8>", "Vec"},
      {"::a::B", "B"},
      {"&str", std::nullopt},
      {"()", std::nullopt},
      {"[u8; 4]", std::nullopt},
      {"dyn Error", std::nullopt},
  };
  for (const auto& [ty, ident] : cases) {
    Snippet s("type T = " + ty + ";");
    EXPECT_EQ(type_path_last_ident(s.alias_type()), ident) << ty;
  }
}

TEST(ValidateBinaryBytesType, AcceptsTheThreeBytePaths) {
  for (std::string ok : {"Bytes", "bytes::Bytes", "::bytes::Bytes", "axum::body::Bytes", "Bytes<u8>"}) {
    Snippet s("type T = " + ok + ";");
    EXPECT_TRUE(validate_binary_bytes_type(s.alias_type()).ok()) << ok;
  }
  for (std::string bad : {"Vec<u8>", "bytes::BytesMut", "hyper::body::Bytes", "body::Bytes", "&[u8]",
                          "crate::bytes::Bytes", "<X as Y>::Bytes"}) {
    Snippet s("type T = " + bad + ";");
    auto result = validate_binary_bytes_type(s.alias_type());
    ASSERT_FALSE(result.ok()) << bad;
    EXPECT_EQ(result.error(), (SynError{"#[api] Binary<T> endpoints currently support bytes::Bytes or "
                                        "axum::body::Bytes only",
                                        s.range_of(bad)}))
        << bad;
  }
}

TEST(ValidateEndpointErrorType, GivesTheReasonForOpaqueErrors) {
  const std::pair<std::string, std::string> refused[] = {
      {"String", "`String` errors are not finite or catchable in generated Effect clients"},
      {"std::string::String", "`String` errors are not finite or catchable in generated Effect clients"},
      {"anyhow::Error", "`anyhow::Error` is opaque and cannot be represented as a generated error channel"},
      {"::anyhow::Error", "`anyhow::Error` is opaque and cannot be represented as a generated error channel"},
      {"std::io::Error", "`std::io::Error` is transport/runtime detail, not a public API error contract"},
      {"tokio::io::Error", "`std::io::Error` is transport/runtime detail, not a public API error contract"},
      {"Box<dyn std::error::Error>", "`Box<dyn Error>` is opaque and cannot be represented as a generated error channel"},
      {"Box<dyn Error + Send + Sync>",
       "`Box<dyn Error>` is opaque and cannot be represented as a generated error channel"},
      {"impl Error", "opaque endpoint error types cannot be represented as generated error channels"},
      {"_", "opaque endpoint error types cannot be represented as generated error channels"},
      {"dyn Error", "`dyn Error` is opaque and cannot be represented as a generated error channel"},
  };
  for (const auto& [ty, reason] : refused) {
    Snippet s("type T = " + ty + ";");
    auto result = validate_endpoint_error_type(s.alias_type());
    ASSERT_FALSE(result.ok()) << ty;
    EXPECT_EQ(result.error().message, "#[api] endpoint errors must be typed ApiError enums; " + reason +
                                          ". Derive ApiError for a domain enum or map the error into one before "
                                          "returning it.")
        << ty;
    EXPECT_EQ(result.error().range, s.range_of(ty)) << ty;
  }
  for (std::string ok : {"MyError", "crate::errors::ApiFailure", "Error", "io::Error", "my::std::Error",
                         "Box<MyError>", "errors::Error"}) {
    Snippet s("type T = " + ok + ";");
    EXPECT_TRUE(validate_endpoint_error_type(s.alias_type()).ok()) << ok;
  }
}

}  // namespace
}  // namespace vantrel::syntax
