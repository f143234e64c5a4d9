#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// interest EXPORT --debtor ID: the debtor's late-payment interest as of the export's date, as
// {"debtor", "documents": [{"number", "due", "days", "remaining", "currency", "rate", "interest"}],
// "totals": {CURRENCY: interest}, "compensation"}: its included invoices past due with something
// left to pay ("due" as YYYY-MM-DD; "rate" null and "interest" 0 when the half-year has no rate).
int runInterest(CliContext& context);

}  // namespace tervalo::cli
