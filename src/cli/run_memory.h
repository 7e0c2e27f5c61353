// What the drivers build and leave to their caller to free: the parsed
// sources, the extractions and the generated packages. A one-shot command
// keeps it until the process ends, because freeing tens of megabytes piece
// by piece is a visible share of a short run and the system takes the memory
// back at exit in one go; the watch loop frees it after every round.
#pragma once

#include <memory>
#include <vector>

#include "engine/extract/extract.h"
#include "engine/extract/modules.h"
#include "engine/gen/package.h"

namespace vantrel::cli {

struct RunMemory {
  engine::extract::ParsedFiles parsed;
  std::vector<std::unique_ptr<engine::extract::Extraction>> extractions;
  std::vector<std::unique_ptr<engine::gen::GenResult>> packages;

  /// Keeps `extraction` (moved in) alive with the rest.
  void keep(engine::extract::Extraction&& extraction) {
    extractions.push_back(std::make_unique<engine::extract::Extraction>(std::move(extraction)));
  }
  /// Keeps `package` (moved in) alive with the rest.
  void keep(engine::gen::GenResult&& package) {
    packages.push_back(std::make_unique<engine::gen::GenResult>(std::move(package)));
  }
};

}  // namespace vantrel::cli
