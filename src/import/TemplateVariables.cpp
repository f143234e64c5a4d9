#include "import/TemplateVariables.h"

#include "import/DebtorInterest.h"
#include "import/LateInterestText.h"

namespace tervalo::compose {

TemplateValues CurrentDebtorValues(const import::ExportTables& tables) {
    TemplateValues values{tables.AsOfDate, tables.SupplierName, tables.mtFirmy.text(u"OdbNazev"),
                          tables.mtFirmy.text(u"TextNeuhrDokl")};
    const import::DebtorInterest owed = import::CurrentDebtorInterest(tables);
    values.Uroky = LateInterestTable(owed, tables.locale.decimalSeparator());
    values.Naklady = CompensationSentence(owed, tables.locale.decimalSeparator());
    return values;
}

QString ReplaceTemplateVariables(QString text, const TemplateValues& values, DocumentsVariable documents) {
    text.replace(QStringLiteral("%DATUM%"), values.AsOfDate, Qt::CaseInsensitive);
    text.replace(QStringLiteral("%DODAVATEL%"), values.SupplierName, Qt::CaseInsensitive);
    text.replace(QStringLiteral("%ODBERATEL%"), values.OdbNazev, Qt::CaseInsensitive);
    if (documents == DocumentsVariable::Replaced) {
        text.replace(QStringLiteral("%DOKLADY%"), values.TextNeuhrDokl, Qt::CaseInsensitive);
        if (values.QrPlatba) {
            text.replace(QStringLiteral("%QRPLATBA%"), *values.QrPlatba, Qt::CaseInsensitive);
        }
        text.replace(QStringLiteral("%UROKY%"), values.Uroky, Qt::CaseInsensitive);
        text.replace(QStringLiteral("%NAKLADY%"), values.Naklady, Qt::CaseInsensitive);
    }
    return text;
}

}  // namespace tervalo::compose
