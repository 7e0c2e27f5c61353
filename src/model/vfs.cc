// The three file providers. The disk provider turns every failure into "no
// text" because callers report missing files in their own words; the memory
// provider hands out shared immutable strings so a reader's text survives a
// later replace or remove; the overlay asks its memory texts first.
#include "model/vfs.h"

#include <algorithm>
#include <string_view>
#include <system_error>

#include "base/read_file.h"
#include "base/utf8.h"

namespace vantrel::model {
namespace {

/// The form in which memory paths are compared: components joined by "/",
/// with a leading "/" for an absolute path. Empty components (repeated or
/// trailing separators) and "." components after the first are dropped; a
/// leading "." stays, so "./a" and "a" remain different paths.
std::string path_key(const std::filesystem::path& path) {
  std::string_view text = path.native();
  bool absolute = !text.empty() && text.front() == '/';
  std::string key = absolute ? "/" : "";
  bool empty = true;
  size_t pos = 0;
  for (size_t index = 0; pos <= text.size(); ++index) {
    size_t slash = std::min(text.find('/', pos), text.size());
    std::string_view component = text.substr(pos, slash - pos);
    pos = slash + 1;
    bool leading_dot = index == 0 && !absolute;
    if (component.empty() || (component == "." && !leading_dot)) continue;
    if (!empty) key += '/';
    key += component;
    empty = false;
  }
  return key;
}

}  // namespace

SharedText DiskFileProvider::read(const std::filesystem::path& path) const {
  std::optional<std::string> text = base::read_file(path);
  if (!text || !base::valid_utf8(*text)) return nullptr;
  return std::make_shared<const std::string>(std::move(*text));
}

bool DiskFileProvider::exists(const std::filesystem::path& path) const {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

SharedText MemoryFileProvider::read(const std::filesystem::path& path) const {
  auto it = texts_.find(path_key(path));
  return it == texts_.end() ? nullptr : it->second;
}

bool MemoryFileProvider::exists(const std::filesystem::path& path) const {
  return texts_.count(path_key(path)) != 0;
}

void MemoryFileProvider::insert(const std::filesystem::path& path, std::string text) {
  texts_[path_key(path)] = std::make_shared<const std::string>(std::move(text));
}

void MemoryFileProvider::remove(const std::filesystem::path& path) { texts_.erase(path_key(path)); }

SharedText OverlayFileProvider::read(const std::filesystem::path& path) const {
  if (!overlay_.empty()) {
    if (SharedText text = overlay_.read(path)) return text;
  }
  return base_.read(path);
}

bool OverlayFileProvider::exists(const std::filesystem::path& path) const {
  if (!overlay_.empty() && overlay_.exists(path)) return true;
  return base_.exists(path);
}

}  // namespace vantrel::model
