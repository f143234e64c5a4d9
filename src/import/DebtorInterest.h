#pragma once

#include "import/ExportTables.h"

#include <QDate>
#include <QString>

#include <map>
#include <optional>
#include <vector>

namespace tervalo::import {

// One included invoice of a debtor that was past due on the export's AsOfDate with something left
// to pay.
struct OverdueDocument {
    QString number;
    QString dueText;  // as the export writes it
    QDate due;
    int days = 0;
    double remaining = 0;
    QString currency;            // CZK when the export names none
    std::optional<double> rate;  // % p.a.; none when its half-year has no rate
    double interest = 0;
};

// What the current debtor owes beyond its documents, from the current rows of mtDoklady (the
// flags as they stand now) and the interest the load computed.
struct DebtorInterest {
    std::vector<OverdueDocument> documents;
    std::map<QString, double> totals;  // interest per currency
    double compensation = 0;           // CZK; 0 unless the compensation is claimed
};

DebtorInterest CurrentDebtorInterest(const ExportTables& tables);

// Writes the current debtor's UrokCelkem (CZK), UrokCelkemMeny (the other currencies as text) and
// Naklady from CurrentDebtorInterest: after the load, and whenever one of its documents is included
// or excluded.
void StoreDebtorInterest(ExportTables& tables);

}  // namespace tervalo::import
