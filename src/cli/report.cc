#include "cli/report.h"

#include <map>
#include <ostream>

#include "model/vfs.h"

namespace vantrel::cli {

bool report(const std::filesystem::path& root, const std::vector<model::Diagnostic>& diagnostics,
            std::ostream& err) {
  model::DiskFileProvider disk;
  // A file with many diagnostics is read once per call, not once per line.
  std::map<std::string, model::SharedText> texts;
  bool had_error = false;
  for (const model::Diagnostic& d : diagnostics) {
    std::optional<std::string_view> source;
    if (d.span) {
      auto [it, inserted] = texts.try_emplace(d.span->file);
      if (inserted) it->second = disk.read(root / d.span->file);
      if (it->second) source = std::string_view(*it->second);
    }
    err << d.render(source) << "\n";
    had_error = had_error || d.severity == model::Severity::Error;
  }
  err.flush();
  return had_error;
}

}  // namespace vantrel::cli
