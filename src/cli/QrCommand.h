#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// qr EXPORT --debtor ID [--png-dir DIR]: the payment codes the debtor's reminder carries, as a JSON
// array of {"spayd", "amount", "currency", "vs", "documents"}, and their images written into DIR.
// An empty array, with the reason as information, when the debtor gets none.
int runQr(CliContext& context);

}  // namespace tervalo::cli
