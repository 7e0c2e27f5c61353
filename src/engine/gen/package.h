// The generator's entry point: one contract in, the fixed file set of one
// TypeScript package out (schemas.ts, errors.ts, client.ts, one file per
// endpoint module, index.ts, package.json, tsconfig.json), and the writing of
// such a package to disk, touching only files whose text changed.
//
// Endpoint items come from client lowering: `lower` calls
// `Lowering::endpoint_items` (defined in engine/gen/client.cc) once per
// endpoint, module by module.
//
// Generation also comes in three parts that share nothing but the contract,
// so that a caller can spread them over two threads: the first types of
// schemas.ts, the remaining types, and every other file. The types are split
// so that the first part takes about as long as the other two together.
// Merging the parts gives exactly what `generate` gives.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"
#include "engine/gen/lowering.h"
#include "model/diag.h"
#include "model/ir.h"

namespace vantrel::engine::gen {

/// What the driver knows that the contract does not.
struct GenOptions {
  std::vector<std::string> app_src;         ///< glob patterns of the app's sources, relative to the root
  std::optional<std::string> package_dir;   ///< the package directory relative to the root
};

/// A generated package and the generator's own diagnostics.
struct GenResult {
  GeneratedPackage package;
  std::vector<model::Diagnostic> diagnostics;
};

/// Lowers and prints the whole contract. Pure: equal inputs give
/// byte-identical files. Callers must not write a package whose diagnostics
/// hold an error.
GenResult generate(const model::Contract& contract, const GenOptions& options);

/// Builds all files in generation order (what `generate` runs).
GenResult lower(const model::Contract& contract, const GenOptions& options);

/// The independent parts of generation.
enum class GenPart {
  SchemasHead,  ///< schemas.ts up to the split: header, import, first types
  SchemasTail,  ///< the text of the remaining types, to follow the head
  Rest,         ///< every other file, in generation order
};

/// Lowers and prints one part. Pure, like `generate`.
GenResult generate_part(const model::Contract& contract, const GenOptions& options, GenPart part);

/// The whole package from its parts: schemas.ts is the head's text followed
/// by the tail's (whose marks move along with it), then the other files;
/// marks and diagnostics in the same order.
GenResult merge_parts(GenResult head, GenResult tail, GenResult rest);

/// The text of tsconfig.json for a package.
std::string tsconfig_json(const std::string& ts_package, const GenOptions& options);

/// The text of package.json for a package.
std::string package_json(const std::string& ts_package);

/// Writes the package below `dir`: files whose text is unchanged are left
/// alone, changed ones are replaced atomically (temporary file in the same
/// directory, then rename), and stale ".ts" files below `dir` are deleted
/// (symbolic links to directories are not followed). Returns whether
/// anything was written or deleted, or the first failure:
/// "failed to create {parent}: {error}" / "failed to write {path}: {error}".
/// Replaces `path` with `contents` through a temporary file in the same
/// directory and a rename. The failure is the system's error text.
base::Result<base::Unit, std::string> replace_file(const std::filesystem::path& path, std::string_view contents);

base::Result<bool, std::string> write_package(const std::filesystem::path& dir, const GeneratedPackage& package);

}  // namespace vantrel::engine::gen
