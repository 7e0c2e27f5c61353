#include "cli/run_check.h"

#include "cli/load_workspace.h"

namespace vantrel::cli {

base::Result<bool, std::string> run_check(const std::filesystem::path& root, bool /*unused*/, std::ostream& /*out*/,
                                          std::ostream& err) {
  auto loaded = load_workspace(root, err);
  if (!loaded) return base::err(std::move(loaded).error());
  return base::err(std::string("check is not available in this build yet"));
}

}  // namespace vantrel::cli
