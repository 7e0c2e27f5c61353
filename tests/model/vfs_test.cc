// File providers: the disk's failure cases, path comparison in memory, shared
// texts that outlive their entry, and the overlay's fallback to its base.
#include "model/vfs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace vantrel::model {
namespace {

namespace fs = std::filesystem;

/// A fresh directory under the system's temporary directory, removed at the end.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "vantrel-vfs-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? fs::path(pattern) : fs::path();
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }
  fs::path write(const std::string& name, std::string_view bytes) const {
    fs::path file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
  }

 private:
  fs::path path_;
};

TEST(DiskFileProviderTest, ReadsValidUtf8AndRefusesEverythingElse) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  DiskFileProvider disk;

  fs::path good = dir.write("good.rs", "fn main() {} // é 😀\n");
  ASSERT_TRUE(disk.read(good));
  EXPECT_EQ(*disk.read(good), "fn main() {} // é 😀\n");
  EXPECT_TRUE(disk.exists(good));

  fs::path empty = dir.write("empty.rs", "");
  ASSERT_TRUE(disk.read(empty));
  EXPECT_EQ(*disk.read(empty), "");

  const std::string_view invalid[] = {
      "\xff",              // never a UTF-8 byte
      "ab\xc3",            // cut off
      "\xc0\xaf",          // overlong "/"
      "\xed\xa0\x80",      // a surrogate
      "\xf4\x90\x80\x80",  // above U+10FFFF
      "\x80",              // a lone continuation byte
  };
  for (std::string_view bytes : invalid) {
    fs::path bad = dir.write("bad.rs", bytes);
    EXPECT_EQ(disk.read(bad), nullptr) << testing::PrintToString(std::string(bytes));
    EXPECT_TRUE(disk.exists(bad));  // it is a file, only not text
  }

  EXPECT_EQ(disk.read(dir.path()), nullptr);
  EXPECT_FALSE(disk.exists(dir.path()));
  EXPECT_EQ(disk.read(dir.path() / "missing.rs"), nullptr);
  EXPECT_FALSE(disk.exists(dir.path() / "missing.rs"));

  // A FIFO is not a file to read, and reading must not wait for a writer.
  fs::path fifo = dir.path() / "pipe.rs";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(disk.read(fifo), nullptr);

  // Larger than any single read.
  std::string big(300000, 'x');
  big += "\u00e9";
  ASSERT_TRUE(disk.read(dir.write("big.rs", big)));
  EXPECT_EQ(*disk.read(dir.path() / "big.rs"), big);
}

TEST(DiskFileProviderTest, FollowsSymbolicLinks) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  DiskFileProvider disk;
  fs::path target = dir.write("target.rs", "x");
  fs::create_symlink(target, dir.path() / "link.rs");
  fs::create_symlink(dir.path() / "nowhere.rs", dir.path() / "dangling.rs");
  fs::create_directory(dir.path() / "sub");
  fs::create_symlink(dir.path() / "sub", dir.path() / "dirlink");

  EXPECT_TRUE(disk.exists(dir.path() / "link.rs"));
  ASSERT_TRUE(disk.read(dir.path() / "link.rs"));
  EXPECT_EQ(*disk.read(dir.path() / "link.rs"), "x");
  EXPECT_FALSE(disk.exists(dir.path() / "dangling.rs"));
  EXPECT_EQ(disk.read(dir.path() / "dangling.rs"), nullptr);
  EXPECT_FALSE(disk.exists(dir.path() / "dirlink"));
  EXPECT_EQ(disk.read(dir.path() / "dirlink"), nullptr);
}

TEST(MemoryFileProviderTest, PathsCompareByComponents) {
  struct Case {
    const char* stored;
    const char* asked;
    bool same;
  };
  const Case cases[] = {
      {"/ws/src/lib.rs", "/ws/src/lib.rs", true},
      {"/ws/src/lib.rs", "/ws//src///lib.rs", true},
      {"/ws/src/lib.rs", "/ws/./src/./lib.rs", true},
      {"/ws/src", "/ws/src/", true},
      {"src/lib.rs", "src/./lib.rs", true},
      {"/ws/src/lib.rs", "/ws/src/../src/lib.rs", false},  // ".." is not resolved
      {"/ws/src/lib.rs", "ws/src/lib.rs", false},          // relative is not absolute
      {"./src/lib.rs", "src/lib.rs", false},               // a leading "." is a component
      {"/ws/src/lib.rs", "/ws/src/Lib.rs", false},
      {"/ws/a/b", "/ws/a.b", false},
  };
  for (const Case& c : cases) {
    MemoryFileProvider memory;
    memory.insert(c.stored, "text");
    EXPECT_EQ(memory.exists(c.asked), c.same) << c.stored << " vs " << c.asked;
    EXPECT_EQ(memory.read(c.asked) != nullptr, c.same) << c.stored << " vs " << c.asked;
  }
}

TEST(MemoryFileProviderTest, SharedTextSurvivesReplaceAndRemove) {
  MemoryFileProvider memory;
  EXPECT_TRUE(memory.empty());
  memory.insert("/ws/a.rs", "first");
  SharedText held = memory.read("/ws/a.rs");
  memory.insert("/ws//a.rs", "second");  // the same path, spelled differently
  ASSERT_TRUE(held);
  EXPECT_EQ(*held, "first");
  EXPECT_EQ(*memory.read("/ws/a.rs"), "second");
  SharedText second = memory.read("/ws/a.rs");
  memory.remove("/ws/./a.rs");
  EXPECT_EQ(memory.read("/ws/a.rs"), nullptr);
  EXPECT_FALSE(memory.exists("/ws/a.rs"));
  EXPECT_EQ(*second, "second");
  EXPECT_TRUE(memory.empty());
  memory.remove("/ws/a.rs");  // removing a missing path does nothing
  EXPECT_TRUE(memory.empty());
}

TEST(OverlayFileProviderTest, OverlayFirstThenBase) {
  TempDir dir;
  ASSERT_FALSE(dir.path().empty());
  DiskFileProvider disk;
  MemoryFileProvider buffers;
  OverlayFileProvider overlay(disk, buffers);
  fs::path on_disk = dir.write("lib.rs", "saved");
  fs::path unsaved = dir.path() / "new.rs";

  // Empty overlay: the disk answers.
  EXPECT_EQ(*overlay.read(on_disk), "saved");
  EXPECT_FALSE(overlay.exists(unsaved));

  buffers.insert(on_disk, "edited");
  buffers.insert(unsaved, "fresh");
  EXPECT_EQ(*overlay.read(on_disk), "edited");
  EXPECT_TRUE(overlay.exists(unsaved));
  EXPECT_EQ(*overlay.read(unsaved), "fresh");

  // Removing the entries falls back to the disk.
  buffers.remove(on_disk);
  buffers.remove(unsaved);
  EXPECT_EQ(*overlay.read(on_disk), "saved");
  EXPECT_FALSE(overlay.exists(unsaved));
  EXPECT_EQ(overlay.read(unsaved), nullptr);
}

TEST(OverlayFileProviderTest, OverlayOverMemoryBase) {
  MemoryFileProvider base;
  MemoryFileProvider buffers;
  base.insert("/ws/a.rs", "base");
  OverlayFileProvider overlay(base, buffers);
  buffers.insert("/ws/b.rs", "other");
  EXPECT_EQ(*overlay.read("/ws/a.rs"), "base");  // overlay holds another path only
  EXPECT_TRUE(overlay.exists("/ws/a.rs"));
  EXPECT_FALSE(overlay.exists("/ws/c.rs"));
}

}  // namespace
}  // namespace vantrel::model
