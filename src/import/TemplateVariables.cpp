#include "import/TemplateVariables.h"

namespace tervalo::compose {

TemplateValues CurrentDebtorValues(const import::ExportTables& tables) {
    return {tables.AsOfDate, tables.SupplierName, tables.mtFirmy.text(u"OdbNazev"),
            tables.mtFirmy.text(u"TextNeuhrDokl")};
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
    }
    return text;
}

}  // namespace tervalo::compose
