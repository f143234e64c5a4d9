#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// show EXPORT: loads the export as the program does and prints the title values and both tables,
// every field under its name, as one JSON object.
int runShow(CliContext& context);

}  // namespace tervalo::cli
