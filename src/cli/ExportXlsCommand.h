#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// export-xls EXPORT OUTPUT.xls [--template PATH] [--only-with-email]: loads the export as the
// program does, keeps only debtors with an e-mail address when asked, and writes the debtor list
// from the template (default: TERVALO.XL in the program folder). The workbook is not opened.
int runExportXls(CliContext& context);

}  // namespace tervalo::cli
