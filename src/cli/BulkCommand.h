#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// bulk EXPORT [--only-with-email] [--test ADDRESS] [--count N]: the bulk run of the dialog's
// "Provést", or with --test a confirmed test run (N debtors, 5 by default). Prints the protocol
// lines of the run. 0 when the run went through the debtors, 3 when it stopped before the first one.
int runBulk(CliContext& context);

}  // namespace tervalo::cli
