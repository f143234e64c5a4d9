#include "export/CurrencyTotalsDataset.h"

namespace tervalo::exporting {

QStringList CurrencyTotalsDataset::fieldNames() const {
    return {QStringLiteral("Mena"),       QStringLiteral("Celkem"),      QStringLiteral("ZbyvaUh"),
            QStringLiteral("CelkemDobr"), QStringLiteral("ZbyvaUhDobr"), QStringLiteral("PocetDluzniku")};
}

void CurrencyTotalsDataset::first() {
    m_sums = import::SumByCurrency(m_tables);
    m_position = 0;
}

report::ReportValue CurrencyTotalsDataset::value(int field) const {
    const import::CurrencySum& sum = m_sums.at(m_position);
    switch (field) {
        case 0:
            return sum.currency;
        case 1:
            return sum.total;
        case 2:
            return sum.remaining;
        case 3:
            return sum.creditTotal;
        case 4:
            return sum.creditRemaining;
        case 5:
            return double(sum.debtors);
        default:
            return {};
    }
}

}  // namespace tervalo::exporting
