#pragma once

#include "import/CellMatrix.h"
#include "platform/Error.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string_view>

namespace tervalo::import {

// The export file cannot be opened or read.
class ExportReadError : public platform::Error {
public:
    explicit ExportReadError(const QString& path)
        : platform::Error(QStringLiteral("cannot read ") + path, path) {}
};

namespace ExportReader {

inline constexpr char kSeparatorCandidates[] = {',', ';', '#', '\t', '|'};

// The cell separator detected from the first two lines (a missing second line counts as empty; CRs
// are not counted), or nothing when no candidate occurs in either line.
std::optional<char> DetectSeparator(std::string_view line1, std::string_view line2);

// Reads the file into the matrix. Lines end at LF or CR LF; a lone CR is dropped. Throws
// ExportReadError when the file cannot be opened or read. Returns the separator used.
std::optional<char> ReadFile(const QString& path, CellMatrix& matrix);

// The same rules over bytes already in memory.
std::optional<char> ParseExport(QByteArrayView bytes, CellMatrix& matrix);

}  // namespace ExportReader

}  // namespace tervalo::import
