#pragma once

#include "import/LateInterestRates.h"
#include "platform/SystemLocale.h"

#include <QString>

#include <array>
#include <variant>
#include <vector>

namespace tervalo::compose {

// One row of the rate grid as typed: the half-year's first day, the repo rate, the statutory rate.
using RateRowTexts = std::array<QString, 3>;

// The grid's rows as shown: the day in the short date format, rates with the decimal separator.
std::vector<RateRowTexts> RateRowsForEdit(const std::vector<import::HalfYearRate>& rows,
                                          const platform::SystemLocale& locale);

// The typed rows, oldest first, or the warning naming the first row at fault: a day that is not
// 1 January or 1 July, a rate that is no number with at most two decimals, a half-year given twice.
// Rows left wholly empty are passed over.
std::variant<std::vector<import::HalfYearRate>, QString> RateRowsFromEdit(
    const std::vector<RateRowTexts>& rows, const platform::SystemLocale& locale);

}  // namespace tervalo::compose
