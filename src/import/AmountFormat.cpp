#include "import/AmountFormat.h"

#include <cmath>

namespace tervalo::import {

QString formatAmount(double value, QChar decimalSeparator) {
    // Round once to whole hundredths, then lay out the digits ourselves: no locale is involved.
    const double rounded = std::round(std::fabs(value) * 100.0);
    const bool negative = value < 0 && rounded > 0;
    QString digits = QString::number(rounded, 'f', 0);
    while (digits.size() < 3) {
        digits.prepend(QLatin1Char('0'));
    }
    const QString cents = digits.right(2);
    const QString whole = digits.left(digits.size() - 2);
    QString grouped;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) {
            grouped.append(QLatin1Char(' '));
        }
        grouped.append(whole[i]);
    }
    return (negative ? QStringLiteral("-") : QString()) + grouped + decimalSeparator + cents;
}

}  // namespace tervalo::import
