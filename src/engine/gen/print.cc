// Printing the TypeScript tree. Layout decisions live here and nowhere else,
// so every generated file shares one style. Marks are recorded as byte
// offsets while printing; positions are computed only once the file is
// complete, because a line index needs the whole text.
#include "engine/gen/print.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <type_traits>

#include "base/utf8.h"
#include "model/line_index.h"

namespace vantrel::engine::gen {

std::string_view mark_kind_name(MarkKind kind) {
  switch (kind) {
    case MarkKind::Endpoint: return "Endpoint";
    case MarkKind::Type: return "Type";
    case MarkKind::Error: return "Error";
    case MarkKind::ErrorVariant: return "ErrorVariant";
    case MarkKind::EnumVariant: return "EnumVariant";
    case MarkKind::Field: return "Field";
    case MarkKind::FieldKey: return "FieldKey";
    case MarkKind::Param: return "Param";
  }
  return "Type";
}

namespace {

template <class... F>
struct Overloaded : F... {
  using F::operator()...;
};
template <class... F>
Overloaded(F...) -> Overloaded<F...>;

uint32_t saturate(size_t offset) {
  constexpr size_t kMax = std::numeric_limits<uint32_t>::max();
  return offset > kMax ? static_cast<uint32_t>(kMax) : static_cast<uint32_t>(offset);
}

void indent(std::string& out, uint32_t depth) { out.append(2 * static_cast<size_t>(depth), ' '); }

template <class Names>
void join(std::string& out, const Names& names, std::string_view separator) {
  bool first = true;
  for (const auto& name : names) {
    if (!first) out += separator;
    out += name;
    first = false;
  }
}

bool breaks_arguments(const std::vector<Expr>& args) {
  if (args.size() < 2) return false;
  for (const auto& arg : args) {
    if (const auto* object = std::get_if<Expr::Object>(&arg.value); object && !object->entries.empty()) return true;
    if (std::holds_alternative<Expr::Arrow>(arg.value)) return true;
  }
  return false;
}

}  // namespace

void Printer::marked_text(std::string_view text, const MarkReq& mark) {
  size_t start = out.size();
  out += text;
  if (mark) marks.push_back(PrintedMark{mark->symbol, mark->kind, saturate(start), saturate(out.size())});
}

std::string string_literal(std::string_view text) {
  // A raw line break ends a string literal with a syntax error, and a raw
  // backslash starts an escape; either would change the wire name.
  std::string out = "\"";
  for (char c : text) {
    switch (c) {
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  out += '"';
  return out;
}

void Printer::string(std::string_view text) { out += string_literal(text); }

namespace {

/// A doc line with every "*/" written as "*\/": a Rust doc comment may hold
/// "*/" (a glob, a path), which would otherwise end the comment early and
/// leave the rest of the line as code.
std::string doc_line(std::string_view line) {
  std::string out;
  for (size_t i = 0; i < line.size(); ++i) {
    out += line[i];
    if (line[i] == '*' && i + 1 < line.size() && line[i + 1] == '/') out += '\\';
  }
  return out;
}

}  // namespace

void Printer::doc(const std::optional<std::string>& doc, bool indented) {
  if (!doc) return;
  std::string_view prefix = indented ? "  " : "";
  std::vector<std::string_view> lines;
  std::string_view rest = *doc;
  while (!rest.empty()) {
    size_t nl = rest.find('\n');
    std::string_view line = rest.substr(0, nl);
    if (nl != std::string_view::npos && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    rest = nl == std::string_view::npos ? std::string_view{} : rest.substr(nl + 1);
  }
  if (lines.size() == 1) {
    out += prefix;
    out += "/** ";
    out += doc_line(lines.front());
    out += " */\n";
    return;
  }
  out += prefix;
  out += "/**\n";
  for (auto line : lines) {
    out += prefix;
    out += " * ";
    out += doc_line(line);
    out += '\n';
  }
  out += prefix;
  out += " */\n";
}

void Printer::expr(const Expr& e, uint32_t depth) {
  std::visit(Overloaded{
                 [&](const Expr::Raw& raw) {
                   std::string_view rest = raw.text;
                   size_t nl = rest.find('\n');
                   out += rest.substr(0, nl);
                   while (nl != std::string_view::npos) {
                     rest = rest.substr(nl + 1);
                     nl = rest.find('\n');
                     std::string_view piece = rest.substr(0, nl);
                     out += '\n';
                     if (!piece.empty()) {
                       indent(out, depth);
                       out += piece;
                     }
                   }
                 },
                 [&](const Expr::Str& str) { string(str.text); },
                 [&](const Expr::Member& member) {
                   expr(*member.object, depth);
                   out += '.';
                   out += member.property;
                 },
                 [&](const Expr::Call& call) {
                   expr(*call.callee, depth);
                   out += '(';
                   if (breaks_arguments(call.args)) {
                     for (size_t i = 0; i < call.args.size(); ++i) {
                       out += '\n';
                       indent(out, depth + 1);
                       expr(call.args[i], depth + 1);
                       out += ',';
                     }
                     out += '\n';
                     indent(out, depth);
                   } else {
                     for (size_t i = 0; i < call.args.size(); ++i) {
                       if (i > 0) out += ", ";
                       expr(call.args[i], depth);
                     }
                   }
                   out += ')';
                 },
                 [&](const Expr::Object& object) {
                   if (object.entries.empty()) {
                     out += "{}";
                     return;
                   }
                   out += "{\n";
                   for (const auto& entry : object.entries) {
                     indent(out, depth + 1);
                     marked_text(entry.key, entry.mark);
                     out += ": ";
                     expr(entry.value, depth + 1);
                     out += ",\n";
                   }
                   indent(out, depth);
                   out += '}';
                 },
                 [&](const Expr::Array& array) {
                   if (array.elements.empty()) {
                     out += "[]";
                   } else if (array.elements.size() == 1) {
                     out += '[';
                     expr(array.elements.front(), depth);
                     out += ']';
                   } else {
                     out += "[\n";
                     for (const auto& element : array.elements) {
                       indent(out, depth + 1);
                       expr(element, depth + 1);
                       out += ",\n";
                     }
                     indent(out, depth);
                     out += ']';
                   }
                 },
                 [&](const Expr::Arrow& arrow) {
                   out += '(';
                   join(out, arrow.params, ", ");
                   out += ") => ";
                   if (std::holds_alternative<Expr::Object>(arrow.body->value)) {
                     out += '(';
                     expr(*arrow.body, depth);
                     out += ')';
                   } else {
                     expr(*arrow.body, depth);
                   }
                 },
                 [&](const Expr::Marked& marked) {
                   size_t start = out.size();
                   expr(*marked.expr, depth);
                   marks.push_back(PrintedMark{marked.symbol, marked.kind, saturate(start), saturate(out.size())});
                 },
             },
             e.value);
}

void Printer::item(const Item& it) {
  auto import_list = [&](const std::vector<std::string>& names, std::string_view from) {
    out += " { ";
    join(out, names, ", ");
    out += " } from ";
    string(from);
    out += '\n';
  };
  std::visit(Overloaded{
                 [&](const Item::Import& import) {
                   out += import.type_only ? "import type" : "import";
                   import_list(import.names, import.from);
                 },
                 [&](const Item::ExportAll& all) {
                   out += "export * from ";
                   string(all.from);
                   out += '\n';
                 },
                 [&](const Item::ExportNamespace& ns) {
                   out += "export * as ";
                   out += ns.name;
                   out += " from ";
                   string(ns.from);
                   out += '\n';
                 },
                 [&](const Item::ExportNamed& named) {
                   out += "export";
                   import_list(named.names, named.from);
                 },
                 [&](const Item::Const& c) {
                   doc(c.doc, false);
                   out += "export const ";
                   marked_text(c.name, c.mark);
                   out += " = ";
                   expr(c.value, 0);
                   if (c.as_const) out += " as const";
                   out += '\n';
                 },
                 [&](const Item::Function& f) {
                   doc(f.doc, false);
                   out += "export const ";
                   marked_text(f.name, f.mark);
                   out += " = (";
                   for (size_t i = 0; i < f.params.size(); ++i) {
                     if (i > 0) out += ", ";
                     out += f.params[i].first;
                     out += ": ";
                     out += f.params[i].second;
                   }
                   out += "): ";
                   out += f.return_type;
                   out += " =>\n  ";
                   expr(f.body, 1);
                   out += '\n';
                 },
                 [&](const Item::TypeAlias& alias) {
                   doc(alias.doc, false);
                   out += "export type ";
                   marked_text(alias.name, alias.mark);
                   out += " = ";
                   out += alias.ty;
                   out += '\n';
                 },
                 [&](const Item::Interface& iface) {
                   doc(iface.doc, false);
                   out += "export interface ";
                   marked_text(iface.name, iface.mark);
                   if (iface.fields.empty()) {
                     out += " {}\n";
                     return;
                   }
                   out += " {\n";
                   for (const auto& field : iface.fields) {
                     doc(field.doc, true);
                     out += "  readonly ";
                     marked_text(field.name, field.mark);
                     if (field.optional) out += '?';
                     out += ": ";
                     out += field.ty;
                     out += '\n';
                   }
                   out += "}\n";
                 },
                 [&](const Item::Class& cls) {
                   doc(cls.doc, false);
                   out += "export class ";
                   marked_text(cls.name, cls.mark);
                   out += " extends ";
                   expr(cls.extends, 0);
                   out += " {}\n";
                 },
                 [&](const Item::Raw& raw) {
                   out += raw.text;
                   if (raw.text.empty() || raw.text.back() != '\n') out += '\n';
                 },
             },
             it.value);
}

std::vector<Mark> finish_marks(std::string_view file, std::string_view text, const std::vector<PrintedMark>& marks) {
  // The printer records marks as it goes, so their offsets only grow: one
  // pass over the text, counting lines and UTF-16 units, places them all.
  // A mark behind the pass (or inside a character) goes through a line index,
  // which gives the same answer for any offset.
  std::optional<model::LineIndex> index;
  uint32_t line = 0;
  size_t pos = 0;
  size_t units = 0;  // UTF-16 units from the start of the current line to `pos`
  std::string file_text(file);
  std::vector<Mark> result;
  result.reserve(marks.size());
  for (const auto& printed : marks) {
    size_t target = std::min<size_t>(printed.start, text.size());
    model::LineCol at{};
    if (target >= pos) {
      while (pos < target) {
        auto c = static_cast<unsigned char>(text[pos]);
        if (c == '\n') {
          ++line;
          units = 0;
          ++pos;
        } else if (c < 0x80) {
          ++units;
          ++pos;
        } else {
          base::DecodedChar decoded = base::decode_utf8(text, pos);
          units += base::utf16_units(decoded.code_point);
          pos += decoded.length;
        }
      }
    }
    if (pos == target && base::is_char_boundary(text, target)) {
      at = model::LineCol{line, static_cast<uint32_t>(std::min<size_t>(units, UINT32_MAX))};
    } else {
      if (!index) index.emplace(text);
      at = index->line_col_utf16(printed.start, text);
    }
    result.push_back(Mark{file_text, printed.symbol, printed.start, printed.end, at.line, at.col, printed.kind});
  }
  return result;
}

}  // namespace vantrel::engine::gen
