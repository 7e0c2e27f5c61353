// Reading a whole regular file into memory with plain POSIX calls: one open,
// one fstat and the reads. Every source file of a run and every generated
// file a run compares against is read this way; stream wrappers cost several
// more system calls and per-character work.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace vantrel::base {

/// The bytes of `path`, or nothing when it is not a regular file (a FIFO is
/// refused without waiting for a writer) or cannot be read. The size the
/// file reports is only a hint: a file that grows while it is read is still
/// read to its end.
std::optional<std::string> read_file(const std::filesystem::path& path);

}  // namespace vantrel::base
