#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// render EXPORT --debtor ID [--to ADDRESS]: prints the message a bulk run by SMTP would send to
// the debtor (or to ADDRESS), line for line with CR LF, as it would travel.
int runRender(CliContext& context);

}  // namespace tervalo::cli
