#pragma once

#include "export/MemTableDataset.h"
#include "import/ExportTables.h"
#include "report/ReportDataSource.h"

#include <QDate>

namespace tervalo::exporting {

// What a debtor-list template can name, as the main window publishes it:
// - datasets "mtFirmy" and "mtDoklady" (the latter the detail of the former);
// - properties "AsOfDate", "SupplierName" and "ToleranceDays" (texts as the export states them),
//   "NoDocuments" (truth value), "AppVersion" (text) and "Today" (the date of the export).
// Names are matched regardless of letter case.
class DebtorListSource : public report::ReportDataSource {
public:
    DebtorListSource(import::ExportTables& tables, QDate today);

    report::ReportDataset* dataset(const QString& name) override;
    std::optional<report::ReportValue> property(const QString& name,
                                                const std::vector<int>& indexes) const override;

private:
    const import::ExportTables& m_tables;
    MemTableDataset m_firmy;
    MemTableDataset m_doklady;
    QDate m_today;
};

}  // namespace tervalo::exporting
