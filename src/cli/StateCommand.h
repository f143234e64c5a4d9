#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// state address ADDRESS [--export 0|1] [--note TEXT] [--mark-sent]
// state document NUMBER [--export 0|1] [--note TEXT]
// Reads or stores the user's state of one address or document and prints the record as JSON.
int runState(CliContext& context);

}  // namespace tervalo::cli
