#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// remind EXPORT --debtor ID: the single reminder to that debtor, as the window's command sends it.
int runRemind(CliContext& context);

}  // namespace tervalo::cli
