// The Printer turns the TypeScript tree (engine/gen/ast.h) into text with one
// fixed layout: two-space indentation, no semicolons, trailing commas in
// every multi-line object, array and argument list. The same tree always
// prints the same bytes.
//
// While printing it records marks: byte ranges of the output that name a
// contract item. `finish_marks` turns them into positions once a file is
// complete; the language server maps positions in generated files back to
// contract items through them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/gen/ast.h"

namespace vantrel::engine::gen {

/// `text` as a double-quoted TypeScript string literal that evaluates to
/// exactly `text`: double quote, backslash, line feed and carriage return are
/// escaped, every other character is written raw.
std::string string_literal(std::string_view text);

/// A mark as recorded while printing: byte offsets into `Printer::out`, end
/// exclusive, saturating at 4294967295.
struct PrintedMark {
  std::string symbol;
  MarkKind kind = MarkKind::Type;
  uint32_t start = 0;
  uint32_t end = 0;

  bool operator==(const PrintedMark&) const = default;
};

/// A mark of a finished file.
struct Mark {
  std::string file;    ///< path relative to the package directory, "endpoints/users.ts"
  std::string symbol;  ///< SymbolId string
  uint32_t start = 0;  ///< byte offsets into the complete file text
  uint32_t end = 0;
  uint32_t line = 0;       ///< zero-based line of `start`
  uint32_t character = 0;  ///< zero-based UTF-16 column of `start`
  MarkKind kind = MarkKind::Type;

  bool operator==(const Mark&) const = default;
};

/// Appends printed text to `out` and records marks in `marks`, in the order in
/// which their text ends. A caller may put text into `out` first (the file
/// header); offsets always count from the start of `out`.
struct Printer {
  std::string out;
  std::vector<PrintedMark> marks;

  /// One item, always ending with a line break.
  void item(const Item& item);
  /// One expression; `depth` is the indentation level (two spaces each) of
  /// the line on which the expression starts.
  void expr(const Expr& expr, uint32_t depth);
  /// A documentation comment (indented by two spaces when `indented`), or
  /// nothing when `doc` is absent.
  void doc(const std::optional<std::string>& doc, bool indented);
  /// `text`, with a mark over exactly that text when one is requested.
  void marked_text(std::string_view text, const MarkReq& mark);
  /// A double-quoted string literal (see string_literal).
  void string(std::string_view text);
};

/// The marks of one finished file with their line and UTF-16 column, in the
/// printer's order. `text` is the complete file text the marks point into.
std::vector<Mark> finish_marks(std::string_view file, std::string_view text, const std::vector<PrintedMark>& marks);

}  // namespace vantrel::engine::gen
