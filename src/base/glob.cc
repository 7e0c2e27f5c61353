// Compiling and matching glob patterns, and walking the disk for them.
//
// Compilation and matching follow Rust's `glob` crate closely, error
// positions included, because user-visible messages quote them. The walk
// splits the pattern at "/" into one pattern per component, then runs a
// depth-first search with an explicit stack: children of a directory are
// pushed in reverse name order, so they come off the stack in name order.
// A literal component (no wildcard) is not looked up by reading its
// directory, only by testing that the one path exists, which keeps patterns
// like "crates/*" cheap and lets them pass through unreadable parents.
#include "base/glob.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <optional>

#include "base/utf8.h"

namespace vantrel::base {
namespace {

using Kind = GlobToken::Kind;

std::u32string decode_lossy(std::string_view text) {
  std::u32string chars;
  chars.reserve(text.size());
  for (size_t offset = 0; offset < text.size();) {
    const DecodedChar decoded = decode_utf8(text, offset);
    chars.push_back(decoded.code_point);
    offset += decoded.length;
  }
  return chars;
}

/// Reads the members of a class body such as `a-z_` (the text between the
/// brackets, after any `!`). A `-` forms a range only between two
/// characters, so a leading or trailing `-` is a member.
std::vector<GlobToken::Range> class_members(std::u32string_view body) {
  std::vector<GlobToken::Range> ranges;
  size_t i = 0;
  while (i < body.size()) {
    if (i + 3 <= body.size() && body[i + 1] == U'-') {
      ranges.push_back({body[i], body[i + 2]});
      i += 3;
    } else {
      ranges.push_back({body[i], body[i]});
      i += 1;
    }
  }
  return ranges;
}

bool in_class(const std::vector<GlobToken::Range>& ranges, char32_t c) {
  return std::any_of(ranges.begin(), ranges.end(),
                     [c](const GlobToken::Range& r) { return c >= r.first && c <= r.last; });
}

/// Parses a class starting at the `[` at `chars[i]`. On success stores the
/// token and moves `i` past the closing `]`. The first character after `[`
/// or `[!` is always a member, which is how `[]]` and `[!]]` work.
bool parse_class(const std::u32string& chars, size_t& i, std::vector<GlobToken>& tokens) {
  const bool negated = i + 1 < chars.size() && chars[i + 1] == U'!';
  const size_t body_start = negated ? i + 2 : i + 1;
  // The body needs at least one character and a closing bracket after it.
  if (body_start + 2 > chars.size()) return false;
  const size_t close = chars.find(U']', body_start + 1);
  if (close == std::u32string::npos) return false;
  GlobToken token;
  token.kind = negated ? Kind::kAnyExcept : Kind::kAnyWithin;
  token.ranges = class_members(std::u32string_view(chars).substr(body_start, close - body_start));
  tokens.push_back(std::move(token));
  i = close + 1;
  return true;
}

/// Handles a run of `*` starting at `chars[i]`; moves `i` past it (and past
/// the "/" that closes a `**` component).
std::optional<GlobError> parse_stars(const std::u32string& chars, size_t& i,
                                     std::vector<GlobToken>& tokens, bool& is_recursive) {
  const size_t start = i;
  while (i < chars.size() && chars[i] == U'*') ++i;
  const size_t count = i - start;
  if (count > 2) return GlobError{start + 2, std::string(kGlobWildcards)};
  if (count == 1) {
    tokens.push_back({Kind::kAnySequence, 0, {}});
    return std::nullopt;
  }
  // `**` must stand alone between separators (or the ends of the pattern).
  if (start > 0 && chars[start - 1] != U'/') {
    return GlobError{start - 1, std::string(kGlobRecursiveComponent)};
  }
  if (i < chars.size()) {
    if (chars[i] != U'/') return GlobError{i, std::string(kGlobRecursiveComponent)};
    ++i;
  }
  is_recursive = true;
  // `**/**` means the same as `**`.
  if (tokens.empty() || tokens.back().kind != Kind::kAnyRecursive) {
    tokens.push_back({Kind::kAnyRecursive, 0, {}});
  }
  return std::nullopt;
}

enum class MatchResult { kMatch, kSubPatternDoesntMatch, kEntirePatternDoesntMatch };

bool token_accepts(const GlobToken& token, char32_t c) {
  switch (token.kind) {
    case Kind::kChar:
      return c == token.ch;
    case Kind::kAnyChar:
      return c != U'/';
    case Kind::kAnyWithin:
      return c != U'/' && in_class(token.ranges, c);
    case Kind::kAnyExcept:
      return c != U'/' && !in_class(token.ranges, c);
    case Kind::kAnySequence:
    case Kind::kAnyRecursive:
      break;
  }
  return false;
}

/// Backtracking match of `tokens[ti..]` against `text[pos..]`. Running out
/// of text while a token still needs a character means no shorter choice
/// for an earlier `*` can help, so that outcome stops the whole search.
MatchResult match_from(const std::vector<GlobToken>& tokens, size_t ti, std::u32string_view text,
                       size_t pos, bool follows_separator) {
  for (; ti < tokens.size(); ++ti) {
    const GlobToken& token = tokens[ti];
    if (token.kind == Kind::kAnySequence || token.kind == Kind::kAnyRecursive) {
      MatchResult result = match_from(tokens, ti + 1, text, pos, follows_separator);
      if (result != MatchResult::kSubPatternDoesntMatch) return result;
      while (pos < text.size()) {
        follows_separator = text[pos++] == U'/';
        if (token.kind == Kind::kAnyRecursive) {
          // `**` resumes matching only at the start of a component.
          if (!follows_separator) continue;
        } else if (follows_separator) {
          return MatchResult::kSubPatternDoesntMatch;
        }
        result = match_from(tokens, ti + 1, text, pos, follows_separator);
        if (result != MatchResult::kSubPatternDoesntMatch) return result;
      }
      continue;
    }
    if (pos >= text.size()) return MatchResult::kEntirePatternDoesntMatch;
    const char32_t c = text[pos++];
    if (!token_accepts(token, c)) return MatchResult::kSubPatternDoesntMatch;
    follows_separator = c == U'/';
  }
  return pos == text.size() ? MatchResult::kMatch : MatchResult::kSubPatternDoesntMatch;
}

// ---------------------------------------------------------------------------
// The walk.

/// The identity of a directory, which survives symbolic links.
struct DirId {
  dev_t dev = 0;
  ino_t ino = 0;
  bool operator==(const DirId&) const = default;
};

/// The directories read on the way to a candidate, innermost first.
struct Ancestry {
  DirId id;
  std::shared_ptr<const Ancestry> parent;
};

bool ancestry_contains(const Ancestry* node, const DirId& id) {
  for (; node != nullptr; node = node->parent.get()) {
    if (node->id == id) return true;
  }
  return false;
}

/// Marks a candidate that already matched the last component.
constexpr size_t kMatched = static_cast<size_t>(-1);

/// A path waiting to be tested against component `index`.
struct Candidate {
  std::string path;
  std::string name;  ///< the last component, for entries read from a directory
  bool is_dir = false;
  size_t index = 0;
  std::shared_ptr<const Ancestry> ancestry;
};

bool is_directory(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

/// Whether `path` exists, counting a dangling symbolic link as existing.
bool exists_or_link(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 || ::lstat(path.c_str(), &st) == 0;
}

/// Whether `path` names the current directory as a whole (".", "./", "./.").
/// Children of it are then written as bare names.
bool is_current_dir(std::string_view path) {
  if (path.empty() || path.front() != '.') return false;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string_view::npos) end = path.size();
    const std::string_view part = path.substr(start, end - start);
    if (!part.empty() && part != ".") return false;
    start = end + 1;
  }
  return true;
}

/// Appends `name` to `base` with one separator between them.
std::string join_path(std::string_view base, std::string_view name) {
  std::string out(base);
  if (!out.empty() && out.back() != '/') out.push_back('/');
  out.append(name);
  return out;
}

std::string child_path(std::string_view base, std::string_view name) {
  return is_current_dir(base) ? std::string(name) : join_path(base, name);
}

struct DirEntry {
  std::string name;
  bool is_dir = false;
};

/// The entries of directory `path` other than "." and "..", or nothing when
/// it cannot be read. A symbolic link counts as a directory when its target
/// is one.
std::optional<std::vector<DirEntry>> read_directory(const std::string& path) {
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return std::nullopt;
  std::vector<DirEntry> entries;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    DirEntry out{std::string(name), entry->d_type == DT_DIR};
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      out.is_dir = is_directory(join_path(path, name));
    }
    entries.push_back(std::move(out));
  }
  ::closedir(dir);
  return entries;
}

class GlobWalker {
 public:
  GlobWalker(std::vector<GlobPattern> components, bool require_dir)
      : components_(std::move(components)), require_dir_(require_dir) {}

  std::vector<std::filesystem::path> run(const std::string& scope);

 private:
  void fill(size_t index, const Candidate& parent, bool descending);
  void fill_literal(size_t index, const Candidate& parent);
  void add(size_t index, Candidate next);
  void step(Candidate candidate);
  void emit(const std::string& path) { found_.emplace_back(path); }

  std::vector<GlobPattern> components_;
  bool require_dir_ = false;
  std::vector<Candidate> todo_;
  std::vector<std::filesystem::path> found_;
};

std::vector<std::filesystem::path> GlobWalker::run(const std::string& scope) {
  fill(0, Candidate{scope, {}, is_directory(scope), 0, nullptr}, false);
  while (!todo_.empty()) {
    Candidate candidate = std::move(todo_.back());
    todo_.pop_back();
    step(std::move(candidate));
  }
  return std::move(found_);
}

/// Tests one candidate taken off the stack against its component.
void GlobWalker::step(Candidate candidate) {
  const size_t last = components_.size() - 1;
  if (candidate.index == kMatched) {
    if (!require_dir_ || candidate.is_dir) emit(candidate.path);
    return;
  }
  size_t index = candidate.index;
  if (components_[index].is_recursive()) {
    size_t next = index;
    while (next + 1 < components_.size() && components_[next + 1].is_recursive()) ++next;
    if (candidate.is_dir) {
      // The directory's entries go on matching `**`; the directory itself
      // also tries the component after it, or is a match when none is left.
      fill(next, candidate, true);
      if (next == last) {
        emit(candidate.path);
        return;
      }
    } else if (next == last) {
      return;
    }
    index = next + 1;
  }
  // Names that are not UTF-8 cannot be compared with a text pattern.
  if (!valid_utf8(candidate.name)) return;
  if (!components_[index].matches(candidate.name)) return;
  if (index == last) {
    if (!require_dir_ || candidate.is_dir) emit(candidate.path);
    return;
  }
  fill(index + 1, candidate, false);
}

/// Queues what lies under `parent` for component `index`. `descending` is
/// set when `**` enters a directory; that is the only step that can repeat
/// without bound, so only there is a directory already on the way refused.
void GlobWalker::fill(size_t index, const Candidate& parent, bool descending) {
  const GlobPattern& component = components_[index];
  if (!component.has_wildcards()) {
    fill_literal(index, parent);
    return;
  }
  if (!parent.is_dir) return;
  struct stat st {};
  if (::stat(parent.path.c_str(), &st) != 0) return;
  const DirId id{st.st_dev, st.st_ino};
  if (descending && ancestry_contains(parent.ancestry.get(), id)) return;
  std::optional<std::vector<DirEntry>> entries = read_directory(parent.path);
  if (!entries) return;

  auto ancestry = std::make_shared<const Ancestry>(Ancestry{id, parent.ancestry});
  std::sort(entries->begin(), entries->end(),
            [](const DirEntry& a, const DirEntry& b) { return a.name > b.name; });
  for (DirEntry& entry : *entries) {
    std::string path = child_path(parent.path, entry.name);
    todo_.push_back(
        Candidate{std::move(path), std::move(entry.name), entry.is_dir, index, ancestry});
  }
  // "." and ".." are never listed, so a component that starts with a
  // literal "." gets to match them by name.
  const auto& tokens = component.tokens();
  if (tokens.empty() || tokens.front().kind != Kind::kChar || tokens.front().ch != U'.') return;
  for (const std::string_view special : {".", ".."}) {
    if (!component.matches(special)) continue;
    std::string path = join_path(parent.path, special);
    const bool is_dir = is_directory(path);
    add(index, Candidate{std::move(path), std::string(special), is_dir, index, ancestry});
  }
}

/// A component without wildcards names one path: test that it exists
/// instead of reading the directory.
void GlobWalker::fill_literal(size_t index, const Candidate& parent) {
  const std::string& name = components_[index].text();
  const bool special = name == "." || name == "..";
  std::string path = child_path(parent.path, name);
  if (special ? !parent.is_dir : !exists_or_link(path)) return;
  const bool is_dir = is_directory(path);
  add(index, Candidate{std::move(path), name, is_dir, index, parent.ancestry});
}

/// `next` matched component `index`: queue it as a result, or go on with
/// the following component.
void GlobWalker::add(size_t index, Candidate next) {
  if (index + 1 == components_.size()) {
    next.index = kMatched;
    todo_.push_back(std::move(next));
    return;
  }
  fill(index + 1, next, false);
}

/// The character index at which byte `offset` of valid UTF-8 `text` lies.
size_t char_index(std::string_view text, size_t offset) {
  size_t index = 0;
  for (size_t i = 0; i < offset; ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++index;
  }
  return index;
}

/// Splits the part of `text` after the root at "/"; a single empty piece at
/// the end (from a trailing "/") is dropped. Each piece comes with its byte
/// offset.
std::vector<std::pair<std::string_view, size_t>> split_components(std::string_view text,
                                                                  size_t start) {
  std::vector<std::pair<std::string_view, size_t>> pieces;
  while (true) {
    size_t end = text.find('/', start);
    if (end == std::string_view::npos) end = text.size();
    pieces.emplace_back(text.substr(start, end - start), start);
    if (end == text.size()) break;
    start = end + 1;
  }
  if (pieces.back().first.empty()) pieces.pop_back();
  return pieces;
}

}  // namespace

std::string GlobError::to_string() const {
  return "Pattern syntax error near position " + std::to_string(position) + ": " + reason;
}

Result<GlobPattern, GlobError> GlobPattern::compile(std::string_view pattern) {
  const std::u32string chars = decode_lossy(pattern);
  GlobPattern compiled;
  compiled.text_ = lossy_utf8(pattern);
  std::vector<GlobToken>& tokens = compiled.tokens_;
  size_t i = 0;
  while (i < chars.size()) {
    const char32_t c = chars[i];
    if (c == U'?') {
      compiled.has_wildcards_ = true;
      tokens.push_back({Kind::kAnyChar, 0, {}});
      ++i;
    } else if (c == U'*') {
      compiled.has_wildcards_ = true;
      if (auto error = parse_stars(chars, i, tokens, compiled.is_recursive_)) {
        return err(std::move(*error));
      }
    } else if (c == U'[') {
      compiled.has_wildcards_ = true;
      if (!parse_class(chars, i, tokens)) return err(GlobError{i, std::string(kGlobInvalidRange)});
    } else {
      tokens.push_back({Kind::kChar, c, {}});
      ++i;
    }
  }
  return compiled;
}

bool GlobPattern::matches(std::string_view path) const {
  const std::u32string chars = decode_lossy(path);
  return match_from(tokens_, 0, chars, 0, true) == MatchResult::kMatch;
}

Result<std::vector<std::filesystem::path>, GlobError> glob(std::string_view pattern) {
  const std::string text = lossy_utf8(pattern);
  if (auto whole = GlobPattern::compile(text); !whole) return err(std::move(whole.error()));

  const size_t root_len = !text.empty() && text.front() == '/' ? 1 : 0;
  std::vector<GlobPattern> components;
  if (root_len == text.size()) {
    // "" or "/": one empty component, which names the scope itself.
    components.push_back(GlobPattern::compile("").value());
  } else {
    for (const auto& [piece, offset] : split_components(text, root_len)) {
      auto component = GlobPattern::compile(piece);
      if (!component) {
        // Only a class that spans a "/" (such as "[/]") fails here; report
        // the position within the whole pattern.
        GlobError error = std::move(component.error());
        error.position += char_index(text, offset);
        return err(std::move(error));
      }
      components.push_back(std::move(component.value()));
    }
  }
  const bool require_dir = !text.empty() && text.back() == '/';
  GlobWalker walker(std::move(components), require_dir);
  return walker.run(root_len > 0 ? "/" : ".");
}

Result<std::vector<std::filesystem::path>, GlobError> glob_joined(const std::filesystem::path& root,
                                                                  std::string_view pattern) {
  // `/` replaces the root when the pattern is absolute and adds a separator
  // only where one is missing, as a path join should.
  return glob((root / std::filesystem::path(std::string(pattern))).native());
}

}  // namespace vantrel::base
