#pragma once

#include "memtable/MemTable.h"
#include "platform/SystemLocale.h"

#include <QDate>
#include <QString>

namespace tervalo::import {

// The debtor row that gathers documents without a customer from the address book.
inline const QString OtherGroupName = QStringLiteral("Ostatní");

// The working data of one loaded export: the debtor table mtFirmy, its document table mtDoklady
// (a detail of mtFirmy joined by ID), the four variable maps, and the values of the title section.
struct ExportTables {
    explicit ExportTables(const platform::SystemLocale& locale);
    ExportTables(const ExportTables&) = delete;
    ExportTables& operator=(const ExportTables&) = delete;

    // Whether a debtor name is the catch-all group "Ostatní" (letter case aside).
    bool isCatchAllGroup(const QString& name) const;

    const platform::SystemLocale& locale;
    memtable::MemTable mtFirmy;
    memtable::MemTable mtDoklady;
    memtable::MemTable mtVarTitul;
    memtable::MemTable mtVarHeader;
    memtable::MemTable mtVarItems;
    memtable::MemTable mtvarItemsDobr;

    QString AsOfDate;
    QString ToleranceDays;
    QString SupplierName;
    bool NoDocuments = false;
    // The compensation of costs is claimed for each included CZK invoice past due (set with the
    // late-payment interest).
    bool CompensationClaimed = false;
    // When valid, reminders list only the documents past due on this day by more than the tolerance
    // days (IncludedDocumentRows); invalid: every included document.
    QDate OverdueOnlyOn;
    // The status text of the debtor list's heading bar.
    QString lblStavKeDniText;
};

}  // namespace tervalo::import
