// contract.json: the exact text of a contract that uses every variant, the
// escaping table, the layout of an empty contract and reading the text back.
#include "model/contract_json.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vantrel::model {
namespace {

const char kGoldenPath[] = VANTREL_SOURCE_DIR "/tests/model/golden/contract_all_variants.json";

Span span(uint32_t start, uint32_t end, std::string file = "src/lib.rs") { return Span{std::move(file), start, end}; }

DeclSpans decl_spans(uint32_t at, std::optional<Span> attr = std::nullopt) {
  return DeclSpans{span(at + 4, at + 8), span(at, at + 20), std::move(attr)};
}

Field field(std::string name, TypeExpr ty, Optionality optionality, std::optional<std::string> docs, uint32_t at) {
  Field f;
  f.id = SymbolId::from_parts("field", {"crate", "Everything", name});
  f.rust_name = name;
  f.wire_name = name + "Wire";
  f.ty = std::move(ty);
  f.optionality = optionality;
  f.docs = std::move(docs);
  f.spans = decl_spans(at);
  return f;
}

Param param(std::string name, TypeExpr ty, bool required, uint32_t at) {
  return Param{SymbolId::from_parts("param", {"crate", name}), std::move(name), std::move(ty), required, span(at, at + 3)};
}

TypeExpr user_ref() { return TypeExpr::named(SymbolId::from_parts("type", {"crate", "User"}), "User"); }

/// A type with one field per primitive, per external type and per other
/// TypeExpr variant, cycling through the optionalities.
TypeDecl everything_type() {
  TypeDecl decl;
  decl.id = SymbolId::from_parts("type", {"crate", "Everything"});
  decl.rust_path = {"crate", "models", "Everything"};
  decl.rust_name = "Everything";
  decl.ts_name = "Everything";
  std::vector<TypeExpr> types;
  for (Primitive p : kPrimitives) types.push_back(TypeExpr::primitive(p));
  for (ExternalType e : kExternalTypes) types.push_back(TypeExpr::external(e));
  types.push_back(user_ref());
  types.push_back(TypeExpr::option(TypeExpr::primitive(Primitive::String)));
  types.push_back(TypeExpr::list(TypeExpr::option(TypeExpr::primitive(Primitive::U64))));
  types.push_back(TypeExpr::map(TypeExpr::primitive(Primitive::String), TypeExpr::list(user_ref())));
  std::vector<Field> fields;
  for (size_t i = 0; i < types.size(); ++i) {
    std::optional<std::string> docs;
    if (i % 3 == 0) docs = "Field number " + std::to_string(i) + ".";
    fields.push_back(field("f" + std::to_string(i), types[i], kOptionalities[i % kOptionalities.size()], docs,
                           static_cast<uint32_t>(100 + 30 * i)));
  }
  decl.shape = TypeShape{TypeShape::Struct{std::move(fields)}};
  decl.docs = "Every kind of field.";
  decl.spans = decl_spans(90);
  return decl;
}

TypeDecl shape_type() {
  EnumVariant unit{SymbolId::from_parts("enum_variant", {"crate", "Shape", "Dot"}), "Dot", "dot", {}, std::nullopt,
                   decl_spans(1010)};
  EnumVariant circle{SymbolId::from_parts("enum_variant", {"crate", "Shape", "Circle"}),
                     "Circle",
                     "circle",
                     {field("radius", TypeExpr::primitive(Primitive::F64), Optionality::Required, std::nullopt, 1050)},
                     "A round one.",
                     decl_spans(1040)};
  TypeDecl decl;
  decl.id = SymbolId::from_parts("type", {"crate", "Shape"});
  decl.rust_path = {"crate", "Shape"};
  decl.rust_name = "Shape";
  decl.ts_name = "Shape";
  decl.shape = TypeShape{TypeShape::Enum{{unit, circle}}};
  decl.spans = decl_spans(1000);
  return decl;
}

TypeDecl newtype_type() {
  TypeDecl decl;
  decl.id = SymbolId::from_parts("type", {"crate", "UserId"});
  decl.rust_path = {"crate", "ids", "UserId"};
  decl.rust_name = "UserId";
  decl.ts_name = "UserId";
  decl.shape = TypeShape{TypeShape::Newtype{TypeExpr::external(ExternalType::Uuid)}};
  decl.spans = decl_spans(1100);
  return decl;
}

ErrorDecl api_error() {
  ErrorVariant not_found{SymbolId::from_parts("error_variant", {"crate", "ApiError", "NotFound"}),
                         "NotFound",
                         "NotFound",
                         404,
                         {},
                         "Nothing there.",
                         decl_spans(1210)};
  ErrorVariant invalid{SymbolId::from_parts("error_variant", {"crate", "ApiError", "Invalid"}),
                       "Invalid",
                       "InvalidInput",
                       422,
                       {field("reason", TypeExpr::primitive(Primitive::String), Optionality::Required, std::nullopt,
                              1250)},
                       std::nullopt,
                       decl_spans(1240)};
  ErrorDecl decl;
  decl.id = SymbolId::from_parts("error", {"crate", "ApiError"});
  decl.rust_path = {"crate", "errors", "ApiError"};
  decl.rust_name = "ApiError";
  decl.ts_name = "ApiError";
  decl.variants = {not_found, invalid};
  decl.docs = "What can go wrong.";
  decl.spans = decl_spans(1200);
  return decl;
}

Endpoint endpoint(std::string name, HttpMethod method, Transport transport, uint16_t status, SuccessBody body,
                  uint32_t at) {
  Endpoint e;
  e.id = SymbolId::from_parts("endpoint", {"crate", "handlers", name});
  e.rust_path = {"crate", "handlers", name};
  e.rust_name = name;
  e.ts_module = "handlers";
  e.ts_name = name + "Client";
  e.route = "/" + name;
  e.method = method;
  e.success = SuccessChannel{transport, status, std::move(body)};
  e.spans = decl_spans(at, span(at, at + 2));
  return e;
}

/// A contract that uses every variant of every enumeration and every optional
/// key both present and absent.
Contract all_variants_contract() {
  Contract contract;
  contract.package = PackageMeta{"@acme/api-client", "acme-api"};

  Endpoint get_user = endpoint("get_user", HttpMethod::Get, Transport::Unary, 200,
                               SuccessBody{SuccessBody::Json{user_ref()}}, 2000);
  get_user.route = "/users/{id}";
  get_user.request.path_params = {param("id", TypeExpr::external(ExternalType::Uuid), true, 2010)};
  get_user.request.query_params = {param("verbose", TypeExpr::primitive(Primitive::Bool), false, 2020),
                                   param("at", TypeExpr::external(ExternalType::DateTimeUtc), false, 2030)};
  get_user.errors = {ErrorRef{SymbolId::from_parts("error", {"crate", "ApiError"}), "ApiError"}};

  Endpoint create_user = endpoint("create_user", HttpMethod::Post, Transport::Unary, 201,
                                  SuccessBody{SuccessBody::Empty{}}, 2100);
  create_user.request.body = RequestBody{RequestBody::Json{user_ref()}};
  create_user.docs = std::string("quote \" backslash \\ bs \b ff \f nl \n cr \r tab \t one \x01 us \x1f del \x7f ") +
                     "é 中 😀 slash / end";
  create_user.router_mounts = {span(3000, 3040, "src/router.rs"), span(3100, 3140, "src/router.rs")};
  create_user.allow_unused = true;

  Endpoint events = endpoint("events", HttpMethod::Get, Transport::Sse, 200,
                             SuccessBody{SuccessBody::Stream{TypeExpr::named(
                                 SymbolId::from_parts("type", {"crate", "Shape"}), "Shape")}},
                             2200);
  events.spans.attr.reset();

  Endpoint upload = endpoint("upload", HttpMethod::Put, Transport::BinaryUpload, 204,
                             SuccessBody{SuccessBody::Empty{}}, 2300);
  upload.request.body = RequestBody{RequestBody::Binary{}};

  Endpoint download = endpoint("download", HttpMethod::Patch, Transport::BinaryDownload, 200,
                               SuccessBody{SuccessBody::Binary{}}, 2400);
  Endpoint remove = endpoint("remove", HttpMethod::Delete, Transport::Unary, 204,
                             SuccessBody{SuccessBody::Empty{}}, 2500);
  remove.router_mounts = {span(3200, 3230, "src/router.rs")};

  contract.endpoints = {get_user, create_user, events, upload, download, remove};
  contract.types = {everything_type(), shape_type(), newtype_type()};
  contract.errors = {api_error()};
  return contract;
}

std::optional<std::string> read_text(const char* path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(ContractJsonTest, GoldenAllVariants) {
  std::string text = contract_to_json(all_variants_contract());
  const char* update = std::getenv("VANTREL_UPDATE_GOLDEN");
  if (update && std::string_view(update) == "1") {
    std::ofstream(kGoldenPath, std::ios::binary) << text;
  }
  std::optional<std::string> golden = read_text(kGoldenPath);
  ASSERT_TRUE(golden) << "missing " << kGoldenPath << "; run with VANTREL_UPDATE_GOLDEN=1";
  EXPECT_EQ(text, *golden);
}

TEST(ContractJsonTest, GoldenReadsBackToTheSameContract) {
  std::optional<std::string> golden = read_text(kGoldenPath);
  ASSERT_TRUE(golden);
  auto contract = contract_from_json(*golden);
  ASSERT_TRUE(contract.ok()) << contract.error();
  EXPECT_EQ(*contract, all_variants_contract());
  EXPECT_EQ(contract_to_json(*contract), *golden);
}

TEST(ContractJsonTest, EmptyContractLayout) {
  EXPECT_EQ(contract_to_json(Contract{}),
            "{\n"
            "  \"schema_version\": 3,\n"
            "  \"package\": {\n"
            "    \"ts_package\": \"\",\n"
            "    \"cargo_package\": \"\"\n"
            "  },\n"
            "  \"endpoints\": [],\n"
            "  \"types\": [],\n"
            "  \"errors\": []\n"
            "}");
}

TEST(ContractJsonTest, BodylessEndpointKeepsOnlyRequiredKeys) {
  Contract contract;
  contract.endpoints.push_back(
      endpoint("ping", HttpMethod::Get, Transport::Unary, 200, SuccessBody{SuccessBody::Empty{}}, 0));
  contract.endpoints[0].spans.attr.reset();
  std::string text = contract_to_json(contract);
  EXPECT_NE(text.find("      \"request\": {\n"
                      "        \"path_params\": [],\n"
                      "        \"query_params\": []\n"
                      "      },\n"),
            std::string::npos)
      << text;
  for (std::string_view absent : {"\"docs\"", "\"attr\"", "\"router_mounts\"", "\"allow_unused\"",
                                  "null"}) {
    EXPECT_EQ(text.find(absent), std::string::npos) << absent;
  }
}

TEST(ContractJsonTest, QuoteEscapes) {
  struct Case {
    std::string_view in;
    std::string_view out;
  };
  const Case cases[] = {
      {"", R"("")"},
      {"\"", R"("\"")"},
      {"\\", R"("\\")"},
      {"\b\f\n\r\t", R"("\b\f\n\r\t")"},
      {std::string_view("\0", 1), R"("\u0000")"},
      {"\x01\x0b\x1f", R"("\u0001\u000b\u001f")"},
      {"\x7f", "\"\x7f\""},
      {"/é😀", "\"/é😀\""},
  };
  for (const Case& c : cases) EXPECT_EQ(json_quote(c.in), c.out) << c.out;
}

TEST(ContractJsonTest, ReadErrorsNameThePlace) {
  struct Case {
    std::string_view text;
    std::string_view error;
  };
  const Case cases[] = {
      {"{", "not valid JSON"},
      {"[]", "$: expected an object"},
      {R"({"schema_version": 3})", "$: missing key \"package\""},
      {R"({"schema_version": -1})", "$.schema_version: expected an integer from 0 to 4294967295"},
      {R"({"schema_version": 3, "package": {"ts_package": 1, "cargo_package": ""}})",
       "$.package.ts_package: expected a string"},
      {R"({"schema_version": 3, "package": {"ts_package": "", "cargo_package": ""}, "endpoints": [{}]})",
       "$.endpoints[0]: missing key \"id\""},
  };
  for (const Case& c : cases) {
    auto result = contract_from_json(c.text);
    ASSERT_FALSE(result.ok()) << c.text;
    EXPECT_EQ(result.error(), c.error) << c.text;
  }
}

TEST(ContractJsonTest, ReadRejectsUnknownVariants) {
  Contract contract;
  contract.types.push_back(newtype_type());
  std::string text = contract_to_json(contract);
  std::string bad = text;
  bad.replace(bad.find("\"Uuid\""), 6, "\"Guid\"");
  auto result = contract_from_json(bad);
  ASSERT_FALSE(result.ok());
  EXPECT_EQ(result.error(), "$.types[0].shape.Newtype.External: unknown variant \"Guid\"");
}

}  // namespace
}  // namespace vantrel::model
