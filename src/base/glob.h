// Glob patterns over the real file system: `*`, `?`, `[...]`, `[!...]`, and
// `**` as a whole path component for any number of directories. Matching is
// case-sensitive. Used by workspace member patterns, the app's source
// patterns, the language server and watch mode.
//
// The dialect is that of Rust's `glob` crate with its default options, since
// patterns written for the tool's earlier versions must keep meaning the same:
// - `*` and `?` never match "/", but do match a leading "." (hidden names are
//   not special);
// - `[...]` lists characters and ranges such as `a-z`; `]` right after `[` or
//   `[!` is a member; there is no backslash escape (write `[*]`);
// - `**` must be a whole component (`a**` and `**a` are errors) and `***` is
//   an error; a pattern that ends in `**` yields directories only;
// - a trailing "/" yields directories only.
#pragma once

#include <cstddef>
#include <cstdint>
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
inline constexpr std::string_view kGlobWildcards =
    "wildcards are either regular `*` or recursive `**`";
inline constexpr std::string_view kGlobInvalidRange = "invalid range pattern";

/// One element of a compiled pattern.
struct GlobToken {
  enum class Kind : uint8_t {
    kChar,          ///< exactly `ch`
    kAnyChar,       ///< `?`
    kAnySequence,   ///< `*`
    kAnyRecursive,  ///< `**` (with the "/" after it, when there is one)
    kAnyWithin,     ///< `[...]`
    kAnyExcept,     ///< `[!...]`
  };
  /// An inclusive range of code points; a single character is [c, c].
  struct Range {
    char32_t first = 0;
    char32_t last = 0;
    bool operator==(const Range&) const = default;
  };

  Kind kind = Kind::kChar;
  char32_t ch = 0;            ///< for kChar
  std::vector<Range> ranges;  ///< for kAnyWithin and kAnyExcept
  bool operator==(const GlobToken&) const = default;
};

/// A compiled pattern, tested against path text without touching the disk.
class GlobPattern {
 public:
  /// Compiles `pattern`; invalid UTF-8 in it reads as U+FFFD.
  static Result<GlobPattern, GlobError> compile(std::string_view pattern);

  /// Whether `path` (text, "/"-separated) matches the whole pattern. `*`,
  /// `?` and classes never match "/"; `**` matches any run of whole
  /// components, none included. Pure text: "a/**" matches "a/x.txt" even
  /// though a walk of the disk would yield directories only.
  bool matches(std::string_view path) const;

  const std::string& text() const { return text_; }
  const std::vector<GlobToken>& tokens() const { return tokens_; }
  /// Whether the pattern contains `**`.
  bool is_recursive() const { return is_recursive_; }
  /// Whether the pattern contains any of `?`, `*`, `[`; one without them
  /// names exactly one path.
  bool has_wildcards() const { return has_wildcards_; }

 private:
  std::string text_;
  std::vector<GlobToken> tokens_;
  bool is_recursive_ = false;
  bool has_wildcards_ = false;
};

/// Every existing path that matches `pattern`, walking the file system from
/// the pattern's literal prefix. A relative pattern starts at the current
/// directory, an absolute one at "/"; yielded paths keep the prefix as
/// written ("root/crates/*" yields "root/crates/api"), except that a leading
/// "./" is dropped. Entries that cannot be read are skipped, names that are
/// not UTF-8 never match a wildcard, and a directory already on the way down
/// is not entered again below `**`, so symbolic-link loops end. The order is
/// deterministic: depth first, names in byte order within each directory.
/// Invalid UTF-8 in `pattern` reads as U+FFFD.
Result<std::vector<std::filesystem::path>, GlobError> glob(std::string_view pattern);

/// `glob` of `pattern` joined to `root` (an absolute pattern stays as it is),
/// the joined path read as text with invalid UTF-8 replaced. This is how
/// configured patterns are expanded; error positions count in the joined
/// text.
Result<std::vector<std::filesystem::path>, GlobError> glob_joined(const std::filesystem::path& root,
                                                                  std::string_view pattern);

}  // namespace vantrel::base
