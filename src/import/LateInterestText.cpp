#include "import/LateInterestText.h"

#include "import/DocumentListLayout.h"

namespace tervalo::compose {

QString LateInterestTable(const import::DebtorInterest& owed, QChar decimalSeparator) {
    std::vector<QStringList> rows;
    for (const import::OverdueDocument& document : owed.documents) {
        if (!document.rate) {
            continue;
        }
        rows.push_back({document.number, document.dueText, QString::number(document.days),
                        FormatDocumentAmount(document.remaining, decimalSeparator),
                        FormatDocumentAmount(*document.rate, decimalSeparator),
                        FormatDocumentAmount(document.interest, decimalSeparator), document.currency});
    }
    if (rows.empty()) {
        return {};
    }
    const QStringList titles = {QStringLiteral("Doklad č."),    QStringLiteral("Splatno"),
                                QStringLiteral("Dnů prodlení"), QStringLiteral("Zbývá uhradit"),
                                QStringLiteral("Sazba % p.a."), QStringLiteral("Úrok z prodlení"),
                                QStringLiteral("Měna")};
    QString text = LayOutFixedWidthTable(titles, rows, {false, true, true, true, true, true, false});
    text += QStringLiteral("\r\n");
    for (const auto& [currency, total] : owed.totals) {
        text += QStringLiteral("Úrok z prodlení celkem: ") + FormatDocumentAmount(total, decimalSeparator) +
                QLatin1Char(' ') + currency + QStringLiteral("\r\n");
    }
    return text;
}

QString CompensationSentence(const import::DebtorInterest& owed, QChar decimalSeparator) {
    if (owed.compensation <= 0) {
        return {};
    }
    return QStringLiteral(
               "Dále uplatňujeme náhradu nákladů spojených s uplatněním pohledávky ve výši "
               "1 200 Kč za každou pohledávku po splatnosti, celkem ") +
           FormatDocumentAmount(owed.compensation, decimalSeparator) + QStringLiteral(" Kč.");
}

}  // namespace tervalo::compose
