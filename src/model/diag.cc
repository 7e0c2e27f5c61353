// Diagnostic constructors and the printed forms. Rendering never fails: a
// missing source only drops the line and column, and a start past the end of
// the text is clamped to it.
#include "model/diag.h"

#include "model/line_index.h"

namespace vantrel::model {

std::string_view severity_name(Severity severity) {
  return severity == Severity::Warning ? "warning" : "error";
}

Diagnostic Diagnostic::error(std::string_view code, std::string message, std::optional<Span> span) {
  return Diagnostic{std::move(message), std::move(span), code, Severity::Error};
}

Diagnostic Diagnostic::warning(std::string_view code, std::string message, std::optional<Span> span) {
  return Diagnostic{std::move(message), std::move(span), code, Severity::Warning};
}

namespace {

/// "{severity}[{code}]: {message}"
std::string headline(const Diagnostic& d) {
  std::string out(severity_name(d.severity));
  out += '[';
  out += d.code;
  out += "]: ";
  out += d.message;
  return out;
}

}  // namespace

std::string Diagnostic::render(std::optional<std::string_view> source) const {
  if (!span) return headline(*this);
  if (!source) return display();
  // Lines and columns are printed from 1; the column counts bytes.
  LineCol at = LineIndex(*source).line_col(span->start);
  return span->file + ":" + std::to_string(uint64_t{at.line} + 1) + ":" + std::to_string(uint64_t{at.col} + 1) +
         ": " + headline(*this);
}

std::string Diagnostic::display() const {
  if (!span) return headline(*this);
  return span->file + ": " + headline(*this);
}

}  // namespace vantrel::model
