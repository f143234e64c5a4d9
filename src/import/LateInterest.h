#pragma once

#include "import/LateInterestRates.h"

#include <QDate>

#include <optional>

namespace tervalo::import {

// The statutory late-payment interest of one document as of a day.
struct LateInterest {
    int days = 0;                          // days of delay: from the day after the due date to `asOf`
    std::optional<int> rate;               // statutory rate in hundredths of a percent, when known
    qint64 cents = 0;                      // the interest in hundredths of the currency
    std::optional<QDate> missingHalfYear;  // the half-year the delay began in, when it has no rate
};

// Interest on `remaining` (rounded to hundredths first) from the day after `due` to `asOf`, at the
// statutory rate of the half-year the delay began in, which holds for the whole delay:
// remaining x rate / 100 x days / 365, rounded half up to hundredths. No delay (not yet past due)
// or nothing remaining gives none; a delay beginning in a half-year without a rate gives none and
// names that half-year.
LateInterest ComputeLateInterest(const QDate& due, double remaining, const QDate& asOf,
                                 const LateInterestRates& rates);

}  // namespace tervalo::import
