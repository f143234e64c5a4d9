#include "XlsTestSupport.h"

#include "report/BiffRecord.h"
#include "report/ByteIo.h"
#include "report/CompoundFile.h"
#include "report/RkValue.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace tervalo::report::test {

namespace {

void record(QByteArray& out, uint16_t id, const QByteArray& payload) {
    putU16(out, id);
    putU16(out, uint16_t(payload.size()));
    out.append(payload);
}

QByteArray u16s(std::initializer_list<int> values) {
    QByteArray p;
    for (int v : values) {
        putU16(p, uint16_t(v));
    }
    return p;
}

QByteArray bof(uint16_t version, uint16_t type) {
    QByteArray p = u16s({version, type, 0x0DBB, 0x07CC});
    putU32(p, 0);
    putU32(p, 0x0206);
    return p;
}

std::pair<int, int> parseCell(const QString& ref) {
    static const QRegularExpression re(QStringLiteral("^\\$?([A-Z]+)\\$?([0-9]+)$"));
    const auto m = re.match(ref);
    EXPECT_TRUE(m.hasMatch()) << ref.toStdString();
    int col = 0;
    for (QChar c : m.captured(1)) {
        col = col * 26 + (c.unicode() - 'A' + 1);
    }
    return {m.captured(2).toInt() - 1, col - 1};
}

// "B2", "B2:B4", or "1!B2:B4" for a range on the sheet with that index.
QByteArray refToken(const QString& ref) {
    QByteArray t;
    const qsizetype bang = ref.indexOf(QLatin1Char('!'));
    const QString cells = ref.mid(bang + 1);
    if (cells.contains(QLatin1Char(':'))) {
        const auto a = parseCell(cells.section(QLatin1Char(':'), 0, 0));
        const auto b = parseCell(cells.section(QLatin1Char(':'), 1, 1));
        if (bang >= 0) {
            putU8(t, 0x3B);
            putU16(t, uint16_t(ref.left(bang).toInt()));
        } else {
            putU8(t, 0x25);
        }
        t.append(u16s({a.first, b.first, a.second | 0xC000, b.second | 0xC000}));
    } else {
        const auto a = parseCell(cells);
        putU8(t, 0x44);
        t.append(u16s({a.first, a.second | 0xC000}));
    }
    return t;
}

QByteArray formulaTokens(const QString& text) {
    static const QRegularExpression sum(QStringLiteral("^SUM\\((.+)\\)$"));
    static const QRegularExpression product(QStringLiteral("^(.+)\\*([0-9]+)$"));
    if (const auto m = sum.match(text); m.hasMatch()) {
        QByteArray t = refToken(m.captured(1));
        t.append(QByteArray::fromHex("19100000"));  // tAttrSum
        return t;
    }
    if (const auto m = product.match(text); m.hasMatch()) {
        QByteArray t = refToken(m.captured(1));
        putU8(t, 0x1E);
        putU16(t, uint16_t(m.captured(2).toInt()));
        putU8(t, 0x05);
        return t;
    }
    return refToken(text);
}

QString colName(int col) {
    QString name;
    for (++col; col > 0; col = (col - 1) / 26) {
        name.prepend(QChar(u'A' + (col - 1) % 26));
    }
    return name;
}

QString formulaText(const QByteArray& body) {
    const int cce = getU16(body.constData() + 14);
    const char* p = body.constData() + 16;
    QStringList stack;
    for (int pos = 0; pos < cce;) {
        const uint8_t ptg = uint8_t(p[pos]);
        const uint8_t base = ptg < 0x20 ? ptg : uint8_t((ptg & 0x1F) | 0x20);
        switch (base) {
            case 0x24:
                stack << cellName(getU16(p + pos + 1), getU16(p + pos + 3) & 0xFF);
                pos += 5;
                break;
            case 0x25:
                stack << cellName(getU16(p + pos + 1), getU16(p + pos + 5) & 0xFF) + QLatin1Char(':') +
                             cellName(getU16(p + pos + 3), getU16(p + pos + 7) & 0xFF);
                pos += 9;
                break;
            case 0x3B:
                stack << QString::number(getU16(p + pos + 1)) + QLatin1Char('!') +
                             cellName(getU16(p + pos + 3), getU16(p + pos + 7) & 0xFF) + QLatin1Char(':') +
                             cellName(getU16(p + pos + 5), getU16(p + pos + 9) & 0xFF);
                pos += 11;
                break;
            case 0x2A:
                stack << QStringLiteral("#REF!");
                pos += 5;
                break;
            case 0x2B:
                stack << QStringLiteral("#REF!");
                pos += 9;
                break;
            case 0x1E:
                stack << QString::number(getU16(p + pos + 1));
                pos += 3;
                break;
            case 0x05: {
                const QString b = stack.takeLast();
                stack << stack.takeLast() + QLatin1Char('*') + b;
                pos += 1;
                break;
            }
            case 0x19:
                if (uint8_t(p[pos + 1]) & 0x10) {
                    stack << QStringLiteral("SUM(") + stack.takeLast() + QLatin1Char(')');
                }
                pos += 4;
                break;
            default:
                return QStringLiteral("=?%1").arg(ptg, 2, 16, QLatin1Char('0'));
        }
    }
    return QLatin1Char('=') + stack.join(QLatin1Char(','));
}

QString cellText(const Workbook& book, const Sheet& sheet, const Cell& cell) {
    switch (cell.kind) {
        case CellKind::Blank:
            return {};
        case CellKind::Number:
            return QString::number(cell.number, 'g', 15);
        case CellKind::Rk:
            return QString::number(decodeRk(cell.index), 'g', 15);
        case CellKind::Sst:
            return book.sst.text(cell.index);
        case CellKind::BoolErr:
            if (cell.isError) {
                return QStringLiteral("#ERR%1").arg(cell.boolValue);
            }
            return cell.boolValue ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case CellKind::Formula:
            return formulaText(sheet.formulas[cell.index].body);
    }
    return {};
}

const Sheet& sheetOf(const Workbook& book, int sheet) {
    return book.sheets.at(size_t(sheet));
}

}  // namespace

QString cellName(int row, int col) {
    return colName(col) + QString::number(row + 1);
}

QByteArray buildWorkbook(const std::vector<TemplateSheet>& sheets, const BuildOptions& options) {
    SharedStringTable sst;
    std::vector<QByteArray> bodies;
    for (const TemplateSheet& sheet : sheets) {
        QByteArray body;
        record(body, rid::Bof, bof(options.biffVersion, 0x0010));
        if (!sheet.pageBreaks.empty()) {
            QByteArray p;
            putU16(p, uint16_t(sheet.pageBreaks.size()));
            for (int row : sheet.pageBreaks) {
                p.append(u16s({row - 1, 0, 255}));
            }
            record(body, rid::HorizontalPageBreaks, p);
        }
        record(body, rid::DefColWidth, u16s({8}));
        record(body, rid::Dimensions, QByteArray(14, '\0'));
        for (qsizetype r = 0; r < sheet.rows.size(); ++r) {
            const QStringList cells = sheet.rows[r].split(QLatin1Char('|'));
            for (qsizetype c = 0; c < cells.size(); ++c) {
                const QString& text = cells[c];
                if (text.isEmpty()) {
                    continue;
                }
                QByteArray p = u16s({int(r), int(c), 15});
                bool isNumber = false;
                const double number = text.toDouble(&isNumber);
                if (text.startsWith(QLatin1Char('='))) {
                    const QByteArray rgce = formulaTokens(text.mid(1));
                    putDouble(p, 0);
                    p.append(u16s({0}));
                    putU32(p, 0);
                    putU16(p, uint16_t(rgce.size()));
                    p.append(rgce);
                    record(body, rid::Formula, p);
                } else if (isNumber) {
                    putDouble(p, number);
                    record(body, rid::Number, p);
                } else {
                    putU32(p, sst.add(text));
                    record(body, rid::LabelSst, p);
                }
            }
        }
        if (!sheet.merges.empty()) {
            QByteArray p;
            putU16(p, uint16_t(sheet.merges.size()));
            for (const CellRange& m : sheet.merges) {
                p.append(u16s({m.firstRow - 1, m.lastRow - 1, m.firstCol, m.lastCol}));
            }
            record(body, rid::MergedCells, p);
        }
        record(body, rid::Eof, {});
        bodies.push_back(body);
    }

    QByteArray globals;
    record(globals, rid::Bof, bof(options.biffVersion, 0x0005));
    if (options.encrypted) {
        record(globals, rid::FilePass, u16s({0}));
    }
    record(globals, 0x0042, u16s({1200}));
    if (options.macros) {
        record(globals, rid::ObProj, {});
    }
    if (options.dates1904) {
        record(globals, rid::DateMode, u16s({1}));
    }
    std::vector<qsizetype> boundSheets;
    for (const TemplateSheet& sheet : sheets) {
        boundSheets.push_back(globals.size());
        QByteArray p;
        putU32(p, 0);
        p.append(u16s({0}));
        putU8(p, uint8_t(sheet.name.size()));
        putU8(p, 1);
        for (QChar ch : sheet.name) {
            putU16(p, ch.unicode());
        }
        record(globals, rid::BoundSheet, p);
    }
    record(globals, rid::SupBook, u16s({int(sheets.size()), 0x0401}));
    QByteArray xti = u16s({int(sheets.size())});
    for (size_t s = 0; s < sheets.size(); ++s) {
        xti.append(u16s({0, int(s), int(s)}));
    }
    record(globals, rid::ExternSheet, xti);
    for (size_t s = 0; s < sheets.size(); ++s) {
        for (const TemplateBand& band : sheets[s].bands) {
            QByteArray p = u16s({0});
            putU8(p, 0);
            putU8(p, uint8_t(band.name.size()));
            p.append(u16s({11, 0, 0, 0, 0}));
            putU8(p, 0);
            p.append(band.name.toLatin1());
            putU8(p, 0x3B);
            const int relative = band.relative ? 0xC000 : 0;
            p.append(u16s({int(s), band.firstRow - 1, band.lastRow - 1, relative, 255 | relative}));
            record(globals, rid::Name, p);
        }
    }
    RecordWriter writer(globals);  // the globals start the stream, so positions are absolute
    sst.write(writer, 0);
    record(globals, rid::Eof, {});

    QByteArray stream = globals;
    for (size_t s = 0; s < bodies.size(); ++s) {
        setU32(stream.data() + boundSheets[s] + 4, uint32_t(stream.size()));
        stream.append(bodies[s]);
    }
    return stream;
}

QStringList readGrid(const QByteArray& stream, int sheetIndex) {
    const Workbook book = parseWorkbook(stream);
    const Sheet& sheet = sheetOf(book, sheetIndex);
    QStringList grid;
    for (const auto& [row, r] : sheet.rows) {
        while (grid.size() <= row) {
            grid << QString();
        }
        QStringList cells;
        for (const Cell& cell : r.cells) {
            while (cells.size() < cell.col) {
                cells << QString();
            }
            cells << cellText(book, sheet, cell);
        }
        while (!cells.isEmpty() && cells.back().isEmpty()) {
            cells.removeLast();
        }
        grid[row] = cells.join(QLatin1Char('|'));
    }
    while (!grid.isEmpty() && grid.back().isEmpty()) {
        grid.removeLast();
    }
    return grid;
}

QStringList readMerges(const QByteArray& stream, int sheet) {
    const Workbook book = parseWorkbook(stream);
    QStringList merges;
    for (const CellRange& m : sheetOf(book, sheet).merges) {
        merges << cellName(m.firstRow, m.firstCol) + QLatin1Char(':') + cellName(m.lastRow, m.lastCol);
    }
    return merges;
}

std::vector<int> readPageBreaks(const QByteArray& stream, int sheet) {
    const Workbook book = parseWorkbook(stream);
    std::vector<int> rows;
    for (const CellRange& b : sheetOf(book, sheet).pageBreaks) {
        rows.push_back(b.firstRow + 1);
    }
    return rows;
}

QStringList checkStructure(const QByteArray& stream) {
    QStringList problems;
    struct Physical {
        qsizetype at;
        uint16_t id;
        QByteArray data;
    };
    std::vector<Physical> records;
    std::map<qsizetype, size_t> recordAt;
    for (qsizetype pos = 0; pos + 4 <= stream.size();) {
        const uint16_t id = getU16(stream.constData() + pos);
        const uint16_t len = getU16(stream.constData() + pos + 2);
        if (id == 0 && len == 0) {
            break;
        }
        if (len > MaxRecordPayload) {
            problems << QStringLiteral("record 0x%1 at %2 has %3 bytes").arg(id, 4, 16).arg(pos).arg(len);
        }
        recordAt[pos] = records.size();
        records.push_back({pos, id, stream.mid(pos + 4, len)});
        pos += 4 + len;
    }
    const auto idAt = [&](qint64 pos) -> int {
        const auto it = recordAt.find(qsizetype(pos));
        return it == recordAt.end() ? -1 : records[it->second].id;
    };

    uint32_t uniqueStrings = 0;
    std::vector<uint32_t> sheetOffsets;
    size_t k = 0;
    for (; k < records.size(); ++k) {
        const Physical& r = records[k];
        if (r.id == rid::Sst) {
            uniqueStrings = getU32(r.data.constData() + 4);
            if (k + 1 >= records.size() ||
                (records[k + 1].id != rid::ExtSst && records[k + 1].id != rid::Continue)) {
                problems << QStringLiteral("SST without EXTSST");
            }
        }
        if (r.id == rid::BoundSheet) {
            sheetOffsets.push_back(getU32(r.data.constData()));
        }
        if (r.id == rid::Eof) {
            break;
        }
    }
    for (uint32_t offset : sheetOffsets) {
        if (idAt(offset) != rid::Bof) {
            problems << QStringLiteral("BOUNDSHEET offset %1 is not on a BOF").arg(offset);
            continue;
        }
        const QString where = QStringLiteral("sheet at %1: ").arg(offset);
        std::vector<std::pair<int, int>> cells;
        std::vector<CellRange> merges;
        std::vector<int> breaks;
        QByteArray dims;
        std::vector<uint32_t> indexedDbCells;
        uint32_t defColWidthAt = 0;
        bool hasIndex = false;
        int dbCellsSeen = 0;
        int depth = 0;
        for (size_t i = recordAt[offset]; i < records.size(); ++i) {
            const Physical& r = records[i];
            depth += r.id == rid::Bof ? 1 : r.id == rid::Eof ? -1 : 0;
            if (depth == 0) {
                break;
            }
            if (depth > 1) {
                continue;
            }
            const char* d = r.data.constData();
            switch (r.id) {
                case rid::Index:
                    hasIndex = true;
                    defColWidthAt = getU32(d + 12);
                    for (qsizetype o = 16; o + 4 <= r.data.size(); o += 4) {
                        indexedDbCells.push_back(getU32(d + o));
                    }
                    break;
                case rid::DefColWidth:
                    if (hasIndex && defColWidthAt != 0 && defColWidthAt != r.at) {
                        problems << where + QStringLiteral("INDEX does not point at DEFCOLWIDTH");
                    }
                    break;
                case rid::Dimensions:
                    dims = r.data;
                    break;
                case rid::DbCell: {
                    ++dbCellsSeen;
                    if (hasIndex && std::find(indexedDbCells.begin(), indexedDbCells.end(), uint32_t(r.at)) ==
                                        indexedDbCells.end()) {
                        problems << where + QStringLiteral("DBCELL at %1 not in INDEX").arg(r.at);
                    }
                    const qint64 firstRow = r.at - getU32(d);
                    if (idAt(firstRow) != rid::Row) {
                        problems << where + QStringLiteral("DBCELL at %1 does not point at a ROW").arg(r.at);
                        break;
                    }
                    qint64 cellPos = firstRow + 20;
                    size_t rowIndex = recordAt[qsizetype(firstRow)];
                    for (qsizetype o = 4; o + 2 <= r.data.size(); o += 2, ++rowIndex) {
                        cellPos += getU16(d + o);
                        const Physical& row = records[rowIndex];
                        const int id = idAt(cellPos);
                        if (row.id != rid::Row) {
                            problems << where + QStringLiteral("DBCELL at %1 lists too many rows").arg(r.at);
                            break;
                        }
                        if (getU16(row.data.constData() + 4) > 0 &&
                            (id < 0 || getU16(records[recordAt[qsizetype(cellPos)]].data.constData()) !=
                                           getU16(row.data.constData()))) {
                            problems << where + QStringLiteral("DBCELL at %1: row %2 offset wrong")
                                                    .arg(r.at)
                                                    .arg(getU16(row.data.constData()));
                        }
                    }
                    break;
                }
                case rid::Blank:
                case rid::Number:
                case rid::Rk:
                case rid::LabelSst:
                case rid::BoolErr:
                case rid::Formula:
                case rid::Label:
                    cells.emplace_back(getU16(d), getU16(d + 2));
                    if (r.id == rid::LabelSst && getU32(d + 6) >= uniqueStrings) {
                        problems << where +
                                        QStringLiteral("LABELSST index %1 out of range").arg(getU32(d + 6));
                    }
                    break;
                case rid::MulRk:
                case rid::MulBlank: {
                    const int first = getU16(d + 2);
                    const int last = getU16(d + r.data.size() - 2);
                    for (int c = first; c <= last; ++c) {
                        cells.emplace_back(getU16(d), c);
                    }
                    break;
                }
                case rid::MergedCells:
                    for (int m = 0; m < getU16(d); ++m) {
                        const char* e = d + 2 + 8 * m;
                        merges.push_back({getU16(e), getU16(e + 2), getU16(e + 4), getU16(e + 6)});
                    }
                    break;
                case rid::HorizontalPageBreaks:
                    for (int b = 0; b < getU16(d); ++b) {
                        breaks.push_back(getU16(d + 2 + 6 * b));
                    }
                    break;
                case rid::ShrFmla:
                case rid::Array:
                case rid::Table:
                    problems << where +
                                    QStringLiteral("shared or array formula record 0x%1").arg(r.id, 0, 16);
                    break;
                default:
                    break;
            }
        }
        if (hasIndex && int(indexedDbCells.size()) != dbCellsSeen) {
            problems << where + QStringLiteral("INDEX lists %1 DBCELLs, sheet has %2")
                                    .arg(indexedDbCells.size())
                                    .arg(dbCellsSeen);
        }
        for (size_t c = 1; c < cells.size(); ++c) {
            if (cells[c] <= cells[c - 1]) {
                problems << where + QStringLiteral("cell %1 after %2 (duplicate or out of order)")
                                        .arg(cellName(cells[c].first, cells[c].second),
                                             cellName(cells[c - 1].first, cells[c - 1].second));
            }
        }
        if (!cells.empty()) {
            if (dims.size() < 12) {
                problems << where + QStringLiteral("no DIMENSIONS");
            } else {
                const uint32_t rwMic = getU32(dims.constData()), rwMac = getU32(dims.constData() + 4);
                const int colMic = getU16(dims.constData() + 8), colMac = getU16(dims.constData() + 10);
                for (const auto& [row, col] : cells) {
                    if (uint32_t(row) < rwMic || uint32_t(row) >= rwMac || col < colMic || col >= colMac) {
                        problems << where + QStringLiteral("DIMENSIONS miss %1").arg(cellName(row, col));
                        break;
                    }
                }
            }
        }
        std::set<std::pair<int, int>> covered;
        for (const CellRange& m : merges) {
            for (int row = m.firstRow; row <= m.lastRow; ++row) {
                for (int col = m.firstCol; col <= m.lastCol; ++col) {
                    if (!covered.insert({row, col}).second) {
                        problems << where + QStringLiteral("merges overlap at %1").arg(cellName(row, col));
                    }
                }
            }
        }
        if (!std::is_sorted(breaks.begin(), breaks.end())) {
            problems << where + QStringLiteral("page breaks not ascending");
        }
    }
    return problems;
}

QByteArray workbookStreamOf(const QString& path) {
    CompoundFile file = CompoundFile::read(path);
    CompoundEntry* workbook = file.find(QStringLiteral("Workbook"));
    return workbook != nullptr ? workbook->data : QByteArray();
}

}  // namespace tervalo::report::test
