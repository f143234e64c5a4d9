#pragma once

#include "import/ExportTables.h"

#include <QHash>
#include <QString>

#include <vector>

namespace tervalo::import {

// The currency of the accounts; a document that names none is in it.
inline const QString HomeCurrency = QStringLiteral("CZK");

// The amounts of documents in one currency.
struct CurrencySum {
    QString currency;
    double total = 0;            // invoices
    double remaining = 0;        // invoices, still to pay
    double creditTotal = 0;      // credit notes
    double creditRemaining = 0;  // credit notes, still to settle
    int debtors = 0;             // debtors with a document in the currency
};

// The currencies of each debtor's documents by debtor ID: one code, or several joined by ", " in the
// order they first occur.
QHash<int, QString> DebtorCurrencies(const ExportTables& tables);

// The documents of the debtors in mtFirmy's current view (filter applied) summed per currency: CZK
// first, the others by code. Neither table's current row moves.
std::vector<CurrencySum> SumByCurrency(const ExportTables& tables);

}  // namespace tervalo::import
