// Writing and reading contract.json.
//
// The writer is our own rather than a JSON library's dump: the file format
// fixes escaping and layout byte for byte, and a library's choices there (hex
// case, which characters it escapes, what it does with odd UTF-8) are not ours
// to depend on. Reading goes through nlohmann::json, where those choices do
// not matter.
#include "model/contract_json.h"

#include <cstdio>
#include <vector>

namespace vantrel::model {
namespace {

/// Emits pretty JSON: every nested value on its own lines, two spaces per
/// level, "[]" and "{}" for empty containers.
class PrettyWriter {
 public:
  void begin_object() { open('{'); }
  void end_object() { close('}'); }
  void begin_array() { open('['); }
  void end_array() { close(']'); }

  void key(std::string_view name) {
    next_line();
    out_ += json_quote(name);
    out_ += ": ";
    after_key_ = true;
  }
  void string(std::string_view text) {
    before_value();
    out_ += json_quote(text);
  }
  void number(uint64_t value) {
    before_value();
    out_ += std::to_string(value);
  }
  void boolean(bool value) {
    before_value();
    out_ += value ? "true" : "false";
  }

  std::string take() { return std::move(out_); }

 private:
  // Whether the container at each open level has received a member yet.
  std::vector<bool> level_empty_;
  std::string out_;
  bool after_key_ = false;

  void indent() { out_.append(2 * level_empty_.size(), ' '); }

  void next_line() {
    if (!level_empty_.back()) out_ += ',';
    level_empty_.back() = false;
    out_ += '\n';
    indent();
  }

  void before_value() {
    if (after_key_) {
      after_key_ = false;
    } else if (!level_empty_.empty()) {
      next_line();
    }
  }

  void open(char bracket) {
    before_value();
    out_ += bracket;
    level_empty_.push_back(true);
  }

  void close(char bracket) {
    bool empty = level_empty_.back();
    level_empty_.pop_back();
    if (!empty) {
      out_ += '\n';
      indent();
    }
    out_ += bracket;
  }
};

void write_span(PrettyWriter& w, const Span& span) {
  w.begin_object();
  w.key("file");
  w.string(span.file);
  w.key("start");
  w.number(span.start);
  w.key("end");
  w.number(span.end);
  w.end_object();
}

void write_decl_spans(PrettyWriter& w, const DeclSpans& spans) {
  w.begin_object();
  w.key("name");
  write_span(w, spans.name);
  w.key("full");
  write_span(w, spans.full);
  if (spans.attr) {
    w.key("attr");
    write_span(w, *spans.attr);
  }
  w.end_object();
}

void write_docs(PrettyWriter& w, const std::optional<std::string>& docs) {
  if (!docs) return;
  w.key("docs");
  w.string(*docs);
}

void write_strings(PrettyWriter& w, const std::vector<std::string>& strings) {
  w.begin_array();
  for (const std::string& s : strings) w.string(s);
  w.end_array();
}

template <class T, class WriteOne>
void write_list(PrettyWriter& w, const std::vector<T>& items, WriteOne write_one) {
  w.begin_array();
  for (const T& item : items) write_one(w, item);
  w.end_array();
}

void write_type_expr(PrettyWriter& w, const TypeExpr& ty);

/// {"Name": payload} for a variant with one payload.
template <class WritePayload>
void write_tagged(PrettyWriter& w, std::string_view tag, WritePayload write_payload) {
  w.begin_object();
  w.key(tag);
  write_payload();
  w.end_object();
}

void write_type_expr(PrettyWriter& w, const TypeExpr& ty) {
  struct Visitor {
    PrettyWriter& w;
    void operator()(Primitive p) const { write_tagged(w, "Primitive", [&] { w.string(primitive_name(p)); }); }
    void operator()(const TypeExpr::Named& n) const {
      write_tagged(w, "Named", [&] {
        w.begin_object();
        w.key("id");
        w.string(n.id.str());
        w.key("name");
        w.string(n.name);
        w.end_object();
      });
    }
    void operator()(const TypeExpr::Option& o) const { write_tagged(w, "Option", [&] { write_type_expr(w, *o.inner); }); }
    void operator()(const TypeExpr::List& l) const { write_tagged(w, "List", [&] { write_type_expr(w, *l.inner); }); }
    void operator()(const TypeExpr::Map& m) const {
      write_tagged(w, "Map", [&] {
        w.begin_object();
        w.key("key");
        write_type_expr(w, *m.key);
        w.key("value");
        write_type_expr(w, *m.value);
        w.end_object();
      });
    }
    void operator()(ExternalType e) const { write_tagged(w, "External", [&] { w.string(external_type_name(e)); }); }
  };
  std::visit(Visitor{w}, ty.value);
}

void write_field(PrettyWriter& w, const Field& field) {
  w.begin_object();
  w.key("id");
  w.string(field.id.str());
  w.key("rust_name");
  w.string(field.rust_name);
  w.key("wire_name");
  w.string(field.wire_name);
  w.key("ty");
  write_type_expr(w, field.ty);
  w.key("optionality");
  w.string(optionality_name(field.optionality));
  write_docs(w, field.docs);
  w.key("spans");
  write_decl_spans(w, field.spans);
  w.end_object();
}

void write_enum_variant(PrettyWriter& w, const EnumVariant& variant) {
  w.begin_object();
  w.key("id");
  w.string(variant.id.str());
  w.key("rust_name");
  w.string(variant.rust_name);
  w.key("wire_name");
  w.string(variant.wire_name);
  w.key("fields");
  write_list(w, variant.fields, write_field);
  write_docs(w, variant.docs);
  w.key("spans");
  write_decl_spans(w, variant.spans);
  w.end_object();
}

void write_type_shape(PrettyWriter& w, const TypeShape& shape) {
  struct Visitor {
    PrettyWriter& w;
    void operator()(const TypeShape::Struct& s) const {
      write_tagged(w, "Struct", [&] {
        w.begin_object();
        w.key("fields");
        write_list(w, s.fields, write_field);
        w.end_object();
      });
    }
    void operator()(const TypeShape::Enum& e) const {
      write_tagged(w, "Enum", [&] {
        w.begin_object();
        w.key("variants");
        write_list(w, e.variants, write_enum_variant);
        w.end_object();
      });
    }
    void operator()(const TypeShape::Newtype& n) const {
      write_tagged(w, "Newtype", [&] { write_type_expr(w, n.inner); });
    }
  };
  std::visit(Visitor{w}, shape.value);
}

void write_type_decl(PrettyWriter& w, const TypeDecl& decl) {
  w.begin_object();
  w.key("id");
  w.string(decl.id.str());
  w.key("rust_path");
  write_strings(w, decl.rust_path);
  w.key("rust_name");
  w.string(decl.rust_name);
  w.key("ts_name");
  w.string(decl.ts_name);
  w.key("shape");
  write_type_shape(w, decl.shape);
  write_docs(w, decl.docs);
  w.key("spans");
  write_decl_spans(w, decl.spans);
  w.end_object();
}

void write_error_variant(PrettyWriter& w, const ErrorVariant& variant) {
  w.begin_object();
  w.key("id");
  w.string(variant.id.str());
  w.key("rust_name");
  w.string(variant.rust_name);
  w.key("tag");
  w.string(variant.tag);
  w.key("status");
  w.number(variant.status);
  w.key("fields");
  write_list(w, variant.fields, write_field);
  write_docs(w, variant.docs);
  w.key("spans");
  write_decl_spans(w, variant.spans);
  w.end_object();
}

void write_error_decl(PrettyWriter& w, const ErrorDecl& decl) {
  w.begin_object();
  w.key("id");
  w.string(decl.id.str());
  w.key("rust_path");
  write_strings(w, decl.rust_path);
  w.key("rust_name");
  w.string(decl.rust_name);
  w.key("ts_name");
  w.string(decl.ts_name);
  w.key("variants");
  write_list(w, decl.variants, write_error_variant);
  write_docs(w, decl.docs);
  w.key("spans");
  write_decl_spans(w, decl.spans);
  w.end_object();
}

void write_error_ref(PrettyWriter& w, const ErrorRef& ref) {
  w.begin_object();
  w.key("id");
  w.string(ref.id.str());
  w.key("name");
  w.string(ref.name);
  w.end_object();
}

void write_param(PrettyWriter& w, const Param& param) {
  w.begin_object();
  w.key("id");
  w.string(param.id.str());
  w.key("name");
  w.string(param.name);
  w.key("ty");
  write_type_expr(w, param.ty);
  w.key("required");
  w.boolean(param.required);
  w.key("span");
  write_span(w, param.span);
  w.end_object();
}

void write_request_body(PrettyWriter& w, const RequestBody& body) {
  if (const auto* json = std::get_if<RequestBody::Json>(&body.value)) {
    write_tagged(w, "Json", [&] { write_type_expr(w, json->ty); });
  } else {
    w.string("Binary");
  }
}

void write_request(PrettyWriter& w, const RequestShape& request) {
  w.begin_object();
  w.key("path_params");
  write_list(w, request.path_params, write_param);
  w.key("query_params");
  write_list(w, request.query_params, write_param);
  if (request.body) {
    w.key("body");
    write_request_body(w, *request.body);
  }
  w.end_object();
}

void write_success_body(PrettyWriter& w, const SuccessBody& body) {
  struct Visitor {
    PrettyWriter& w;
    void operator()(const SuccessBody::Empty&) const { w.string("Empty"); }
    void operator()(const SuccessBody::Json& j) const { write_tagged(w, "Json", [&] { write_type_expr(w, j.ty); }); }
    void operator()(const SuccessBody::Stream& s) const {
      write_tagged(w, "Stream", [&] { write_type_expr(w, s.item); });
    }
    void operator()(const SuccessBody::Binary&) const { w.string("Binary"); }
  };
  std::visit(Visitor{w}, body.value);
}

void write_success(PrettyWriter& w, const SuccessChannel& success) {
  w.begin_object();
  w.key("transport");
  w.string(transport_name(success.transport));
  w.key("status");
  w.number(success.status);
  w.key("body");
  write_success_body(w, success.body);
  w.end_object();
}

void write_endpoint(PrettyWriter& w, const Endpoint& endpoint) {
  w.begin_object();
  w.key("id");
  w.string(endpoint.id.str());
  w.key("rust_path");
  write_strings(w, endpoint.rust_path);
  w.key("rust_name");
  w.string(endpoint.rust_name);
  w.key("ts_module");
  w.string(endpoint.ts_module);
  w.key("ts_name");
  w.string(endpoint.ts_name);
  w.key("route");
  w.string(endpoint.route);
  w.key("method");
  w.string(http_method_name(endpoint.method));
  w.key("request");
  write_request(w, endpoint.request);
  w.key("success");
  write_success(w, endpoint.success);
  w.key("errors");
  write_list(w, endpoint.errors, write_error_ref);
  write_docs(w, endpoint.docs);
  w.key("spans");
  write_decl_spans(w, endpoint.spans);
  if (!endpoint.router_mounts.empty()) {
    w.key("router_mounts");
    write_list(w, endpoint.router_mounts, write_span);
  }
  if (endpoint.allow_unused) {
    w.key("allow_unused");
    w.boolean(true);
  }
  w.end_object();
}

}  // namespace

std::string json_quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escape[7];
          std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escape;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string contract_to_json(const Contract& contract) {
  PrettyWriter w;
  w.begin_object();
  w.key("schema_version");
  w.number(contract.schema_version);
  w.key("package");
  w.begin_object();
  w.key("ts_package");
  w.string(contract.package.ts_package);
  w.key("cargo_package");
  w.string(contract.package.cargo_package);
  w.end_object();
  w.key("endpoints");
  write_list(w, contract.endpoints, write_endpoint);
  w.key("types");
  write_list(w, contract.types, write_type_decl);
  w.key("errors");
  write_list(w, contract.errors, write_error_decl);
  w.end_object();
  return w.take();
}

}  // namespace vantrel::model
