// Glob patterns over the real file system: `*`, `?`, `[...]`, `[!...]`, and
// `**` as a whole path component for any number of directories. Matching is
// case-sensitive. Used by workspace member patterns, the app's source
// patterns, the language server and watch mode.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace vantrel::base {

/// A pattern that could not be compiled.
struct GlobError {
  size_t position = 0;  ///< character index in the pattern
  std::string reason;   ///< one of the three reasons below

  /// "Pattern syntax error near position {position}: {reason}"
  std::string to_string() const;
  bool operator==(const GlobError&) const = default;
};

inline constexpr std::string_view kGlobRecursiveComponent =
    "recursive wildcards must form a single path component";
inline constexpr std::string_view kGlobWildcards = "wildcards are either regular `*` or recursive `**`";
inline constexpr std::string_view kGlobInvalidRange = "invalid range pattern";

/// A compiled pattern.
class GlobPattern {
 public:
  static Result<GlobPattern, GlobError> compile(std::string_view pattern);

  /// Whether `path` (text, "/"-separated) matches the whole pattern.
  bool matches(std::string_view path) const;

  const std::string& text() const { return text_; }

  struct Token;  // defined in glob.cc

 private:
  std::string text_;
  std::vector<Token> tokens_;
  friend class GlobWalker;
};

/// Every existing path that matches `pattern`, walking the file system from
/// the pattern's literal prefix. Entries that cannot be read are skipped;
/// symbolic-link loops do not hang the walk. The order within one pattern is
/// deterministic (names sorted per directory).
Result<std::vector<std::filesystem::path>, GlobError> glob(std::string_view pattern);

}  // namespace vantrel::base
