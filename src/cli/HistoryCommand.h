#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// history [--address ADDRESS] [--since YYYY-MM-DD]
// Prints the send journal's records, newest first, one JSON object a line: to ADDRESS (as recipient
// or copy) and from the day given on, when given.
int runHistory(CliContext& context);

}  // namespace tervalo::cli
