// Writes the Workbook model as a BIFF8 stream.
//
// A worksheet's cell table is written in blocks of up to 32 rows: the block's ROW records, then its
// cells row by row, then a DBCELL:
//   DBCELL 0x00D7: dbRtrw:u32 (from the DBCELL back to the block's first ROW),
//                  rgdb:u16 per row (first: from the end of the first ROW to the first row's first
//                  cell; then from each row's first cell to the next row's first cell)
//   INDEX 0x020B (right after BOF): reserved:u32 rwMic:u32 rwMac:u32 ibXF:u32 (DEFCOLWIDTH position)
//                  rgibRw:u32 per block (DBCELL positions)
//   DIMENSIONS 0x0200: rwMic:u32 rwMac:u32 (last + 1) colMic:u16 colMac:u16 (last + 1) reserved:u16
//   ROW 0x0208: rw:u16 colMic:u16 colMac:u16 miyRw:u16 reserved:u16 unused:u16 grbit:u16 ixfe:u16
#include "report/ByteIo.h"
#include "report/Workbook.h"

#include <algorithm>

namespace tervalo::report {

namespace {

constexpr int RowsPerBlock = 32;
constexpr int RowRecordSize = 20;
constexpr int MergesPerRecord = 1026;
constexpr qsizetype IndexFixedSize = 16;

QByteArray defaultRowRecord() {
    QByteArray row;
    for (uint16_t v : {uint16_t(0), uint16_t(0), uint16_t(0), uint16_t(0x00FF), uint16_t(0), uint16_t(0),
                       uint16_t(0x0100), uint16_t(0x000F)}) {
        putU16(row, v);
    }
    return row;
}

void writeCell(RecordWriter& w, const Sheet& sheet, int row, const Cell& cell) {
    QByteArray p;
    p.reserve(24);
    putU16(p, uint16_t(row));
    putU16(p, cell.col);
    putU16(p, cell.xf);
    switch (cell.kind) {
        case CellKind::Blank:
            w.write(rid::Blank, p);
            return;
        case CellKind::Number:
            putDouble(p, cell.number);
            w.write(rid::Number, p);
            return;
        case CellKind::Rk:
            putU32(p, cell.index);
            w.write(rid::Rk, p);
            return;
        case CellKind::Sst:
            putU32(p, cell.index);
            w.write(rid::LabelSst, p);
            return;
        case CellKind::BoolErr:
            putU8(p, cell.boolValue);
            putU8(p, cell.isError);
            w.write(rid::BoolErr, p);
            return;
        case CellKind::Formula: {
            const FormulaCell& f = sheet.formulas[cell.index];
            p.append(f.body);
            w.write(rid::Formula, p);
            if (f.stringResult) {
                w.write(rid::String, *f.stringResult);
            }
            return;
        }
    }
}

QByteArray dimensions(const Sheet& sheet) {
    int firstRow = -1, lastRow = -1, firstCol = MaxColumns, lastCol = -1;
    for (const auto& [row, r] : sheet.rows) {
        if (r.cells.empty()) {
            continue;
        }
        if (firstRow < 0) {
            firstRow = row;
        }
        lastRow = row;
        firstCol = std::min<int>(firstCol, r.cells.front().col);
        lastCol = std::max<int>(lastCol, r.cells.back().col);
    }
    QByteArray p;
    putU32(p, uint32_t(firstRow < 0 ? 0 : firstRow));
    putU32(p, uint32_t(lastRow + 1));
    putU16(p, uint16_t(firstRow < 0 ? 0 : firstCol));
    putU16(p, uint16_t(lastCol + 1));
    putU16(p, 0);
    return p;
}

void writeBreaks(RecordWriter& w, const std::vector<CellRange>& breaks) {
    if (breaks.empty()) {
        return;
    }
    QByteArray p;
    putU16(p, uint16_t(breaks.size()));
    for (const CellRange& b : breaks) {
        putU16(p, uint16_t(b.firstRow));
        putU16(p, uint16_t(b.firstCol));
        putU16(p, uint16_t(b.lastCol));
    }
    w.write(rid::HorizontalPageBreaks, p);
}

void writeMerges(RecordWriter& w, const std::vector<CellRange>& merges) {
    for (size_t start = 0; start < merges.size(); start += MergesPerRecord) {
        const size_t count = std::min<size_t>(MergesPerRecord, merges.size() - start);
        QByteArray p;
        putU16(p, uint16_t(count));
        for (size_t k = start; k < start + count; ++k) {
            putU16(p, uint16_t(merges[k].firstRow));
            putU16(p, uint16_t(merges[k].lastRow));
            putU16(p, uint16_t(merges[k].firstCol));
            putU16(p, uint16_t(merges[k].lastCol));
        }
        w.write(rid::MergedCells, p);
    }
}

void writeWorksheet(QByteArray& out, const Sheet& sheet) {
    RecordWriter w(out);
    int blockCount = 0;
    int lastBlock = -1;
    for (const auto& [row, r] : sheet.rows) {
        if (row / RowsPerBlock != lastBlock) {
            lastBlock = row / RowsPerBlock;
            ++blockCount;
        }
    }

    size_t next = 0;
    w.write(sheet.before[next++]);  // BOF
    if (next < sheet.before.size() && sheet.before[next].id == rid::Uncalced) {
        w.write(sheet.before[next++]);
    }
    const qint64 indexAt = w.pos();
    w.write(rid::Index, QByteArray(IndexFixedSize + 4 * blockCount, '\0'));
    qint64 defColWidthAt = 0;
    for (; next <= sheet.before.size(); ++next) {
        if (int(next) == sheet.pageBreakSlot) {
            writeBreaks(w, sheet.pageBreaks);
        }
        if (next == sheet.before.size()) {
            break;
        }
        if (sheet.before[next].id == rid::DefColWidth) {
            defColWidthAt = w.pos();
        }
        w.write(sheet.before[next]);
    }
    w.write(rid::Dimensions, dimensions(sheet));

    std::vector<qint64> dbCells;
    const QByteArray defaultRow = defaultRowRecord();
    for (auto block = sheet.rows.begin(); block != sheet.rows.end();) {
        const int blockNo = block->first / RowsPerBlock;
        auto end = block;
        while (end != sheet.rows.end() && end->first / RowsPerBlock == blockNo) {
            ++end;
        }
        const qint64 firstRowAt = w.pos();
        for (auto it = block; it != end; ++it) {
            QByteArray row = it->second.rowRecord.isEmpty() ? defaultRow : it->second.rowRecord;
            setU16(row.data(), uint16_t(it->first));
            const auto& cells = it->second.cells;
            setU16(row.data() + 2, cells.empty() ? 0 : cells.front().col);
            setU16(row.data() + 4, cells.empty() ? 0 : uint16_t(cells.back().col + 1));
            w.write(rid::Row, row);
        }
        QByteArray dbCell;
        qint64 previous = firstRowAt + RowRecordSize;
        std::vector<uint16_t> offsets;
        for (auto it = block; it != end; ++it) {
            offsets.push_back(uint16_t(w.pos() - previous));
            previous = w.pos();
            for (const Cell& cell : it->second.cells) {
                writeCell(w, sheet, it->first, cell);
            }
        }
        putU32(dbCell, uint32_t(w.pos() - firstRowAt));
        for (uint16_t o : offsets) {
            putU16(dbCell, o);
        }
        dbCells.push_back(w.pos());
        w.write(rid::DbCell, dbCell);
        block = end;
    }

    for (size_t k = 0; k <= sheet.after.size(); ++k) {
        if (int(k) == sheet.mergeSlot) {
            writeMerges(w, sheet.merges);
        }
        if (k < sheet.after.size()) {
            w.write(sheet.after[k]);
        }
    }

    char* index = out.data() + indexAt + 4;
    setU32(index + 4, uint32_t(sheet.rows.empty() ? 0 : sheet.rows.begin()->first));
    setU32(index + 8, uint32_t(sheet.rows.empty() ? 0 : sheet.rows.rbegin()->first + 1));
    setU32(index + 12, uint32_t(defColWidthAt));
    for (size_t k = 0; k < dbCells.size(); ++k) {
        setU32(index + IndexFixedSize + 4 * k, uint32_t(dbCells[k]));
    }
}

}  // namespace

QByteArray serializeWorkbook(const Workbook& book) {
    QByteArray out;
    RecordWriter w(out);
    uint32_t stringRefs = 0;
    for (const Sheet& sheet : book.sheets) {
        for (const auto& [row, r] : sheet.rows) {
            stringRefs += uint32_t(std::count_if(r.cells.begin(), r.cells.end(),
                                                 [](const Cell& c) { return c.kind == CellKind::Sst; }));
        }
    }
    std::vector<qint64> boundSheetAt;
    for (size_t k = 0; k < book.globals.size(); ++k) {
        if (int(k) == book.sstSlot && book.sst.size() > 0) {
            book.sst.write(w, stringRefs);
        }
        if (book.globals[k].id == rid::BoundSheet) {
            boundSheetAt.push_back(w.pos());
        }
        w.write(book.globals[k]);
    }
    for (size_t k = 0; k < book.sheets.size(); ++k) {
        if (k < boundSheetAt.size()) {
            setU32(out.data() + boundSheetAt[k] + 4, uint32_t(out.size()));
        }
        const Sheet& sheet = book.sheets[k];
        if (sheet.isWorksheet) {
            writeWorksheet(out, sheet);
        } else {
            for (const BiffRecord& rec : sheet.records) {
                w.write(rec);
            }
        }
    }
    return out;
}

}  // namespace tervalo::report
