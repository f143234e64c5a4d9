#include "import/DebtorInterest.h"

#include "import/ApplyLateInterest.h"
#include "import/CurrencySums.h"
#include "import/IncludedDocuments.h"

#include <QStringList>

#include <cmath>

namespace tervalo::import {

DebtorInterest CurrentDebtorInterest(const ExportTables& tables) {
    DebtorInterest result;
    const std::optional<QDate> asOf = tables.locale.parseShortDate(tables.AsOfDate.trimmed());
    const memtable::MemTable& doklady = tables.mtDoklady;
    if (!asOf || !doklady.isOpen()) {
        return result;
    }
    const int creditNote = doklady.field(u"Dobropis");
    const int number = doklady.field(u"CisloDokl");
    const int due = doklady.field(u"DatSplat");
    const int remaining = doklady.field(u"CelkNeprop");
    const int currency = doklady.field(u"Mena");
    const int rate = doklady.field(u"SazbaUroku");
    const int interest = doklady.field(u"UrokZProdleni");
    int homeDebts = 0;
    for (const memtable::RowId row : IncludedDocumentRows(tables)) {
        if (doklady.boolValue(row, creditNote)) {
            continue;
        }
        OverdueDocument document;
        document.dueText = doklady.text(row, due);
        const std::optional<QDate> dueDate = tables.locale.parseShortDate(document.dueText);
        document.remaining = doklady.isNull(row, remaining) ? 0 : doklady.floatValue(row, remaining);
        if (!dueDate || dueDate->daysTo(*asOf) <= 0 || !(std::llround(document.remaining * 100) > 0)) {
            continue;
        }
        document.number = doklady.text(row, number);
        document.due = *dueDate;
        document.days = int(dueDate->daysTo(*asOf));
        document.currency = doklady.text(row, currency).trimmed().toUpper();
        if (document.currency.isEmpty()) {
            document.currency = HomeCurrency;
        }
        if (!doklady.isNull(row, rate)) {
            document.rate = doklady.floatValue(row, rate);
            document.interest = doklady.floatValue(row, interest);
            result.totals[document.currency] += document.interest;
        }
        if (document.currency == HomeCurrency) {
            ++homeDebts;
        }
        result.documents.push_back(document);
    }
    if (tables.CompensationClaimed) {
        result.compensation = CompensationPerDebt * homeDebts;
    }
    return result;
}

void StoreDebtorInterest(ExportTables& tables) {
    const DebtorInterest owed = CurrentDebtorInterest(tables);
    QStringList others;
    for (const auto& [currency, total] : owed.totals) {
        if (currency != HomeCurrency) {
            others << currency + QLatin1Char(' ') +
                          QString::number(total, 'f', 2)
                              .replace(QLatin1Char('.'), tables.locale.decimalSeparator());
        }
    }
    memtable::MemTable& firmy = tables.mtFirmy;
    const auto home = owed.totals.find(HomeCurrency);
    firmy.edit();
    firmy.setFloat(u"UrokCelkem", home == owed.totals.end() ? 0 : home->second);
    firmy.setText(u"UrokCelkemMeny", others.join(QStringLiteral(", ")));
    firmy.setFloat(u"Naklady", owed.compensation);
    firmy.post();
}

}  // namespace tervalo::import
