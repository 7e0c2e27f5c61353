// A small in-memory workspace for lowering tests: crates of files held by a
// MemoryFileProvider, walked into one module map, with a Lowering over it and
// compact text forms of type expressions and diagnostics for assertions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "engine/extract/lower_types.h"
#include "engine/extract/modules.h"
#include "engine/extract/resolve.h"
#include "model/vfs.h"

namespace vantrel::engine::extract::testing {

/// "List(Option(Named(User)))", "Map(String,I32)", "External(Uuid)", ...
inline std::string describe(const model::TypeExpr& expr) {
  struct Visitor {
    std::string operator()(model::Primitive p) const { return std::string(model::primitive_name(p)); }
    std::string operator()(const model::TypeExpr::Named& n) const { return "Named(" + n.name + ")"; }
    std::string operator()(const model::TypeExpr::Option& o) const { return "Option(" + describe(*o.inner) + ")"; }
    std::string operator()(const model::TypeExpr::List& l) const { return "List(" + describe(*l.inner) + ")"; }
    std::string operator()(const model::TypeExpr::Map& m) const {
      return "Map(" + describe(*m.key) + "," + describe(*m.value) + ")";
    }
    std::string operator()(model::ExternalType e) const {
      return "External(" + std::string(model::external_type_name(e)) + ")";
    }
  };
  return std::visit(Visitor{}, expr.value);
}

/// "severity[code] message" (no place).
inline std::string describe(const model::Diagnostic& d) {
  return std::string(model::severity_name(d.severity)) + "[" + std::string(d.code) + "] " + d.message;
}

inline std::vector<std::string> describe(const std::vector<model::Diagnostic>& diagnostics) {
  std::vector<std::string> out;
  for (const model::Diagnostic& d : diagnostics) out.push_back(describe(d));
  return out;
}

/// Crates in memory. Files are added under "{crate}/{path}"; the workspace
/// root is "", so display paths read "{crate}/src/lib.rs".
class MemoryCrates {
 public:
  void add_crate(const std::string& crate, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [path, text] : files) provider_.insert(crate + "/" + path, text);
    packages_.push_back(Package{crate, crate, crate, crate + "/src/lib.rs", {}});
    crates_.push_back(crate);
  }

  /// Walks every crate and builds the lowering; walk diagnostics are kept.
  Lowering& lowering() {
    if (!lowering_) {
      std::vector<model::Diagnostic> diagnostics;
      for (const Package& package : packages_) map_.walk_package("", package, provider_, diagnostics);
      lowering_ = std::make_unique<Lowering>(Resolver(crates_, map_), std::move(diagnostics));
    }
    return *lowering_;
  }

  /// The source text a span covers.
  std::string text_at(const model::Span& span) const {
    model::SharedText text = provider_.read(span.file);
    if (!text || span.end > text->size() || span.start > span.end) return "<bad span>";
    return text->substr(span.start, span.end - span.start);
  }

  const ModuleMap& map() const { return map_; }

 private:
  model::MemoryFileProvider provider_;
  std::vector<Package> packages_;
  std::vector<std::string> crates_;
  ModuleMap map_;
  std::unique_ptr<Lowering> lowering_;
};

}  // namespace vantrel::engine::extract::testing
