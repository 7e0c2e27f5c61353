// The three file providers. The disk provider turns every failure into "no
// text" because callers report missing files in their own words; the memory
// provider hands out shared immutable strings so a reader's text survives a
// later replace or remove; the overlay asks its memory texts first.
#include "model/vfs.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string_view>
#include <system_error>

namespace vantrel::model {
namespace {

bool is_cont(unsigned char byte) { return (byte & 0xC0) == 0x80; }

/// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool is_valid_utf8(std::string_view text) {
  size_t i = 0;
  const size_t n = text.size();
  auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  while (i < n) {
    unsigned char lead = at(i);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    size_t len = 0;
    unsigned char lo = 0x80;  // allowed range of the second byte
    unsigned char hi = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      len = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      len = 3;
      if (lead == 0xE0) lo = 0xA0;  // overlong
      if (lead == 0xED) hi = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      len = 4;
      if (lead == 0xF0) lo = 0x90;  // overlong
      if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (n - i < len) return false;
    if (at(i + 1) < lo || at(i + 1) > hi) return false;
    for (size_t k = 2; k < len; ++k) {
      if (!is_cont(at(i + k))) return false;
    }
    i += len;
  }
  return true;
}

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
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return nullptr;
  std::ifstream in(path, std::ios::binary);
  if (!in) return nullptr;
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || !is_valid_utf8(text)) return nullptr;
  return std::make_shared<const std::string>(std::move(text));
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
