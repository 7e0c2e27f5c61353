// Diagnostic: one problem found in the user's workspace, kept as a value.
// Stages collect diagnostics in lists and go on, so that one run reports as
// much as possible. The code is a stable kebab-case constant.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/span.h"

namespace vantrel::model {

enum class Severity { Error, Warning };

/// "error" or "warning".
std::string_view severity_name(Severity severity);

struct Diagnostic {
  std::string message;
  std::optional<Span> span;
  std::string_view code;  ///< always a string literal; never built at run time
  Severity severity = Severity::Error;

  /// The common constructor: severity Error.
  static Diagnostic error(std::string_view code, std::string message, std::optional<Span> span = std::nullopt);
  static Diagnostic warning(std::string_view code, std::string message, std::optional<Span> span = std::nullopt);

  /// The command line's form. With a span and the text of its file:
  /// "{file}:{line}:{column}: {severity}[{code}]: {message}" (1-based line,
  /// 1-based byte column of the span's start, clamped to the text); with a
  /// span but no text: "{file}: ..."; without a span: "{severity}[{code}]: ...".
  std::string render(std::optional<std::string_view> source) const;

  /// The display form: never a line or column.
  std::string display() const;

  bool operator==(const Diagnostic&) const = default;
};

}  // namespace vantrel::model
