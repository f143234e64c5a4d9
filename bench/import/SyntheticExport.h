#pragma once

#include <QByteArray>

namespace tervalo::bench {

// A synthetic export in the layout of the demo export (data/uhterv.def.src): a title section, then
// debtors with about ten documents each (every tenth a credit note), Czech names in Windows-1250,
// some names quoted because they hold the separator.
QByteArray syntheticExport(int documentRows, unsigned seed = 1);

}  // namespace tervalo::bench
