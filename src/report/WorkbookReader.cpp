// Reads a BIFF8 Workbook stream into the Workbook model.
//
// Cell records (rw:u16 col:u16 xf:u16 first):
//   BLANK 0x0201 -  NUMBER 0x0203 +double  RK 0x027E +rk:u32  LABELSST 0x00FD +isst:u32
//   BOOLERR 0x0205 +value:u8 fError:u8  LABEL 0x0204 +XLUnicodeString  FORMULA 0x0006 +FormulaCell body
//   MULRK 0x00BD rw colFirst {xf rk}... colLast  MULBLANK 0x00BE rw colFirst {xf}... colLast
// SHRFMLA 0x04BC: rwFirst:u16 rwLast:u16 colFirst:u8 colLast:u8 reserved:u8 cUse:u8 cce:u16 rgce rgcb
// BOUNDSHEET 0x0085: lbPlyPos:u32 hsState:u8 dt:u8 cch:u8 flags:u8 name
// NAME 0x0018: grbit:u16 chKey:u8 cch:u8 cce:u16 ixals:u16 itab:u16 4 length bytes, flags:u8 name, rgce
#include "report/ByteIo.h"
#include "report/Formula.h"
#include "report/Workbook.h"

#include <algorithm>
#include <map>

namespace tervalo::report {

void sortCells(std::vector<Cell>& cells) {
    std::stable_sort(cells.begin(), cells.end(), [](const Cell& a, const Cell& b) { return a.col < b.col; });
    std::vector<Cell> unique;
    unique.reserve(cells.size());
    for (const Cell& c : cells) {
        if (!unique.empty() && unique.back().col == c.col) {
            unique.back() = c;
        } else {
            unique.push_back(c);
        }
    }
    cells.swap(unique);
}

namespace {

constexpr uint16_t Biff8Version = 0x0600;
constexpr uint16_t BofWorksheet = 0x0010;
constexpr uint16_t SharedFormulaBit = 0x0008;

QString readString(ByteCursor& in, int cch) {
    const bool wide = (in.u8() & 0x01) != 0;
    QString text;
    text.reserve(cch);
    for (int i = 0; i < cch; ++i) {
        text.append(QChar(wide ? in.u16() : char16_t(in.u8())));
    }
    return text;
}

struct SharedFormula {
    QByteArray rgce;
    QByteArray rgcb;
};

class SheetReader {
public:
    SheetReader(Workbook& book, Sheet& sheet) : m_book(book), m_sheet(sheet) {}

    void read(const std::vector<BiffRecord>& records, size_t bof) {
        int depth = 0;
        for (size_t i = bof; i < records.size(); ++i) {
            const BiffRecord& rec = records[i];
            if (rec.id == rid::Bof) {
                ++depth;
            }
            if (rec.id == rid::Eof && --depth == 0) {
                m_sheet.after.push_back(rec);
                break;
            }
            if (depth > 1 || !take(rec)) {
                bucket().push_back(rec);
            }
        }
        resolveSharedFormulas();
        if (!m_sheet.objectRecords.isEmpty() && !m_drawing.isEmpty()) {
            m_sheet.objectsLastRow =
                std::max(m_sheet.objectsLastRow, lowestAnchoredRow(m_drawing, 0, m_drawing.size()));
        }
        for (auto& [row, sheetRow] : m_sheet.rows) {
            sortCells(sheetRow.cells);
        }
        if (m_sheet.pageBreakSlot < 0) {
            m_sheet.pageBreakSlot = defaultPageBreakSlot();
        }
        if (m_sheet.mergeSlot < 0) {
            m_sheet.mergeSlot = int(m_sheet.after.size()) - 1;
        }
    }

private:
    std::vector<BiffRecord>& bucket() { return m_inCellTable ? m_sheet.after : m_sheet.before; }

    // Takes a record into the model; false leaves it to be kept as it is.
    bool take(const BiffRecord& rec) {
        ByteCursor in(rec.data, rec.offset + 4);
        switch (rec.id) {
            case rid::Index:
            case rid::DbCell:
                return true;
            case rid::Dimensions:
                m_inCellTable = true;
                return true;
            case rid::Row: {
                const uint16_t row = in.u16();
                m_sheet.rows[row].rowRecord = rec.data;
                m_inCellTable = true;
                return true;
            }
            case rid::Blank:
            case rid::Number:
            case rid::Rk:
            case rid::LabelSst:
            case rid::BoolErr:
            case rid::Label:
            case rid::RString:
            case rid::Formula:
                readCell(rec.id, in);
                m_inCellTable = true;
                return true;
            case rid::MulRk:
            case rid::MulBlank:
                readMulCell(rec.id == rid::MulRk, in);
                m_inCellTable = true;
                return true;
            case rid::String:
                if (m_lastFormula >= 0) {
                    m_sheet.formulas[size_t(m_lastFormula)].stringResult = rec.data;
                }
                return true;
            case rid::ShrFmla: {
                const uint16_t firstRow = in.u16();
                in.u16();
                const uint8_t firstCol = in.u8();
                in.skip(3);
                const uint16_t cce = in.u16();
                SharedFormula shared{in.bytes(cce), {}};
                shared.rgcb = in.bytes(in.remaining());
                m_shared[{firstRow, firstCol}] = shared;
                return true;
            }
            case rid::Array:
            case rid::Table:
                throw ReportError(QStringLiteral("List „%1“ obsahuje maticový vzorec nebo tabulku dat, "
                                                 "které šablona sestavy nesmí obsahovat.")
                                      .arg(m_sheet.name));
            case rid::MergedCells: {
                const uint16_t count = in.u16();
                for (uint16_t k = 0; k < count; ++k) {
                    CellRange r;
                    r.firstRow = in.u16();
                    r.lastRow = in.u16();
                    r.firstCol = in.u16();
                    r.lastCol = in.u16();
                    m_sheet.merges.push_back(r);
                }
                if (m_sheet.mergeSlot < 0) {
                    m_sheet.mergeSlot = int(m_sheet.after.size());
                }
                return true;
            }
            case rid::HorizontalPageBreaks: {
                const uint16_t count = in.u16();
                for (uint16_t k = 0; k < count; ++k) {
                    CellRange r;
                    r.firstRow = in.u16();
                    r.firstCol = in.u16();
                    r.lastCol = in.u16();
                    m_sheet.pageBreaks.push_back(r);
                }
                if (m_sheet.pageBreakSlot < 0 && !m_inCellTable) {
                    m_sheet.pageBreakSlot = int(m_sheet.before.size());
                }
                return true;
            }
            // Shapes are anchored in the drawing data; a drawing container alone (MSODRAWING without
            // OBJ) holds no shapes, and LibreOffice writes one on every sheet.
            case rid::MsoDrawing:
                m_drawing.append(rec.data);
                return false;
            case rid::Obj:
                noteObject(rec.id, -1);
                return false;
            case rid::Note:
                noteObject(rec.id, in.u16());
                return false;
            case rid::HLink:
                in.u16();
                noteObject(rec.id, in.u16());
                return false;
            case rid::CondFmt:
                in.skip(6);
                noteObject(rec.id, in.u16());
                return false;
            case rid::DVal:
                noteObject(rec.id, MaxRows - 1);
                return false;
            default:
                return false;
        }
    }

    // Records a kind of object that cannot be copied with rows, and the lowest row it touches (-1:
    // given by the drawing's anchors).
    void noteObject(uint16_t id, int lastRow) {
        m_sheet.objectsLastRow = std::max(m_sheet.objectsLastRow, lastRow);
        QString kind;
        switch (id) {
            case rid::Note:
                kind = QStringLiteral("komentáře");
                break;
            case rid::HLink:
                kind = QStringLiteral("hypertextové odkazy");
                break;
            case rid::CondFmt:
                kind = QStringLiteral("podmíněné formáty");
                break;
            case rid::DVal:
                kind = QStringLiteral("ověření dat");
                break;
            default:
                kind = QStringLiteral("kreslené objekty");
                break;
        }
        if (!m_sheet.objectRecords.contains(kind)) {
            m_sheet.objectRecords +=
                (m_sheet.objectRecords.isEmpty() ? QString() : QStringLiteral(", ")) + kind;
        }
    }

    void addCell(uint16_t row, const Cell& cell) {
        if (cell.col >= MaxColumns) {
            throw XlsFormatError(QStringLiteral("buňka ve sloupci %1").arg(cell.col), 0);
        }
        m_sheet.rows[row].cells.push_back(cell);
    }

    void readCell(uint16_t id, ByteCursor& in) {
        const uint16_t row = in.u16();
        Cell cell;
        cell.col = in.u16();
        cell.xf = in.u16();
        switch (id) {
            case rid::Blank:
                break;
            case rid::Number:
                cell.kind = CellKind::Number;
                in.need(8);
                cell.number = getDouble(in.bytes(8).constData());
                break;
            case rid::Rk:
                cell.kind = CellKind::Rk;
                cell.index = in.u32();
                break;
            case rid::LabelSst:
                cell.kind = CellKind::Sst;
                cell.index = in.u32();
                if (cell.index >= m_book.sst.size()) {
                    throw XlsFormatError(
                        QStringLiteral("odkaz na neexistující sdílený text %1").arg(cell.index),
                        in.streamOffset());
                }
                break;
            case rid::BoolErr:
                cell.kind = CellKind::BoolErr;
                cell.boolValue = in.u8();
                cell.isError = in.u8();
                break;
            case rid::Label:
            case rid::RString: {
                const uint16_t cch = in.u16();
                cell.kind = CellKind::Sst;
                cell.index = m_book.sst.add(readString(in, cch));
                break;
            }
            case rid::Formula: {
                cell.kind = CellKind::Formula;
                cell.index = uint32_t(m_sheet.formulas.size());
                m_lastFormula = int(cell.index);
                m_sheet.formulas.push_back(FormulaCell{in.bytes(in.remaining()), std::nullopt});
                if (m_sheet.formulas.back().body.size() < 16) {
                    throw XlsFormatError(QStringLiteral("zkrácený vzorec"), in.streamOffset());
                }
                m_formulaCells.push_back({row, cell.col, cell.index});
                break;
            }
            default:
                break;
        }
        addCell(row, cell);
    }

    void readMulCell(bool numbers, ByteCursor& in) {
        const uint16_t row = in.u16();
        const uint16_t firstCol = in.u16();
        const int itemSize = numbers ? 6 : 2;
        const qsizetype count = (in.remaining() - 2) / itemSize;
        for (qsizetype k = 0; k < count; ++k) {
            Cell cell;
            cell.col = uint16_t(firstCol + k);
            cell.xf = in.u16();
            if (numbers) {
                cell.kind = CellKind::Rk;
                cell.index = in.u32();
            }
            addCell(row, cell);
        }
    }

    void resolveSharedFormulas() {
        for (const auto& [row, col, index] : m_formulaCells) {
            FormulaCell& f = m_sheet.formulas[index];
            const QByteArray rgce = f.body.mid(16, f.cce());
            if (!referencesSharedOrArray(rgce)) {
                continue;
            }
            const auto it =
                rgce.size() == 5 && rgce[0] == 0x01
                    ? m_shared.find({getU16(rgce.constData() + 1), uint8_t(getU16(rgce.constData() + 3))})
                    : m_shared.end();
            if (it == m_shared.end()) {
                throw ReportError(QStringLiteral("List „%1“ obsahuje maticový vzorec, který šablona sestavy "
                                                 "nesmí obsahovat.")
                                      .arg(m_sheet.name));
            }
            const QByteArray plain = sharedToPlain(it->second.rgce, row, col);
            QByteArray body = f.body.left(14);
            setU16(body.data() + 8, uint16_t(getU16(body.constData() + 8) & ~SharedFormulaBit));
            putU16(body, uint16_t(plain.size()));
            body.append(plain);
            body.append(it->second.rgcb);
            f.body = body;
        }
    }

    int defaultPageBreakSlot() const {
        static const uint16_t pageSetup[] = {0x001A, 0x0014, 0x0015, 0x0083, 0x0084, 0x0026, 0x0027,
                                             0x0028, 0x0029, 0x004D, 0x00A1, 0x0055, 0x007D, 0x0099};
        for (size_t i = 0; i < m_sheet.before.size(); ++i) {
            if (std::find(std::begin(pageSetup), std::end(pageSetup), m_sheet.before[i].id) !=
                std::end(pageSetup)) {
                return int(i);
            }
        }
        return int(m_sheet.before.size());
    }

    struct FormulaAt {
        uint16_t row;
        uint16_t col;
        uint32_t index;
    };

    // OfficeArt records: verInstance:u16 (version 0xF: a container of further records), type:u16, len:u32.
    // A client anchor (0xF010) holds flags, col1, dx1, row1, dy1, col2, dx2, row2, dy2 (u16 each).
    static int lowestAnchoredRow(const QByteArray& d, qsizetype from, qsizetype to) {
        constexpr uint16_t ClientAnchor = 0xF010;
        int lowest = -1;
        for (qsizetype pos = from; pos + 8 <= to;) {
            const bool container = (getU16(d.constData() + pos) & 0x0F) == 0x0F;
            const uint16_t type = getU16(d.constData() + pos + 2);
            const qsizetype len = getU32(d.constData() + pos + 4);
            if (pos + 8 + len > to) {
                return MaxRows - 1;  // cannot tell where the shapes are: treat them as everywhere
            }
            if (container) {
                lowest = std::max(lowest, lowestAnchoredRow(d, pos + 8, pos + 8 + len));
            } else if (type == ClientAnchor && len >= 18) {
                lowest = std::max<int>(lowest, getU16(d.constData() + pos + 8 + 14));
            }
            pos += 8 + len;
        }
        return lowest;
    }

    Workbook& m_book;
    Sheet& m_sheet;
    QByteArray m_drawing;
    bool m_inCellTable = false;
    int m_lastFormula = -1;
    std::vector<FormulaAt> m_formulaCells;
    std::map<std::pair<uint16_t, uint8_t>, SharedFormula> m_shared;
};

struct SheetEntry {
    uint32_t offset;
    uint8_t type;
    QString name;
};

void checkBof(const BiffRecord& bof) {
    if (bof.data.size() < 4 || getU16(bof.data.constData()) != Biff8Version) {
        throw ReportError(
            QStringLiteral("Šablona je uložena ve starém formátu (Excel 5.0/95 nebo starší); "
                           "uložte ji jako sešit Excel 97–2003."));
    }
}

DefinedName readName(const BiffRecord& rec, int recordIndex) {
    ByteCursor in(rec.data, rec.offset + 4);
    DefinedName name;
    name.recordIndex = recordIndex;
    const uint16_t grbit = in.u16();
    in.u8();
    const uint8_t cch = in.u8();
    name.cce = in.u16();
    in.u16();
    name.itab = in.u16();
    in.skip(4);
    name.builtin = (grbit & 0x0020) != 0;
    const QString text = readString(in, cch);
    if (!name.builtin) {
        name.name = text;
    }
    name.rgceOffset = int(in.pos());
    in.need(name.cce);
    return name;
}

}  // namespace

int FormulaCell::cce() const {
    return getU16(body.constData() + 14);
}

int Sheet::lastUsedRow() const {
    int last = rows.empty() ? -1 : rows.rbegin()->first;
    for (const CellRange& m : merges) {
        last = std::max(last, m.lastRow);
    }
    for (const CellRange& b : pageBreaks) {
        last = std::max(last, b.firstRow);
    }
    return last;
}

std::optional<int> Workbook::sheetOfXti(int ixti) const {
    if (ixti < 0 || ixti >= int(externSheets.size()) || externSheets[size_t(ixti)] < 0) {
        return std::nullopt;
    }
    return externSheets[size_t(ixti)];
}

Workbook parseWorkbook(const QByteArray& stream) {
    const std::vector<BiffRecord> records = readRecords(stream);
    if (records.empty() || records.front().id != rid::Bof) {
        throw XlsFormatError(QStringLiteral("datový proud nezačíná záznamem BOF"), 0);
    }
    checkBof(records.front());

    Workbook book;
    std::vector<SheetEntry> entries;
    std::vector<bool> internalSupBook;
    size_t i = 0;
    for (; i < records.size(); ++i) {
        const BiffRecord& rec = records[i];
        ByteCursor in(rec.data, rec.offset + 4);
        switch (rec.id) {
            case rid::FilePass:
                throw ReportError(
                    QStringLiteral("Šablona je chráněna heslem (zašifrována); uložte ji bez hesla."));
            case rid::ObProj:
                throw ReportError(QStringLiteral("Šablona obsahuje makra; uložte ji jako sešit bez maker."));
            case rid::Sst:
                book.sst = SharedStringTable::parse(rec);
                book.sstSlot = int(book.globals.size());
                continue;
            case rid::ExtSst:
                continue;
            case rid::BoundSheet: {
                SheetEntry e;
                e.offset = in.u32();
                in.u8();
                e.type = in.u8();
                const uint8_t cch = in.u8();
                e.name = readString(in, cch);
                entries.push_back(e);
                break;
            }
            case rid::SupBook:
                internalSupBook.push_back(rec.data.size() == 4 && getU16(rec.data.constData() + 2) == 0x0401);
                break;
            case rid::ExternSheet: {
                const uint16_t count = in.u16();
                for (uint16_t k = 0; k < count; ++k) {
                    const uint16_t supBook = in.u16();
                    const int16_t first = int16_t(in.u16());
                    const int16_t last = int16_t(in.u16());
                    const bool internal = supBook < internalSupBook.size() && internalSupBook[supBook];
                    book.externSheets.push_back(internal && first == last && first >= 0 ? first : -1);
                }
                break;
            }
            case rid::Name:
                book.names.push_back(readName(rec, int(book.globals.size())));
                break;
            case rid::DateMode:
                book.dates1904 = rec.data.size() >= 2 && getU16(rec.data.constData()) == 1;
                break;
            default:
                break;
        }
        book.globals.push_back(rec);
        if (rec.id == rid::Eof) {
            break;
        }
    }
    if (book.sstSlot < 0) {
        book.sstSlot = int(book.globals.size()) - 1;
    }

    std::map<qint64, size_t> bofAt;
    for (size_t k = i + 1; k < records.size(); ++k) {
        if (records[k].id == rid::Bof) {
            bofAt.emplace(records[k].offset, k);
            int depth = 1;
            while (depth > 0 && ++k < records.size()) {
                depth += records[k].id == rid::Bof ? 1 : records[k].id == rid::Eof ? -1 : 0;
            }
        }
    }
    for (const SheetEntry& e : entries) {
        const auto at = bofAt.find(e.offset);
        if (at == bofAt.end()) {
            throw XlsFormatError(QStringLiteral("list „%1“ nezačíná na udané pozici").arg(e.name), e.offset);
        }
        Sheet sheet;
        sheet.name = e.name;
        sheet.type = e.type;
        const BiffRecord& bof = records[at->second];
        checkBof(bof);
        sheet.isWorksheet = e.type == 0 && getU16(bof.data.constData() + 2) == BofWorksheet;
        if (e.type == 1 || e.type == 6) {
            throw ReportError(QStringLiteral("Šablona obsahuje makra; uložte ji jako sešit bez maker."));
        }
        if (sheet.isWorksheet) {
            SheetReader(book, sheet).read(records, at->second);
        } else {
            int depth = 0;
            for (size_t k = at->second; k < records.size(); ++k) {
                sheet.records.push_back(records[k]);
                depth += records[k].id == rid::Bof ? 1 : records[k].id == rid::Eof ? -1 : 0;
                if (depth == 0) {
                    break;
                }
            }
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

}  // namespace tervalo::report
