// Stable identifiers and the name tables of the contract's enumerations.
#include "model/ir.h"


namespace vantrel::model {

uint64_t fnv1a(std::string_view bytes, uint64_t hash) {
  for (unsigned char byte : bytes) {
    hash ^= byte;
    hash *= kFnvPrime;
  }
  return hash;
}

uint64_t symbol_hash_part(uint64_t hash, std::string_view part) {
  // Multiplying once by the prime is hashing a zero byte: the separator keeps
  // ("a", "bc") and ("ab", "c") apart.
  return fnv1a(part, hash * kFnvPrime);
}

uint64_t symbol_hash(std::string_view kind, const std::vector<std::string_view>& parts) {
  uint64_t hash = fnv1a(kind);
  for (std::string_view part : parts) hash = symbol_hash_part(hash, part);
  return hash;
}

SymbolId SymbolId::from_hash(std::string_view kind, uint64_t hash) {
  // Sixteen lowercase hex digits, zero-padded, written by hand: ids are made
  // for every symbol and snprintf's format parsing showed up in profiles.
  constexpr char kHexDigits[] = "0123456789abcdef";
  char digits[16];
  for (int i = 15; i >= 0; --i, hash >>= 4) digits[i] = kHexDigits[hash & 0xf];
  std::string value;
  value.reserve(kind.size() + 17);
  value.append(kind);
  value.push_back(':');
  value.append(digits, sizeof digits);
  return SymbolId(std::move(value));
}

SymbolId SymbolId::from_parts(std::string_view kind, std::initializer_list<std::string_view> parts) {
  uint64_t hash = fnv1a(kind);
  for (std::string_view part : parts) hash = symbol_hash_part(hash, part);
  return from_hash(kind, hash);
}

SymbolId SymbolId::from_parts(std::string_view kind, const std::vector<std::string>& parts) {
  uint64_t hash = fnv1a(kind);
  for (const std::string& part : parts) hash = symbol_hash_part(hash, part);
  return from_hash(kind, hash);
}

SymbolId SymbolId::from_parts(std::string_view kind, const std::vector<std::string_view>& parts) {
  return from_hash(kind, symbol_hash(kind, parts));
}

std::string_view SymbolId::kind() const {
  std::string_view view = value_;
  size_t colon = view.rfind(':');
  return colon == std::string_view::npos ? view : view.substr(0, colon);
}

std::string_view primitive_name(Primitive p) {
  switch (p) {
    case Primitive::Bool: return "Bool";
    case Primitive::I8: return "I8";
    case Primitive::U8: return "U8";
    case Primitive::I16: return "I16";
    case Primitive::U16: return "U16";
    case Primitive::I32: return "I32";
    case Primitive::U32: return "U32";
    case Primitive::I64: return "I64";
    case Primitive::U64: return "U64";
    case Primitive::I128: return "I128";
    case Primitive::U128: return "U128";
    case Primitive::Usize: return "Usize";
    case Primitive::Isize: return "Isize";
    case Primitive::F32: return "F32";
    case Primitive::F64: return "F64";
    case Primitive::String: return "String";
  }
  return "";
}

std::optional<Primitive> primitive_from_rust_name(std::string_view ident) {
  struct Entry {
    std::string_view name;
    Primitive primitive;
  };
  static constexpr Entry kTable[] = {
      {"bool", Primitive::Bool},   {"i8", Primitive::I8},       {"u8", Primitive::U8},
      {"i16", Primitive::I16},     {"u16", Primitive::U16},     {"i32", Primitive::I32},
      {"u32", Primitive::U32},     {"i64", Primitive::I64},     {"u64", Primitive::U64},
      {"i128", Primitive::I128},   {"u128", Primitive::U128},   {"usize", Primitive::Usize},
      {"isize", Primitive::Isize}, {"f32", Primitive::F32},     {"f64", Primitive::F64},
      {"str", Primitive::String},  {"String", Primitive::String},
  };
  for (const Entry& entry : kTable) {
    if (entry.name == ident) return entry.primitive;
  }
  return std::nullopt;
}

std::string_view external_type_name(ExternalType e) {
  switch (e) {
    case ExternalType::Uuid: return "Uuid";
    case ExternalType::DateTimeUtc: return "DateTimeUtc";
    case ExternalType::Decimal: return "Decimal";
    case ExternalType::JsonValue: return "JsonValue";
  }
  return "";
}

std::string_view optionality_name(Optionality o) {
  switch (o) {
    case Optionality::Required: return "Required";
    case Optionality::Optional: return "Optional";
    case Optionality::Nullable: return "Nullable";
    case Optionality::OptionalNullable: return "OptionalNullable";
  }
  return "";
}

std::string_view transport_name(Transport t) {
  switch (t) {
    case Transport::Unary: return "Unary";
    case Transport::Sse: return "Sse";
    case Transport::BinaryDownload: return "BinaryDownload";
    case Transport::BinaryUpload: return "BinaryUpload";
  }
  return "";
}

std::string_view http_method_name(HttpMethod m) {
  switch (m) {
    case HttpMethod::Delete: return "Delete";
    case HttpMethod::Get: return "Get";
    case HttpMethod::Patch: return "Patch";
    case HttpMethod::Post: return "Post";
    case HttpMethod::Put: return "Put";
  }
  return "";
}

std::string_view http_method_upper(HttpMethod m) {
  switch (m) {
    case HttpMethod::Delete: return "DELETE";
    case HttpMethod::Get: return "GET";
    case HttpMethod::Patch: return "PATCH";
    case HttpMethod::Post: return "POST";
    case HttpMethod::Put: return "PUT";
  }
  return "";
}

}  // namespace vantrel::model
