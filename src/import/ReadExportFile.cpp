#include "import/ReadExportFile.h"

#include "import/ExportReader.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tervalo::import {

namespace {

// The cells are looked at as bytes first: a damaged file can make either of them hundreds of
// megabytes, which decoding would double for nothing. No character of the ANSI code pages other
// than the ASCII letters compares equal to "x", "m" or "l" without regard to case.
bool containsXml(std::string_view bytes) {
    constexpr std::string_view xml = "xml";
    return std::search(bytes.begin(), bytes.end(), xml.begin(), xml.end(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == b;
           }) != bytes.end();
}

// Only digits, signs and blanks (the no-break space 0xA0 of the code pages too) can make an integer.
bool mayBeInteger(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char ch) {
        return (ch >= '0' && ch <= '9') || (ch != 0 && std::strchr("+- \t\n\v\f\r\xa0", ch) != nullptr);
    });
}

}  // namespace

bool HasWrongFormat(const CellMatrix& matrix, const platform::AnsiCodec& codec) {
    if (containsXml(matrix.cellBytes(0, 0))) {
        return true;
    }
    if (!mayBeInteger(matrix.cellBytes(0, 2))) {
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
                           "LibreOffice Calc, apod.)."));
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
