// Test helpers: parse a Rust snippet through rustsyn and find the byte range
// of a piece of it, so that expected error ranges are written as text.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "rustsyn/items.h"
#include "rustsyn/source_file.h"

namespace vantrel::syntax::testing {

/// A parsed snippet; `items` keep the file alive.
struct Snippet {
  std::string text;
  std::shared_ptr<const rustsyn::SourceFile> file;
  std::vector<rustsyn::Item> items;

  explicit Snippet(std::string source) : text(std::move(source)) {
    file = rustsyn::SourceFile::parse(text);
    items = rustsyn::items_of(file->root());
    EXPECT_FALSE(file->error().has_value()) << "snippet does not parse: " << text;
  }

  const rustsyn::Item& item(size_t i = 0) const { return items.at(i); }

  /// The range of the `nth` occurrence of `needle` in the snippet.
  rustsyn::Range range_of(std::string_view needle, size_t nth = 0) const {
    size_t at = text.find(needle);
    for (size_t i = 0; i < nth && at != std::string::npos; ++i) at = text.find(needle, at + 1);
    EXPECT_NE(at, std::string::npos) << "no " << needle << " in " << text;
    if (at == std::string::npos) return {};
    return rustsyn::Range{static_cast<uint32_t>(at), static_cast<uint32_t>(at + needle.size())};
  }

  /// The type of `type T = ...;` item `i`.
  rustsyn::Type alias_type(size_t i = 0) const { return *rustsyn::TypeAliasItem(item(i).node()).ty(); }
};

}  // namespace vantrel::syntax::testing
