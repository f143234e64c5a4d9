#include "import/TemplateVariables.h"

#include "import/AmountFormat.h"
#include "import/CurrencySums.h"
#include "import/DebtorInterest.h"
#include "import/IncludedDocuments.h"
#include "import/LateInterestText.h"

#include <QRegularExpression>

#include <map>

namespace tervalo::compose {

namespace {

// Replaces a variable whose value is empty when its feature is off. Empty, a line holding nothing
// but the variable is left out together with one empty line after it, so a paragraph of its own
// leaves no gap in the text.
void replaceOptionalParagraph(QString& text, const QString& variable, const QString& value) {
    if (value.isEmpty() && text.contains(variable, Qt::CaseInsensitive)) {
        const QRegularExpression line(
            QStringLiteral("^[ \\t]*") + QRegularExpression::escape(variable) +
                QStringLiteral("[ \\t]*\\r?\\n(?:[ \\t]*\\r?\\n)?"),
            QRegularExpression::CaseInsensitiveOption | QRegularExpression::MultilineOption);
        text.remove(line);
    }
    text.replace(variable, value, Qt::CaseInsensitive);
}

}  // namespace

TemplateValues CurrentDebtorValues(const import::ExportTables& tables) {
    TemplateValues values{tables.AsOfDate, tables.SupplierName, tables.mtFirmy.text(u"OdbNazev"),
                          tables.mtFirmy.text(u"TextNeuhrDokl"), CurrentDebtorTotals(tables)};
    const import::DebtorInterest owed = import::CurrentDebtorInterest(tables);
    values.Uroky = LateInterestTable(owed, tables.locale.decimalSeparator());
    values.Naklady = CompensationSentence(owed, tables.locale.decimalSeparator());
    return values;
}

QString CurrentDebtorTotals(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int celkNeprop = doklady.field(u"CelkNeprop");
    const int mena = doklady.field(u"Mena");
    std::map<QString, double> sums;
    for (const memtable::RowId row : import::IncludedDocumentRows(tables)) {
        const QString currency = doklady.text(row, mena).trimmed();
        sums[currency.isEmpty() ? import::HomeCurrency : currency] += doklady.floatValue(row, celkNeprop);
    }
    QStringList parts;
    const auto part = [&](const QString& currency, double sum) {
        return import::formatAmount(sum, tables.locale.decimalSeparator()) + QLatin1Char(' ') + currency;
    };
    if (const auto home = sums.find(import::HomeCurrency); home != sums.end()) {
        parts << part(home->first, home->second);
        sums.erase(home);
    }
    for (const auto& [currency, sum] : sums) {
        parts << part(currency, sum);
    }
    return parts.join(QStringLiteral("; "));
}

QString ReplaceTemplateVariables(QString text, const TemplateValues& values, DocumentsVariable documents) {
    text.replace(QStringLiteral("%DATUM%"), values.AsOfDate, Qt::CaseInsensitive);
    text.replace(QStringLiteral("%DODAVATEL%"), values.SupplierName, Qt::CaseInsensitive);
    text.replace(QStringLiteral("%ODBERATEL%"), values.OdbNazev, Qt::CaseInsensitive);
    text.replace(QStringLiteral("%CELKEM%"), values.Totals, Qt::CaseInsensitive);
    if (values.Level) {
        text.replace(QStringLiteral("%UROVEN%"), values.Level->name, Qt::CaseInsensitive);
        text.replace(QStringLiteral("%LHUTA%"), values.Level->deadline, Qt::CaseInsensitive);
    }
    if (documents == DocumentsVariable::Replaced) {
        text.replace(QStringLiteral("%DOKLADY%"), values.TextNeuhrDokl, Qt::CaseInsensitive);
        if (values.QrPlatba) {
            text.replace(QStringLiteral("%QRPLATBA%"), *values.QrPlatba, Qt::CaseInsensitive);
        }
        replaceOptionalParagraph(text, QStringLiteral("%UROKY%"), values.Uroky);
        replaceOptionalParagraph(text, QStringLiteral("%NAKLADY%"), values.Naklady);
    }
    return text;
}

}  // namespace tervalo::compose
