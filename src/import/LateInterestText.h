#pragma once

#include "import/DebtorInterest.h"

#include <QChar>
#include <QString>

namespace tervalo::compose {

// "%UROKY%": a fixed-width table of the debtor's invoices that bear interest (number, due date, days
// late, remaining, rate, interest, currency), then the total interest per currency, lines ended by
// CR LF; empty when none bears interest.
QString LateInterestTable(const import::DebtorInterest& owed, QChar decimalSeparator);

// "%NAKLADY%": the sentence claiming the compensation of costs with its total; empty when none is
// claimed.
QString CompensationSentence(const import::DebtorInterest& owed, QChar decimalSeparator);

}  // namespace tervalo::compose
