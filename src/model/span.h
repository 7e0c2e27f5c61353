// Span: a byte range of a source file, named by its display path (relative to
// the workspace root, "/"-separated). Carried by diagnostics, contract
// declarations and everything the language server navigates.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::model {

struct Span {
  std::string file;
  uint32_t start = 0;  ///< offset of the first byte
  uint32_t end = 0;    ///< offset just past the last byte

  bool operator==(const Span&) const = default;
};

}  // namespace vantrel::model
