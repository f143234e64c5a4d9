#pragma once

#include "import/ExportTables.h"

#include <QString>

#include <optional>

namespace tervalo::compose {

// The values the template variables of the subject, the body and the document-list heading stand for.
struct TemplateValues {
    QString AsOfDate;       // "%DATUM%"
    QString SupplierName;   // "%DODAVATEL%"
    QString OdbNazev;       // "%ODBERATEL%"
    QString TextNeuhrDokl;  // "%DOKLADY%", body only
    // "%QRPLATBA%", body only, and only while payment codes are on: the payment details as text.
    std::optional<QString> QrPlatba = std::nullopt;
    QString Uroky = {};    // "%UROKY%", body only: the late-payment interest table
    QString Naklady = {};  // "%NAKLADY%", body only: the compensation of costs, empty when not claimed
};

// The values of the current mtFirmy row and the loaded export.
TemplateValues CurrentDebtorValues(const import::ExportTables& tables);

enum class DocumentsVariable { Kept, Replaced };

// Replaces "%DATUM%", "%DODAVATEL%", "%ODBERATEL%" and, when asked, "%DOKLADY%", (when it has a
// value) "%QRPLATBA%", "%UROKY%" and "%NAKLADY%" in any letter case,
// one after another on the result of the previous one: a value holding a later variable's name has
// that name replaced too.
QString ReplaceTemplateVariables(QString text, const TemplateValues& values,
                                 DocumentsVariable documents = DocumentsVariable::Kept);

}  // namespace tervalo::compose
