#pragma once

#include <QChar>
#include <QString>

namespace tervalo::import {

// An amount as "# ### ### ##0.00": two decimals, digits grouped by three with blanks, the given
// decimal separator.
QString formatAmount(double value, QChar decimalSeparator);

}  // namespace tervalo::import
