#include "import/CurrencySums.h"

#include <QSet>

#include <algorithm>
#include <utility>

namespace tervalo::import {

namespace {

QString currencyOf(const memtable::MemTable& doklady, memtable::RowId row, int field) {
    const QString currency = doklady.text(row, field).trimmed().toUpper();
    return currency.isEmpty() ? HomeCurrency : currency;
}

}  // namespace

QHash<int, QString> DebtorCurrencies(const ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    QHash<int, QString> currencies;
    if (!doklady.isOpen()) {
        return currencies;
    }
    const int idField = doklady.field(u"ID");
    const int currencyField = doklady.field(u"Mena");
    for (memtable::RowId row = 0; row < doklady.rowCount(); ++row) {
        QString& list = currencies[doklady.intValue(row, idField)];
        const QString currency = currencyOf(doklady, row, currencyField);
        if (list.isEmpty()) {
            list = currency;
        } else if (!list.split(QStringLiteral(", ")).contains(currency)) {
            list += QStringLiteral(", ") + currency;
        }
    }
    return currencies;
}

std::vector<CurrencySum> SumByCurrency(const ExportTables& tables) {
    const memtable::MemTable& firmy = tables.mtFirmy;
    const memtable::MemTable& doklady = tables.mtDoklady;
    std::vector<CurrencySum> sums;
    if (!firmy.isOpen() || !doklady.isOpen()) {
        return sums;
    }
    QSet<int> shown;
    const int debtorId = firmy.field(u"ID");
    for (int position = 0; position < firmy.recordCount(); ++position) {
        shown.insert(firmy.intValue(firmy.rowAt(position), debtorId));
    }
    const int idField = doklady.field(u"ID");
    const int currencyField = doklady.field(u"Mena");
    const int totalField = doklady.field(u"Celkem");
    const int unpaidField = doklady.field(u"CelkNeprop");
    const int creditField = doklady.field(u"Dobropis");
    QHash<QString, QSet<int>> debtorsIn;
    for (memtable::RowId row = 0; row < doklady.rowCount(); ++row) {
        const int id = doklady.intValue(row, idField);
        if (!shown.contains(id)) {
            continue;
        }
        const QString currency = currencyOf(doklady, row, currencyField);
        auto sum =
            std::find_if(sums.begin(), sums.end(), [&](const auto& s) { return s.currency == currency; });
        if (sum == sums.end()) {
            sum = sums.insert(sums.end(), CurrencySum{currency});
        }
        const double total = doklady.isNull(row, totalField) ? 0 : doklady.floatValue(row, totalField);
        const double unpaid = doklady.isNull(row, unpaidField) ? 0 : doklady.floatValue(row, unpaidField);
        if (doklady.boolValue(row, creditField)) {
            sum->creditTotal += total;
            sum->creditRemaining += unpaid;
        } else {
            sum->total += total;
            sum->remaining += unpaid;
        }
        debtorsIn[currency].insert(id);
    }
    for (CurrencySum& sum : sums) {
        sum.debtors = int(debtorsIn.value(sum.currency).size());
    }
    std::sort(sums.begin(), sums.end(), [](const CurrencySum& a, const CurrencySum& b) {
        return std::pair(a.currency != HomeCurrency, a.currency) <
               std::pair(b.currency != HomeCurrency, b.currency);
    });
    return sums;
}

}  // namespace tervalo::import
