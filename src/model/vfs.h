// FileProvider: the one way configuration loading, discovery and extraction
// read files, so the same code reads the disk on the command line and the disk
// overlaid with unsaved editor buffers in the language server.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace vantrel::model {

/// Immutable shared text: readers may keep it after the provider's entry is
/// replaced or removed.
using SharedText = std::shared_ptr<const std::string>;

class FileProvider {
 public:
  virtual ~FileProvider() = default;
  /// The whole file as UTF-8 text, or null when it cannot be read.
  virtual SharedText read(const std::filesystem::path& path) const = 0;
  /// True for an existing regular file (symbolic links followed).
  virtual bool exists(const std::filesystem::path& path) const = 0;
};

/// Reads the real file system. A missing file, a directory, a permission
/// problem or invalid UTF-8 all read as null.
class DiskFileProvider final : public FileProvider {
 public:
  SharedText read(const std::filesystem::path& path) const override;
  bool exists(const std::filesystem::path& path) const override;
};

/// Texts held in memory, keyed by path compared component by component
/// (repeated separators and interior "." components do not matter).
class MemoryFileProvider final : public FileProvider {
 public:
  SharedText read(const std::filesystem::path& path) const override;
  bool exists(const std::filesystem::path& path) const override;
  void insert(const std::filesystem::path& path, std::string text);
  void remove(const std::filesystem::path& path);
  bool empty() const { return texts_.empty(); }

 private:
  std::map<std::string, SharedText> texts_;  // keyed by the path's key form
};

/// The overlay's texts in front of a base provider. Borrows both.
class OverlayFileProvider final : public FileProvider {
 public:
  OverlayFileProvider(const FileProvider& base, const MemoryFileProvider& overlay)
      : base_(base), overlay_(overlay) {}
  SharedText read(const std::filesystem::path& path) const override;
  bool exists(const std::filesystem::path& path) const override;

 private:
  const FileProvider& base_;
  const MemoryFileProvider& overlay_;
};

}  // namespace vantrel::model
