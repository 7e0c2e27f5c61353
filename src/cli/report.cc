#include "cli/report.h"

#include <ostream>

#include "model/vfs.h"

namespace vantrel::cli {

bool report(const std::filesystem::path& root, const std::vector<model::Diagnostic>& diagnostics,
            std::ostream& err) {
  model::DiskFileProvider disk;
  bool had_error = false;
  for (const model::Diagnostic& d : diagnostics) {
    model::SharedText text;
    if (d.span) text = disk.read(root / d.span->file);
    std::optional<std::string_view> source;
    if (text) source = std::string_view(*text);
    err << d.render(source) << "\n";
    had_error = had_error || d.severity == model::Severity::Error;
  }
  err.flush();
  return had_error;
}

}  // namespace vantrel::cli
