#include "compose/LateInterestRatesForm.h"

#include <algorithm>
#include <map>

namespace tervalo::compose {

std::vector<RateRowTexts> RateRowsForEdit(const std::vector<import::HalfYearRate>& rows,
                                          const platform::SystemLocale& locale) {
    std::vector<RateRowTexts> texts;
    for (const import::HalfYearRate& row : rows) {
        texts.push_back({locale.formatShortDate(row.start),
                         import::FormatRate(row.repo, locale.decimalSeparator()),
                         import::FormatRate(row.statutory, locale.decimalSeparator())});
    }
    return texts;
}

std::variant<std::vector<import::HalfYearRate>, QString> RateRowsFromEdit(
    const std::vector<RateRowTexts>& rows, const platform::SystemLocale& locale) {
    std::map<QDate, import::HalfYearRate> parsed;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const RateRowTexts& texts = rows[i];
        if (std::all_of(texts.begin(), texts.end(), [](const QString& t) { return t.trimmed().isEmpty(); })) {
            continue;
        }
        const QString where =
            QStringLiteral("Úroky z prodlení, řádek ") + QString::number(i + 1) + QStringLiteral(": ");
        const std::optional<QDate> start = locale.parseShortDate(texts[0].trimmed());
        if (!start || *start != import::HalfYearStart(*start)) {
            return where + QStringLiteral("pololetí musí začínat dnem 1.1. nebo 1.7. některého roku.");
        }
        const std::optional<int> repo = import::ParseRate(texts[1]);
        const std::optional<int> statutory = import::ParseRate(texts[2]);
        if (!repo || !statutory) {
            return where + QStringLiteral("sazbu zadejte jako číslo s nejvýše dvěma desetinnými místy.");
        }
        if (!parsed.emplace(*start, import::HalfYearRate{*start, *repo, *statutory}).second) {
            return where + QStringLiteral("pololetí od ") + texts[0].trimmed() +
                   QStringLiteral(" je v tabulce již uvedeno.");
        }
    }
    std::vector<import::HalfYearRate> result;
    for (const auto& [start, row] : parsed) {
        result.push_back(row);
    }
    return result;
}

}  // namespace tervalo::compose
