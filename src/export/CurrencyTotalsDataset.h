#pragma once

#include "import/CurrencySums.h"
#include "report/ReportDataSource.h"

namespace tervalo::exporting {

// "mtMeny": one record per currency that the shown debtors' documents use (CZK first), with the
// sums of those documents: "Mena", "Celkem", "ZbyvaUh", "CelkemDobr", "ZbyvaUhDobr" (the names of
// mtFirmy's amounts) and "PocetDluzniku". A template's totals band over it gives a total line per
// currency. The sums are taken when the walk starts, so they follow the debtor list's filter.
class CurrencyTotalsDataset : public report::ReportDataset {
public:
    explicit CurrencyTotalsDataset(const import::ExportTables& tables) : m_tables(tables) {}

    static QString name() { return QStringLiteral("mtMeny"); }

    QStringList fieldNames() const override;
    void first() override;
    void next() override { ++m_position; }
    bool eof() const override { return m_position >= m_sums.size(); }
    report::ReportValue value(int field) const override;

private:
    const import::ExportTables& m_tables;
    std::vector<import::CurrencySum> m_sums;
    std::size_t m_position = 0;
};

}  // namespace tervalo::exporting
