// Client lowering: the items of one endpoint (arguments interface, route
// constant, client function over one of the four runtime constructors), the
// imports they record, and their marks. The two worked endpoints are golden
// files; the rest is a table of endpoints, one behaviour each.
#include "engine/gen/client.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <sstream>

#include "engine/gen/golden.h"
#include "engine/gen/print.h"

namespace vantrel::engine::gen {
namespace {

using model::HttpMethod;
using model::Primitive;
using model::SymbolId;
using model::Transport;
using model::TypeExpr;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::string kModuleFile = "endpoints/users.ts";

TypeExpr prim(Primitive p) { return TypeExpr::primitive(p); }
TypeExpr named(const std::string& name) { return TypeExpr::named(SymbolId::from_parts("type", {name}), name); }

model::Param param(const std::string& name, TypeExpr ty, bool required = true) {
  model::Param p;
  p.id = SymbolId::from_parts("param", {"api::handler", name});
  p.name = name;
  p.ty = std::move(ty);
  p.required = required;
  return p;
}

model::Endpoint endpoint(const std::string& ts_name, HttpMethod method, const std::string& route) {
  model::Endpoint e;
  e.id = SymbolId::from_parts("endpoint", {"api", ts_name});
  e.rust_path = {"api", ts_name};
  e.rust_name = ts_name;
  e.ts_module = "users";
  e.ts_name = ts_name;
  e.route = route;
  e.method = method;
  e.success = model::SuccessChannel{Transport::Unary, 200, model::SuccessBody{model::SuccessBody::Empty{}}};
  return e;
}

model::SuccessChannel success(Transport transport, model::SuccessBody::Value body) {
  return model::SuccessChannel{transport, 200, model::SuccessBody{std::move(body)}};
}

void add_error(model::Endpoint& e, const std::string& name) {
  e.errors.push_back(model::ErrorRef{SymbolId::from_parts("error", {name}), name});
}

/// The endpoint of the worked unary example: GET /users/{id}.
model::Endpoint get_user() {
  model::Endpoint e = endpoint("getUser", HttpMethod::Get, "/users/{id}");
  e.request.path_params.push_back(param("id", prim(Primitive::U64)));
  e.success = success(Transport::Unary, model::SuccessBody::Json{named("User")});
  add_error(e, "UserError");
  e.docs = "Fetch one user.";
  return e;
}

/// The endpoint of the worked event-stream example: GET /events.
model::Endpoint stream_events() {
  model::Endpoint e = endpoint("streamEvents", HttpMethod::Get, "/events");
  e.success = success(Transport::Sse, model::SuccessBody::Stream{named("Event")});
  return e;
}

/// What lowering one endpoint produced, printed as its module file would
/// print it (without the header and imports, which package assembly adds).
struct Lowered {
  std::string text;
  std::vector<Mark> marks;
  EndpointImports imports;
  std::vector<model::Diagnostic> diagnostics;
};

Lowered lower_endpoint(const model::Endpoint& e, const model::Contract& contract = {}) {
  Lowering lowering(contract);
  Lowered out;
  std::vector<Item> items;
  lowering.endpoint_items(e, out.imports, items);
  Printer printer;
  for (const Item& item : items) printer.item(item);
  out.text = printer.out;
  out.marks = finish_marks(kModuleFile, printer.out, printer.marks);
  out.diagnostics = lowering.diagnostics();
  return out;
}

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::string imports_text(const EndpointImports& imports) {
  auto join = [](const NameSet& names) {
    std::string out;
    for (const auto& name : names) out += (out.empty() ? "" : ", ") + name;
    return out;
  };
  return "values: " + join(imports.runtime_values) + "\ntypes: " + join(imports.runtime_types) +
         "\ncompat: " + join(imports.compat) + "\nschemas: " + join(imports.schemas) + "\n";
}

// --- worked examples ----------------------------------------------------------

TEST(ClientGolden, UnaryGetUser) {
  Lowered out = lower_endpoint(get_user());
  testing::expect_golden("client-get-user.ts", out.text);
  testing::expect_golden("client-get-user.marks", testing::describe_marks(out.marks, {{kModuleFile, out.text}}));
  EXPECT_EQ(imports_text(out.imports),
            "values: decodeWithSchema, makeUnaryHttpClient\ntypes: \ncompat: Effect\nschemas: User\n");
  EXPECT_THAT(out.diagnostics, IsEmpty());
}

TEST(ClientGolden, SseStreamEvents) {
  Lowered out = lower_endpoint(stream_events());
  testing::expect_golden("client-stream-events.ts", out.text);
  testing::expect_golden("client-stream-events.marks", testing::describe_marks(out.marks, {{kModuleFile, out.text}}));
  EXPECT_EQ(imports_text(out.imports),
            "values: decodeWithSchema, makeSseClient\ntypes: \ncompat: Effect, Stream\nschemas: Event\n");
}

TEST(ClientGolden, MarksNameTheParameterAndTheFunction) {
  Lowered out = lower_endpoint(get_user());
  ASSERT_EQ(out.marks.size(), 2u);
  const model::Endpoint e = get_user();
  EXPECT_EQ(out.marks[0].kind, MarkKind::Param);
  EXPECT_EQ(out.marks[0].symbol, e.request.path_params[0].id.str());
  EXPECT_EQ(out.text.substr(out.marks[0].start, out.marks[0].end - out.marks[0].start), "id");
  EXPECT_EQ(out.marks[0].line, 2u);
  EXPECT_EQ(out.marks[0].character, 11u);
  EXPECT_EQ(out.marks[1].kind, MarkKind::Endpoint);
  EXPECT_EQ(out.marks[1].symbol, e.id.str());
  EXPECT_EQ(out.text.substr(out.marks[1].start, out.marks[1].end - out.marks[1].start), "getUser");
  EXPECT_EQ(out.marks[1].line, 11u);
}

// --- table of endpoints ---------------------------------------------------------

struct Case {
  std::string name;
  std::function<model::Endpoint()> build;
  std::vector<std::string> lines;   ///< each must be a whole line of the output
  std::vector<std::string> absent;  ///< substrings that must not occur
  std::string imports;              ///< imports_text of the recorded sets
};

std::vector<Case> cases() {
  std::vector<Case> table;
  table.push_back({
      "optional query parameter is optional in the interface, still encoded",
      [] {
        auto e = endpoint("listUsers", HttpMethod::Get, "/users");
        e.request.query_params.push_back(param("page", prim(Primitive::U32), false));
        e.request.query_params.push_back(param("q", prim(Primitive::String), true));
        e.success = success(Transport::Unary, model::SuccessBody::Json{TypeExpr::list(named("User"))});
        return e;
      },
      {"export interface ListUsersArgs {", "  readonly page?: number", "  readonly q: string",
       "export const listUsers = (args: ListUsersArgs): Effect.Effect<ReadonlyArray<User>, ApiClientError, "
       "ApiConfig> =>",
       "      encode: (args) => ({", "        query: {", "          page: args.page,", "          q: args.q,",
       "      decodeSuccess: (input) => decodeWithSchema(input, Schema.Array(User)),"},
      {"path: {", "decodeError"},
      "values: decodeWithSchema, makeUnaryHttpClient\ntypes: \ncompat: Effect, Schema\nschemas: User\n",
  });
  table.push_back({
      "parameter names that are no identifiers are quoted and read with brackets",
      [] {
        auto e = endpoint("getMember", HttpMethod::Get, "/orgs/{org}/members/{user-id}");
        e.request.path_params.push_back(param("org", prim(Primitive::String)));
        e.request.path_params.push_back(param("user-id", TypeExpr::external(model::ExternalType::Uuid)));
        e.request.query_params.push_back(param("2fa", prim(Primitive::Bool), false));
        return e;
      },
      {"  readonly org: string", "  readonly \"user-id\": string", "  readonly \"2fa\"?: boolean", "        path: {",
       "          org: args.org,", "          \"user-id\": args[\"user-id\"],", "          \"2fa\": args[\"2fa\"],",
       "  path: \"/orgs/{org}/members/{user-id}\","},
      {},
      "values: makeUnaryHttpClient\ntypes: \ncompat: Effect\nschemas: \n",
  });
  table.push_back({
      "binary upload body",
      [] {
        auto e = endpoint("uploadAvatar", HttpMethod::Put, "/users/{id}/avatar");
        e.request.path_params.push_back(param("id", prim(Primitive::U64)));
        e.request.body = model::RequestBody{model::RequestBody::Binary{}};
        e.success = success(Transport::BinaryUpload, model::SuccessBody::Json{named("Avatar")});
        add_error(e, "UserError");
        return e;
      },
      {"  readonly id: number", "  readonly body: BinaryRequestBody", "  method: \"PUT\",",
       "export const uploadAvatar = (args: UploadAvatarArgs): Effect.Effect<Avatar, UserError | ApiClientError, "
       "ApiConfig> =>",
       "  ApiConfig.use((config) => makeBinaryUploadClient<UploadAvatarArgs, Avatar, UserError>(",
       "        body: args.body,", "        bodyKind: \"binary\",",
       "      decodeSuccess: (input) => decodeWithSchema(input, Avatar),", "      decodeError: decodeUserError,",
       "  )(args))"},
      {"encodeWithSchema"},
      "values: decodeWithSchema, makeBinaryUploadClient\ntypes: BinaryRequestBody\ncompat: Effect\nschemas: Avatar\n",
  });
  table.push_back({
      "binary upload without a success body",
      [] {
        auto e = endpoint("putBlob", HttpMethod::Post, "/blobs");
        e.request.body = model::RequestBody{model::RequestBody::Binary{}};
        e.success = success(Transport::BinaryUpload, model::SuccessBody::Empty{});
        return e;
      },
      {"export const putBlob = (args: PutBlobArgs): Effect.Effect<void, ApiClientError, ApiConfig> =>",
       "  ApiConfig.use((config) => makeBinaryUploadClient<PutBlobArgs, void, never>(",
       "      decodeSuccess: () => Effect.succeed(undefined),"},
      {"decodeWithSchema", "decodeError"},
      "values: makeBinaryUploadClient\ntypes: BinaryRequestBody\ncompat: Effect\nschemas: \n",
  });
  table.push_back({
      "JSON body is encoded with its schema; an empty success decodes to undefined",
      [] {
        auto e = endpoint("createUser", HttpMethod::Post, "/users");
        e.request.body = model::RequestBody{model::RequestBody::Json{named("NewUser")}};
        e.success = success(Transport::Unary, model::SuccessBody::Empty{});
        add_error(e, "UserError");
        return e;
      },
      {"export interface CreateUserArgs {", "  readonly body: NewUser", "  method: \"POST\",",
       "export const createUser = (args: CreateUserArgs): Effect.Effect<void, UserError | ApiClientError, "
       "ApiConfig> =>",
       "  ApiConfig.use((config) => makeUnaryHttpClient<CreateUserArgs, void, UserError>(",
       "      encode: (args) => ({", "        body: encodeWithSchema(args.body, NewUser),",
       "      decodeSuccess: () => Effect.succeed(undefined),"},
      {"bodyKind", "query: {"},
      "values: encodeWithSchema, makeUnaryHttpClient\ntypes: \ncompat: Effect\nschemas: NewUser\n",
  });
  table.push_back({
      "JSON body built from a schema call imports Schema",
      [] {
        auto e = endpoint("setTags", HttpMethod::Patch, "/tags");
        e.request.body = model::RequestBody{
            model::RequestBody::Json{TypeExpr::map(prim(Primitive::String), TypeExpr::option(named("Tag")))}};
        return e;
      },
      {"  readonly body: Readonly<Record<string, Tag | null>>", "  method: \"PATCH\",",
       "        body: encodeWithSchema(args.body, Schema.Record(Schema.String, Schema.NullOr(Tag))),"},
      {},
      "values: encodeWithSchema, makeUnaryHttpClient\ntypes: \ncompat: Effect, Schema\nschemas: Tag\n",
  });
  table.push_back({
      "binary download has no decodeSuccess and yields bytes",
      [] {
        auto e = endpoint("downloadReport", HttpMethod::Get, "/reports/{id}");
        e.request.path_params.push_back(param("id", prim(Primitive::I64)));
        e.success = success(Transport::BinaryDownload, model::SuccessBody::Binary{});
        add_error(e, "ReportError");
        return e;
      },
      {"export const downloadReport = (args: DownloadReportArgs): Effect.Effect<Uint8Array, ReportError | "
       "ApiClientError, ApiConfig> =>",
       "  ApiConfig.use((config) => makeBinaryDownloadClient<DownloadReportArgs, ReportError>(",
       "      decodeError: decodeReportError,"},
      {"decodeSuccess"},
      "values: makeBinaryDownloadClient\ntypes: \ncompat: Effect\nschemas: \n",
  });
  table.push_back({
      "no arguments and no errors: void, void 0, never, no encode",
      [] {
        auto e = endpoint("deleteAll", HttpMethod::Delete, "/all");
        return e;
      },
      {"export const deleteAllRoute = {", "  method: \"DELETE\",", "  path: \"/all\",", "} as const",
       "export const deleteAll = (): Effect.Effect<void, ApiClientError, ApiConfig> =>",
       "  ApiConfig.use((config) => makeUnaryHttpClient<void, void, never>(",
       "      decodeSuccess: () => Effect.succeed(undefined),", "  )(void 0))"},
      {"interface", "encode", "decodeError", "args"},
      "values: makeUnaryHttpClient\ntypes: \ncompat: Effect\nschemas: \n",
  });
  table.push_back({
      "event stream with arguments and an error",
      [] {
        auto e = endpoint("watchUser", HttpMethod::Get, "/users/{id}/events");
        e.request.path_params.push_back(param("id", prim(Primitive::U64)));
        e.success = success(Transport::Sse, model::SuccessBody::Stream{TypeExpr::list(named("Change"))});
        add_error(e, "UserError");
        return e;
      },
      {"export const watchUser = (args: WatchUserArgs): Stream.Stream<ReadonlyArray<Change>, UserError | "
       "ApiClientError, ApiConfig> =>",
       "  Stream.unwrap(ApiConfig.use((config) => Effect.succeed(makeSseClient<WatchUserArgs, "
       "ReadonlyArray<Change>, UserError>(",
       "      decodeSuccess: (input) => decodeWithSchema(input, Schema.Array(Change)),",
       "      decodeError: decodeUserError,", "  )(args))))"},
      {},
      "values: decodeWithSchema, makeSseClient\ntypes: \ncompat: Effect, Schema, Stream\nschemas: Change\n",
  });
  table.push_back({
      "an Sse transport without a stream body falls back to the unary client",
      [] {
        auto e = endpoint("poll", HttpMethod::Get, "/poll");
        e.success = success(Transport::Sse, model::SuccessBody::Json{prim(Primitive::Bool)});
        return e;
      },
      {"export const poll = (): Effect.Effect<boolean, ApiClientError, ApiConfig> =>",
       "  ApiConfig.use((config) => makeUnaryHttpClient<void, boolean, never>(",
       "      decodeSuccess: (input) => decodeWithSchema(input, Schema.Boolean),"},
      {"Stream", "makeSseClient"},
      "values: decodeWithSchema, makeUnaryHttpClient\ntypes: \ncompat: Effect, Schema\nschemas: \n",
  });
  table.push_back({
      "multi-line docs; route text is escaped as a string literal",
      [] {
        auto e = endpoint("_ping", HttpMethod::Get, "/ping/\"x\"");
        e.request.query_params.push_back(param("n", prim(Primitive::U8), false));
        e.docs = "Checks liveness.\n\nAnswers quickly.";
        return e;
      },
      {"export interface _pingArgs {", "export const _pingRoute = {", "  path: \"/ping/\\\"x\\\"\",", "/**",
       " * Checks liveness.", " * ", " * Answers quickly.", " */",
       "export const _ping = (args: _pingArgs): Effect.Effect<void, ApiClientError, ApiConfig> =>"},
      {},
      "values: makeUnaryHttpClient\ntypes: \ncompat: Effect\nschemas: \n",
  });
  return table;
}

TEST(ClientCases, Table) {
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    Lowered out = lower_endpoint(c.build());
    std::vector<std::string> lines = lines_of(out.text);
    for (const std::string& line : c.lines) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << "missing line: " << line << "\nin:\n"
                                                                          << out.text;
    }
    for (const std::string& text : c.absent) {
      EXPECT_EQ(out.text.find(text), std::string::npos) << "unexpected: " << text << "\nin:\n" << out.text;
    }
    EXPECT_EQ(imports_text(out.imports), c.imports);
    EXPECT_THAT(out.diagnostics, IsEmpty());
  }
}

TEST(ClientCases, EndpointWithoutArgumentsStartsWithOneBlankLine) {
  Lowered out = lower_endpoint(endpoint("health", HttpMethod::Get, "/health"));
  EXPECT_EQ(out.text,
            "\n"
            "export const healthRoute = {\n"
            "  method: \"GET\",\n"
            "  path: \"/health\",\n"
            "} as const\n"
            "\n"
            "export const health = (): Effect.Effect<void, ApiClientError, ApiConfig> =>\n"
            "  ApiConfig.use((config) => makeUnaryHttpClient<void, void, never>(\n"
            "    config,\n"
            "    {\n"
            "      method: \"GET\",\n"
            "      path: \"/health\",\n"
            "      decodeSuccess: () => Effect.succeed(undefined),\n"
            "    },\n"
            "  )(void 0))\n");
}

TEST(ClientCases, ParametersAreMarkedInOrderWithQuotedKeysWhole) {
  auto e = endpoint("getMember", HttpMethod::Get, "/m/{user-id}");
  e.request.path_params.push_back(param("user-id", prim(Primitive::String)));
  e.request.query_params.push_back(param("page", prim(Primitive::U32), false));
  e.request.body = model::RequestBody{model::RequestBody::Json{prim(Primitive::String)}};
  Lowered out = lower_endpoint(e);
  std::vector<std::string> marked;
  for (const Mark& m : out.marks) {
    marked.push_back(std::string(mark_kind_name(m.kind)) + " " + out.text.substr(m.start, m.end - m.start));
  }
  // The body field and the route constant carry no mark.
  EXPECT_THAT(marked, ElementsAre("Param \"user-id\"", "Param page", "Endpoint getMember"));
  EXPECT_EQ(out.marks[0].symbol, e.request.path_params[0].id.str());
  EXPECT_EQ(out.marks[1].symbol, e.request.query_params[0].id.str());
  EXPECT_EQ(out.marks[2].symbol, e.id.str());
}

TEST(ClientCases, ErrorUsedAsBodyTypeIsReportedFromTheSchemaOnly) {
  model::Contract contract;
  model::ErrorDecl error;
  error.id = SymbolId::from_parts("error", {"UserError"});
  error.ts_name = "UserError";
  contract.errors.push_back(error);
  auto e = endpoint("report", HttpMethod::Post, "/report");
  e.request.body = model::RequestBody{model::RequestBody::Json{TypeExpr::named(error.id, "UserError")}};
  Lowered out = lower_endpoint(e, contract);
  ASSERT_EQ(out.diagnostics.size(), 1u);
  EXPECT_EQ(out.diagnostics[0].code, "error-as-type");
  EXPECT_EQ(out.diagnostics[0].message,
            "API error `UserError` is used as a field type; declare a separate Api enum instead");
}

TEST(ClientCases, ArgumentsSharingAPropertyAreNameCollisions) {
  auto e = endpoint("getItem", HttpMethod::Put, "/items/{id}");
  e.rust_name = "get_item";
  e.request.path_params.push_back(param("id", prim(Primitive::U64)));
  e.request.query_params.push_back(param("id", prim(Primitive::String), false));
  e.request.query_params.back().span = model::Span{"src/api.rs", 40, 42};
  e.request.query_params.push_back(param("body", prim(Primitive::String), false));
  e.request.query_params.push_back(param("page", prim(Primitive::U32), false));
  e.request.body = model::RequestBody{model::RequestBody::Binary{}};
  Lowered out = lower_endpoint(e);
  ASSERT_EQ(out.diagnostics.size(), 2u);
  EXPECT_EQ(out.diagnostics[0].code, "name-collision");
  EXPECT_EQ(out.diagnostics[0].message,
            "endpoint `get_item` has two arguments named `id`; the generated arguments object needs distinct names");
  EXPECT_EQ(out.diagnostics[0].span, (model::Span{"src/api.rs", 40, 42}));
  EXPECT_EQ(out.diagnostics[1].message,
            "endpoint `get_item` has two arguments named `body`; the generated arguments object needs distinct names");
  // Lowering still produces the whole endpoint.
  EXPECT_NE(out.text.find("export const getItem = (args: GetItemArgs)"), std::string::npos);

  auto fine = endpoint("getItem", HttpMethod::Put, "/items/{id}");
  fine.request.path_params.push_back(param("id", prim(Primitive::U64)));
  fine.request.query_params.push_back(param("Id", prim(Primitive::U64)));
  fine.request.query_params.push_back(param("bodyKind", prim(Primitive::U64)));
  fine.request.body = model::RequestBody{model::RequestBody::Binary{}};
  EXPECT_THAT(lower_endpoint(fine).diagnostics, IsEmpty());
}

TEST(ClientNames, ArgsAccess) {
  EXPECT_EQ(args_access("id"), "args.id");
  EXPECT_EQ(args_access("$ref_2"), "args.$ref_2");
  EXPECT_EQ(args_access("user-id"), "args[\"user-id\"]");
  EXPECT_EQ(args_access("2fa"), "args[\"2fa\"]");
  EXPECT_EQ(args_access(""), "args[\"\"]");
  EXPECT_EQ(args_access("a\"b"), "args[\"a\\\"b\"]");
}

TEST(ClientNames, ArgsAndRouteNames) {
  EXPECT_EQ(args_name("getUser"), "GetUserArgs");
  EXPECT_EQ(args_name("_ping"), "_pingArgs");
  EXPECT_EQ(args_name("Ping"), "PingArgs");
  EXPECT_EQ(args_name("$x"), "$xArgs");
  EXPECT_EQ(args_name(""), "Args");
  EXPECT_EQ(args_name("\xc3\xa9t\xc3\xa9"),
            "\xc3\xa9t\xc3\xa9"
            "Args");
  EXPECT_EQ(route_name("getUser"), "getUserRoute");
}

}  // namespace
}  // namespace vantrel::engine::gen
