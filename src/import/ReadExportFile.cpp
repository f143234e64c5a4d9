#include "import/ReadExportFile.h"

#include "import/ExportReader.h"

namespace tervalo::import {

bool HasWrongFormat(const CellMatrix& matrix, const platform::AnsiCodec& codec) {
    if (matrix.cell(0, 0, codec).contains(QStringLiteral("XML"), Qt::CaseInsensitive)) {
        return true;
    }
    bool isInteger = false;
    matrix.cell(0, 2, codec).toInt(&isInteger);
    return !isInteger;
}

ExportReadResult ReadExportFile(const QString& path, CellMatrix& matrix, const platform::AnsiCodec& codec,
                                UserInterface& ui) {
    ExportReadResult result;
    try {
        result.separator = ExportReader::ReadFile(path, matrix);
    } catch (const ExportReadError&) {
        ui.warning(
            QStringLiteral("Nastala chyba při načítání souboru ") + path +
            QStringLiteral(" Zkontrolujte, zda není používán jiným programem (např. zda není otevřen v "
                           "MS Excel, apod.)."));
        return result;
    }
    if (HasWrongFormat(matrix, codec)) {
        ui.warning(QStringLiteral(
            "Chybný formát načteného souboru - při exportu z Ekvan je nutné vybrat \"formát CSV\" a dále "
            "zaškrtnout políčko \"názvy polí se budou udávat číselně\". Ukončete tento program a proveďte "
            "znovu export z Ekvan!"));
        return result;
    }
    result.ok = true;
    return result;
}

}  // namespace tervalo::import
