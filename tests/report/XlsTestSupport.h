#pragma once

#include "report/Workbook.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>
#include <vector>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
    *os << '[' << list.join(QStringLiteral("; ")).toStdString() << ']';
}

namespace tervalo::report::test {

// A template described as text: one string per row (1-based in the descriptions below), cells
// separated by "|". A cell beginning with "=" is a formula: "=D4", "=D4*2", "=SUM(D4:D6)"; a cell
// that parses as a number is a number; anything else is text. "=SUM(0!B1:B2)" refers to the first sheet.
struct TemplateBand {
    QString name;
    int firstRow;  // 1-based, inclusive
    int lastRow;
    bool relative = false;  // stored with relative-reference flags, as a band must not be
};
struct TemplateSheet {
    QString name = QStringLiteral("List1");
    QStringList rows;
    std::vector<TemplateBand> bands;
    std::vector<CellRange> merges;  // 1-based rows and 0-based columns, as written in the cases
    std::vector<int> pageBreaks;    // 1-based first rows of new pages
};
struct BuildOptions {
    uint16_t biffVersion = 0x0600;
    bool encrypted = false;
    bool macros = false;     // an OBPROJ record, as a workbook with a VBA project has
    bool dates1904 = false;  // DATEMODE 1
};

// A minimal BIFF8 Workbook stream holding the sheets, their band names and a shared-string table.
QByteArray buildWorkbook(const std::vector<TemplateSheet>& sheets, const BuildOptions& options = {});

// The cells of a sheet of a written stream read back as text rows: cells joined by "|" with trailing
// empty cells dropped; numbers in shortest form; formulas as "=SUM(D4:D6)", "=D4*2", "=SUM(0!B1:B3)",
// "=#REF!".
QStringList readGrid(const QByteArray& stream, int sheet = 0);
// Merges as "A3:B3", page breaks as the 1-based first row of each new page.
QStringList readMerges(const QByteArray& stream, int sheet = 0);
std::vector<int> readPageBreaks(const QByteArray& stream, int sheet = 0);

// Structural problems of a written stream, empty when it is sound: BOUNDSHEET offsets on BOFs, one
// record per cell in ascending order, DIMENSIONS covering every cell, merges not overlapping, records
// within the size limit, shared-string indexes in range, INDEX and DBCELL offsets right.
QStringList checkStructure(const QByteArray& stream);

// The Workbook stream of an .xls file.
QByteArray workbookStreamOf(const QString& path);

QString cellName(int row, int col);

}  // namespace tervalo::report::test
