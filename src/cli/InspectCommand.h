#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// inspect EXPORT: reads the export as the program loads it and prints the separator, LastRow,
// LastCol and the cells as one JSON object.
int runInspect(CliContext& context);

}  // namespace tervalo::cli
