#pragma once

#include "import/ExportTables.h"

#include <QChar>
#include <QString>

namespace tervalo::browser {

// The status line under the debtor grid: how many debtors the list shows and what they still have to
// pay in each currency, e.g. "Zobrazeno dlužníků: 12   Zbývá uhradit: 54 450,25 CZK; 1 500,00 EUR".
QString DebtorSummaryText(const import::ExportTables& tables, QChar decimalSeparator);

// How an amount of a debtor whose documents are in `currencies` (as DebtorCurrencies gives them) is
// marked in the grid: nothing for CZK, the code otherwise, the codes joined by "+" for several.
QString AmountCurrencyMark(const QString& currencies);

}  // namespace tervalo::browser
