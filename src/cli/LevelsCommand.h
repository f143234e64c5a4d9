#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// levels EXPORT: loads the export and prints one JSON object per debtor of the debtor list,
// {"debtor": ID, "address": ..., "level": N | null, "name": the level's name | null,
// "next_possible": "YYYY-MM-DD" | null, "reason": ...}: the reminder level he would get today from
// the send journal, or none with the first day one is due.
int runLevels(CliContext& context);

}  // namespace tervalo::cli
