#pragma once

#include "import/ExportTables.h"

#include <QString>

#include <optional>

namespace tervalo::compose {

// What a reminder's level puts into its texts.
struct LevelValues {
    QString name;      // "%UROVEN%"
    QString deadline;  // "%LHUTA%", a date "dd.MM.yyyy"
};

// The values the template variables of the subject, the body and the document-list heading stand for.
struct TemplateValues {
    QString AsOfDate;       // "%DATUM%"
    QString SupplierName;   // "%DODAVATEL%"
    QString OdbNazev;       // "%ODBERATEL%"
    QString TextNeuhrDokl;  // "%DOKLADY%", body only
    QString Totals = {};    // "%CELKEM%": what remains to be paid per currency
    // "%UROVEN%" and "%LHUTA%", known where a reminder of a level is made (not in the heading).
    std::optional<LevelValues> Level = std::nullopt;
    // "%QRPLATBA%", body only, and only while payment codes are on: the payment details as text.
    std::optional<QString> QrPlatba = std::nullopt;
    QString Uroky = {};    // "%UROKY%", body only: the late-payment interest table
    QString Naklady = {};  // "%NAKLADY%", body only: the compensation of costs, empty when not claimed
};

// The values of the current mtFirmy row and the loaded export.
TemplateValues CurrentDebtorValues(const import::ExportTables& tables);

// The amounts still to be paid of the current debtor's included documents per currency, the home
// currency first and the others by code, e.g. "48 400,00 CZK; 1 500,00 EUR", with the system's
// decimal separator; empty without an included document.
QString CurrentDebtorTotals(const import::ExportTables& tables);

enum class DocumentsVariable { Kept, Replaced };

// Replaces "%DATUM%", "%DODAVATEL%", "%ODBERATEL%", "%CELKEM%", "%UROVEN%" and "%LHUTA%" (these two
// when there is a level) and, when asked, "%DOKLADY%", (when it has a value) "%QRPLATBA%", "%UROKY%"
// and "%NAKLADY%" in any letter case, one after another on the result of the previous one: a value
// holding a later variable's name has that name replaced too.
QString ReplaceTemplateVariables(QString text, const TemplateValues& values,
                                 DocumentsVariable documents = DocumentsVariable::Kept);

}  // namespace tervalo::compose
