// The contract: the language-neutral description of one package's API that
// every later stage shares. The extractor builds it from Rust sources, the
// generator turns it into TypeScript, the usage index and the language server
// navigate by it. Field order in each record is also the key order of
// contract.json (model/contract_json.h), so do not reorder fields.
//
// All records own their data and copy deeply; every record compares by value.
#pragma once

#include <array>
#include <compare>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "model/box.h"
#include "model/span.h"

namespace vantrel::model {

// ---------------------------------------------------------------------------
// Stable identifiers

/// FNV-1a, 64 bits.
inline constexpr uint64_t kFnvOffsetBasis = 0xcbf29ce484222325ULL;
inline constexpr uint64_t kFnvPrime = 0x100000001b3ULL;

/// Continues an FNV-1a hash over `bytes`.
uint64_t fnv1a(std::string_view bytes, uint64_t hash = kFnvOffsetBasis);

/// The hash behind a SymbolId: FNV-1a over `kind`, then per part one
/// multiplication by the prime (a zero separator byte) and the part's bytes.
uint64_t symbol_hash(std::string_view kind, const std::vector<std::string_view>& parts);

/// Continues a symbol hash with one more part (separator, then the part), so a
/// caller can hash the kind once and reuse it.
uint64_t symbol_hash_part(uint64_t hash, std::string_view part);

/// The stable identifier of a contract item: "{kind}:{16 lowercase hex digits}".
/// Compared and ordered as its string.
class SymbolId {
 public:
  SymbolId() = default;
  /// Wraps an id as read back (for example from contract.json); not checked.
  explicit SymbolId(std::string value) : value_(std::move(value)) {}

  static SymbolId from_parts(std::string_view kind, std::initializer_list<std::string_view> parts = {});
  static SymbolId from_parts(std::string_view kind, const std::vector<std::string>& parts);
  static SymbolId from_parts(std::string_view kind, const std::vector<std::string_view>& parts);
  /// The id of `kind` with an already computed hash.
  static SymbolId from_hash(std::string_view kind, uint64_t hash);

  const std::string& str() const { return value_; }
  /// The text before the colon.
  std::string_view kind() const;

  friend bool operator==(const SymbolId&, const SymbolId&) = default;
  friend std::strong_ordering operator<=>(const SymbolId& a, const SymbolId& b) { return a.value_ <=> b.value_; }

 private:
  std::string value_;
};

// ---------------------------------------------------------------------------
// Enumerations (declaration order is part of the format)

enum class Primitive { Bool, I8, U8, I16, U16, I32, U32, I64, U64, I128, U128, Usize, Isize, F32, F64, String };
inline constexpr std::array kPrimitives = {
    Primitive::Bool, Primitive::I8,   Primitive::U8,    Primitive::I16,   Primitive::U16,  Primitive::I32,
    Primitive::U32,  Primitive::I64,  Primitive::U64,   Primitive::I128,  Primitive::U128, Primitive::Usize,
    Primitive::Isize, Primitive::F32, Primitive::F64,   Primitive::String};
/// "Bool", "I8", ... "String".
std::string_view primitive_name(Primitive p);
/// The primitive a Rust identifier names ("str" and "String" are both
/// String); nothing for every other identifier, "char" included.
std::optional<Primitive> primitive_from_rust_name(std::string_view ident);

enum class ExternalType { Uuid, DateTimeUtc, Decimal, JsonValue };
inline constexpr std::array kExternalTypes = {ExternalType::Uuid, ExternalType::DateTimeUtc, ExternalType::Decimal,
                                              ExternalType::JsonValue};
std::string_view external_type_name(ExternalType e);

enum class Optionality { Required, Optional, Nullable, OptionalNullable };
inline constexpr std::array kOptionalities = {Optionality::Required, Optionality::Optional, Optionality::Nullable,
                                              Optionality::OptionalNullable};
std::string_view optionality_name(Optionality o);

enum class Transport { Unary, Sse, BinaryDownload, BinaryUpload };
inline constexpr std::array kTransports = {Transport::Unary, Transport::Sse, Transport::BinaryDownload,
                                           Transport::BinaryUpload};
std::string_view transport_name(Transport t);

enum class HttpMethod { Delete, Get, Patch, Post, Put };
inline constexpr std::array kHttpMethods = {HttpMethod::Delete, HttpMethod::Get, HttpMethod::Patch, HttpMethod::Post,
                                            HttpMethod::Put};
/// "Delete", "Get", ... as in contract.json.
std::string_view http_method_name(HttpMethod m);
/// "DELETE", "GET", ... as shown in messages.
std::string_view http_method_upper(HttpMethod m);

// ---------------------------------------------------------------------------
// Records

/// The places of a declaration.
struct DeclSpans {
  Span name;                ///< the identifier
  Span full;                ///< the whole item, attributes and doc comments included
  std::optional<Span> attr; ///< the `#[api(...)]` attribute of an endpoint only

  bool operator==(const DeclSpans&) const = default;
};

/// A type as the contract sees it.
struct TypeExpr {
  /// A reference to a TypeDecl or ErrorDecl.
  struct Named {
    SymbolId id;
    std::string name;
    bool operator==(const Named&) const = default;
  };
  struct Option {
    Box<TypeExpr> inner;
    bool operator==(const Option&) const = default;
  };
  struct List {
    Box<TypeExpr> inner;
    bool operator==(const List&) const = default;
  };
  struct Map {
    Box<TypeExpr> key;
    Box<TypeExpr> value;
    bool operator==(const Map&) const = default;
  };
  /// Alternatives in the format's variant order.
  using Value = std::variant<Primitive, Named, Option, List, Map, ExternalType>;

  Value value;

  static TypeExpr primitive(Primitive p) { return TypeExpr{p}; }
  static TypeExpr named(SymbolId id, std::string name) { return TypeExpr{Named{std::move(id), std::move(name)}}; }
  static TypeExpr option(TypeExpr inner) { return TypeExpr{Option{Box<TypeExpr>(std::move(inner))}}; }
  static TypeExpr list(TypeExpr inner) { return TypeExpr{List{Box<TypeExpr>(std::move(inner))}}; }
  static TypeExpr map(TypeExpr key, TypeExpr value) {
    return TypeExpr{Map{Box<TypeExpr>(std::move(key)), Box<TypeExpr>(std::move(value))}};
  }
  static TypeExpr external(ExternalType e) { return TypeExpr{e}; }

  bool operator==(const TypeExpr&) const = default;
};

struct Field {
  SymbolId id;
  std::string rust_name;
  std::string wire_name;  ///< the JSON property name after renaming
  TypeExpr ty;
  Optionality optionality = Optionality::Required;
  std::optional<std::string> docs;
  DeclSpans spans;

  bool operator==(const Field&) const = default;
};

struct EnumVariant {
  SymbolId id;
  std::string rust_name;
  std::string wire_name;  ///< the tag value on the wire
  std::vector<Field> fields;  ///< empty for a unit variant
  std::optional<std::string> docs;
  DeclSpans spans;

  bool operator==(const EnumVariant&) const = default;
};

struct TypeShape {
  struct Struct {
    std::vector<Field> fields;
    bool operator==(const Struct&) const = default;
  };
  struct Enum {
    std::vector<EnumVariant> variants;
    bool operator==(const Enum&) const = default;
  };
  /// The inner type of a single-field tuple struct or a transparent struct.
  struct Newtype {
    TypeExpr inner;
    bool operator==(const Newtype&) const = default;
  };
  using Value = std::variant<Struct, Enum, Newtype>;

  Value value;

  bool operator==(const TypeShape&) const = default;
};

/// A type deriving `Api`.
struct TypeDecl {
  SymbolId id;
  std::vector<std::string> rust_path;  ///< module path, then the type's name
  std::string rust_name;
  std::string ts_name;
  TypeShape shape;
  std::optional<std::string> docs;
  DeclSpans spans;

  bool operator==(const TypeDecl&) const = default;
};

struct ErrorVariant {
  SymbolId id;
  std::string rust_name;
  std::string tag;  ///< the `_tag` value and TypeScript error class name
  uint16_t status = 0;  ///< 400 to 599
  std::vector<Field> fields;
  std::optional<std::string> docs;
  DeclSpans spans;

  bool operator==(const ErrorVariant&) const = default;
};

/// An enum deriving `ApiError`.
struct ErrorDecl {
  SymbolId id;
  std::vector<std::string> rust_path;
  std::string rust_name;
  std::string ts_name;
  std::vector<ErrorVariant> variants;
  std::optional<std::string> docs;
  DeclSpans spans;

  bool operator==(const ErrorDecl&) const = default;
};

struct ErrorRef {
  SymbolId id;  ///< of an ErrorDecl
  std::string name;

  bool operator==(const ErrorRef&) const = default;
};

/// A path or query parameter.
struct Param {
  SymbolId id;
  std::string name;  ///< the wire name
  TypeExpr ty;
  bool required = false;
  Span span;

  bool operator==(const Param&) const = default;
};

struct RequestBody {
  struct Json {
    TypeExpr ty;
    bool operator==(const Json&) const = default;
  };
  /// Raw bytes.
  struct Binary {
    bool operator==(const Binary&) const = default;
  };
  using Value = std::variant<Json, Binary>;

  Value value;

  bool operator==(const RequestBody&) const = default;
};

struct RequestShape {
  std::vector<Param> path_params;  ///< in the order of the handler's Path arguments
  std::vector<Param> query_params;
  std::optional<RequestBody> body;

  bool operator==(const RequestShape&) const = default;
};

struct SuccessBody {
  struct Empty {
    bool operator==(const Empty&) const = default;
  };
  struct Json {
    TypeExpr ty;
    bool operator==(const Json&) const = default;
  };
  /// A server-sent event stream of `item`.
  struct Stream {
    TypeExpr item;
    bool operator==(const Stream&) const = default;
  };
  struct Binary {
    bool operator==(const Binary&) const = default;
  };
  using Value = std::variant<Empty, Json, Stream, Binary>;

  Value value;

  bool operator==(const SuccessBody&) const = default;
};

struct SuccessChannel {
  Transport transport = Transport::Unary;
  uint16_t status = 200;
  SuccessBody body;

  bool operator==(const SuccessChannel&) const = default;
};

struct Endpoint {
  SymbolId id;
  std::vector<std::string> rust_path;  ///< module path, then the handler's name
  std::string rust_name;
  std::string ts_module;
  std::string ts_name;
  std::string route;  ///< the full route after all router mounts
  HttpMethod method = HttpMethod::Get;
  RequestShape request;
  SuccessChannel success;
  std::vector<ErrorRef> errors;
  std::optional<std::string> docs;
  DeclSpans spans;  ///< `attr` is the `#[api]` attribute
  std::vector<Span> router_mounts;  ///< the router calls that mount the endpoint
  bool allow_unused = false;

  bool operator==(const Endpoint&) const = default;
};

struct PackageMeta {
  std::string ts_package;     ///< the npm package name
  std::string cargo_package;  ///< the Cargo package name

  bool operator==(const PackageMeta&) const = default;
};

inline constexpr uint32_t kSchemaVersion = 3;

struct Contract {
  uint32_t schema_version = kSchemaVersion;
  PackageMeta package;
  std::vector<Endpoint> endpoints;
  std::vector<TypeDecl> types;
  std::vector<ErrorDecl> errors;

  bool operator==(const Contract&) const = default;
};

}  // namespace vantrel::model

template <>
struct std::hash<vantrel::model::SymbolId> {
  size_t operator()(const vantrel::model::SymbolId& id) const noexcept { return std::hash<std::string>{}(id.str()); }
};
