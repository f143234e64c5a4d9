#pragma once

#include "report/BiffRecord.h"
#include "report/SharedStringTable.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

namespace tervalo::report {

constexpr int MaxRows = 65536;
constexpr int MaxColumns = 256;

enum class CellKind : uint8_t { Blank, Number, Rk, Sst, BoolErr, Formula };

// One cell of the cell table. MULRK and MULBLANK are read as single cells, LABEL as a shared string,
// a shared formula as a plain one.
struct Cell {
    uint16_t col = 0;
    uint16_t xf = 0;
    CellKind kind = CellKind::Blank;
    uint8_t boolValue = 0;  // BOOLERR: value
    uint8_t isError = 0;    // BOOLERR: 1 for an error code
    double number = 0;      // NUMBER
    uint32_t index = 0;     // RK value, SST index, or formula index in the sheet
};

// A FORMULA record without its row, column and XF, and the STRING record holding its text result.
//
//   0  value:8  8 grbit:u16  10 chn:u32  14 cce:u16  16 rgce[cce]  rgcb...
struct FormulaCell {
    QByteArray body;
    std::optional<QByteArray> stringResult;

    int cce() const;
};

struct SheetRow {
    QByteArray rowRecord;     // ROW payload as read, empty when the row had none
    std::vector<Cell> cells;  // ascending columns
};

// Puts a row's cells in ascending columns; of two cells in one column the later one stays, as readers
// show it.
void sortCells(std::vector<Cell>& cells);

// A range of rows and columns (MERGEDCELLS Ref8, HORIZONTALPAGEBREAKS entry).
struct CellRange {
    int firstRow = 0;
    int lastRow = 0;
    int firstCol = 0;
    int lastCol = 0;
    bool operator==(const CellRange&) const = default;
};

// A substream of one sheet. Worksheets are taken apart into their cell table and the records around
// it; every other kind of sheet is kept as its records.
struct Sheet {
    QString name;
    uint8_t type = 0;  // BOUNDSHEET dt: 0 worksheet, 1 macro sheet, 2 chart, 6 VB module
    bool isWorksheet = false;
    std::vector<BiffRecord> records;  // non-worksheets: the whole substream

    std::vector<BiffRecord> before;  // BOF .. the record before DIMENSIONS, INDEX left out
    std::vector<BiffRecord> after;   // after the cell table up to EOF, MERGEDCELLS left out
    int pageBreakSlot = -1;          // index in `before` where HORIZONTALPAGEBREAKS goes
    int mergeSlot = -1;              // index in `after` where MERGEDCELLS goes
    std::map<int, SheetRow> rows;
    std::vector<FormulaCell> formulas;
    std::vector<CellRange> merges;
    std::vector<CellRange> pageBreaks;  // firstRow = first row of the new page; lastRow unused
    QString objectRecords;              // kinds of drawing, comment, link and validation records found
    int objectsLastRow = -1;            // the lowest row such an object touches

    int lastUsedRow() const;
};

// A NAME record as far as the engine reads it; the record itself stays in the globals.
struct DefinedName {
    int recordIndex = 0;  // in Workbook::globals
    QString name;         // built-in names (Print_Area, Print_Titles, ...): empty
    bool builtin = false;
    int itab = 0;  // 0 global, else 1-based sheet
    int rgceOffset = 0;
    int cce = 0;
};

// A workbook as the engine holds it: globals records kept byte for byte except the ones rebuilt on
// write (BOUNDSHEET offsets, SST, EXTSST), and the sheets.
struct Workbook {
    std::vector<BiffRecord> globals;  // SST and EXTSST left out
    int sstSlot = -1;                 // index in `globals` where SST goes
    SharedStringTable sst;
    std::vector<DefinedName> names;
    std::vector<int> externSheets;  // per XTI: the sheet it names, or -1 (other workbook, several sheets)
    bool dates1904 = false;
    std::vector<Sheet> sheets;

    // Sheet index of an EXTERNSHEET entry, or nullopt.
    std::optional<int> sheetOfXti(int ixti) const;
};

// Reads a Workbook stream. Throws XlsFormatError (damaged) or ReportError (BIFF5, encrypted, array
// formulas).
Workbook parseWorkbook(const QByteArray& stream);

// Writes the workbook back into a stream: INDEX and DBCELL regenerated, DIMENSIONS recomputed,
// BOUNDSHEET offsets and SST rebuilt.
QByteArray serializeWorkbook(const Workbook& workbook);

}  // namespace tervalo::report
