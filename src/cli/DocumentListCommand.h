#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// document-list EXPORT --debtor ID: loads the export, builds the document list and archive of the
// debtor with that ID in Temp/ID/ of the program folder, and prints the list.
int runDocumentList(CliContext& context);

}  // namespace tervalo::cli
