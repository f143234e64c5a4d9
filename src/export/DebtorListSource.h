#pragma once

#include "export/CurrencyTotalsDataset.h"
#include "export/MemTableDataset.h"
#include "export/QrPaymentFields.h"
#include "import/ExportTables.h"
#include "report/ReportDataSource.h"
#include "settings/AppSettings.h"

#include <QDate>

namespace tervalo::exporting {

// What a debtor-list template can name, as the main window publishes it:
// - datasets "mtFirmy" and "mtDoklady" (the latter the detail of the former), each with its
//   payment-code fields "QrSpayd", "QrVS" and "QrCastka" (QrPaymentFields; empty without
//   `paymentSettings`), mtFirmy also with "Mena", the currencies of the debtor's documents;
// - dataset "mtMeny", the shown debtors' documents summed per currency (CurrencyTotalsDataset);
// - properties "AsOfDate", "SupplierName" and "ToleranceDays" (texts as the export states them),
//   "NoDocuments" (truth value), "AppVersion" (text) and "Today" (the date of the export).
// Names are matched regardless of letter case.
class DebtorListSource : public report::ReportDataSource {
public:
    DebtorListSource(import::ExportTables& tables, QDate today,
                     const app::AppSettings* paymentSettings = nullptr);

    report::ReportDataset* dataset(const QString& name) override;
    std::optional<report::ReportValue> property(const QString& name,
                                                const std::vector<int>& indexes) const override;

private:
    report::ReportValue debtorValue(int index);

    const import::ExportTables& m_tables;
    QrPaymentFields m_payments;
    MemTableDataset m_firmy;
    MemTableDataset m_doklady;
    CurrencyTotalsDataset m_meny;
    QHash<int, QString> m_currencies;  // by debtor ID
    QDate m_today;
};

}  // namespace tervalo::exporting
