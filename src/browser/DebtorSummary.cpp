#include "browser/DebtorSummary.h"

#include "import/AmountFormat.h"
#include "import/CurrencySums.h"

namespace tervalo::browser {

QString DebtorSummaryText(const import::ExportTables& tables, QChar decimalSeparator) {
    QString text = QStringLiteral("Zobrazeno dlužníků: %1").arg(tables.mtFirmy.recordCount());
    QStringList remaining;
    for (const import::CurrencySum& sum : import::SumByCurrency(tables)) {
        remaining << import::formatAmount(sum.remaining, decimalSeparator) + QLatin1Char(' ') + sum.currency;
    }
    if (!remaining.isEmpty()) {
        text += QStringLiteral("   Zbývá uhradit: ") + remaining.join(QStringLiteral("; "));
    }
    return text;
}

QString AmountCurrencyMark(const QString& currencies) {
    if (currencies.isEmpty() || currencies == import::HomeCurrency) {
        return {};
    }
    return QString(currencies).replace(QStringLiteral(", "), QStringLiteral("+"));
}

}  // namespace tervalo::browser
