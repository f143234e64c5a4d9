#include "import/LateInterest.h"

#include <cmath>

namespace tervalo::import {

namespace {
// Wide enough for any amount x rate x days the export can hold.
__extension__ typedef __int128 Wide;
}  // namespace

LateInterest ComputeLateInterest(const QDate& due, double remaining, const QDate& asOf,
                                 const LateInterestRates& rates) {
    LateInterest result;
    if (!due.isValid() || !asOf.isValid() || !std::isfinite(remaining)) {
        return result;
    }
    result.days = int(std::max<qint64>(0, due.daysTo(asOf)));
    const qint64 remainingCents = std::llround(remaining * 100);
    if (result.days == 0 || remainingCents <= 0) {
        return result;
    }
    const QDate halfYear = HalfYearStart(due.addDays(1));
    const std::optional<HalfYearRate> rate = rates.forHalfYear(halfYear);
    if (!rate) {
        result.missingHalfYear = halfYear;
        return result;
    }
    result.rate = rate->statutory;
    // cents x (rate in hundredths of a percent) x days / (100 x 100 x 365), exactly, then half up.
    const Wide numerator = Wide(remainingCents) * rate->statutory * result.days;
    const Wide denominator = 100 * 100 * 365;
    result.cents = qint64((numerator * 2 + denominator) / (denominator * 2));
    return result;
}

}  // namespace tervalo::import
