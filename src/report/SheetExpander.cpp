#include "report/SheetExpander.h"

#include "report/ReportError.h"
#include "report/RkValue.h"

#include <algorithm>
#include <cmath>

namespace tervalo::report {

namespace {

const QString DeleteRowMarker = QStringLiteral("...delete row...");
const QString PageBreakMarker = QStringLiteral("...page break...");
const QString FieldTag = QStringLiteral("##");
const QString PropertyTag = QStringLiteral("#.");
const QString WholeDataset = QStringLiteral("*");
constexpr int MaxPageBreaks = 1026;
constexpr int WholeDatasetField = -1;
constexpr uint8_t ErrorNum = 0x24;

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

SheetExpander::SheetExpander(const Workbook& templ, int sheetIndex, SharedStringTable& strings,
                             ReportDataSource& source, bool dates1904)
    : m_templ(templ),
      m_sheet(templ.sheets[size_t(sheetIndex)]),
      m_sheetIndex(sheetIndex),
      m_strings(strings),
      m_source(source),
      m_dates1904(dates1904) {}

std::unique_ptr<SheetLayout> SheetExpander::expand(Sheet& out, std::vector<PendingFormula>& formulas) {
    out.name = m_sheet.name;
    out.type = m_sheet.type;
    out.isWorksheet = true;
    out.before = m_sheet.before;
    out.after = m_sheet.after;
    out.pageBreakSlot = m_sheet.pageBreakSlot;
    out.mergeSlot = m_sheet.mergeSlot;
    out.objectRecords = m_sheet.objectRecords;
    m_out = &out;
    m_formulas = &formulas;

    const std::optional<Band> main = findMainBand(m_templ, m_sheetIndex);
    const int templateRows = std::max(m_sheet.lastUsedRow(), main ? main->last : -1) + 1;
    Band root;
    root.last = templateRows - 1;
    if (main) {
        root.children.push_back(*main);
    }
    m_layout = std::make_unique<SheetLayout>(std::move(root), templateRows);
    emitRange(m_layout->root(), 0, templateRows - 1, false);
    m_layout->finish(m_nextRow);
    // Objects stay where they are, so they must lie above every row that moved and above the bands.
    const int firstUnstable = std::min(m_firstMoved, main ? main->first : MaxRows);
    if (!m_sheet.objectRecords.isEmpty() && m_sheet.objectsLastRow >= firstUnstable) {
        throw ReportError(
            QStringLiteral("List „%1“ šablony obsahuje %2 v řádcích, které se při plnění sestavy "
                           "opakují nebo posouvají; v šabloně mohou být jen nad prvním pásem.")
                .arg(m_sheet.name, m_sheet.objectRecords));
    }
    carryMergesAndBreaks();
    return std::move(m_layout);
}

void SheetExpander::emitRange(BandInstance* inst, int from, int to, bool fill) {
    const std::vector<Band>& subBands = inst->band->children;
    size_t next = 0;
    for (int t = from; t <= to;) {
        if (next < subBands.size() && subBands[next].first == t) {
            runBand(inst, next);
            t = subBands[next].last + 1;
            ++next;
        } else {
            emitRow(inst, t, fill);
            ++t;
        }
    }
}

void SheetExpander::runBand(BandInstance* parent, size_t child) {
    const Band& band = parent->band->children[child];
    // A band whose names are not all datasets runs once; otherwise the first dataset drives it.
    ReportDataset* driving = nullptr;
    bool allDatasets = true;
    for (const QString& name : band.datasets) {
        ReportDataset* dataset = datasetNamed(name);
        allDatasets = allDatasets && dataset != nullptr;
        if (driving == nullptr) {
            driving = dataset;
        }
    }
    const auto run = [&] {
        BandInstance* inst = m_layout->newInstance(&band, parent);
        parent->children[child].push_back(inst);
        m_runs[&band].push_back(inst);
        emitRange(inst, band.first, band.last, true);
    };
    if (!allDatasets || driving == nullptr) {
        run();
        return;
    }
    for (driving->first(); !driving->eof(); driving->next()) {
        run();
    }
}

bool SheetExpander::isText(const Cell& cell, const QString& text) const {
    return cell.kind == CellKind::Sst && m_strings.text(cell.index) == text;
}

int SheetExpander::takeOutputRow() {
    if (m_nextRow >= MaxRows) {
        throw ReportError(QStringLiteral("Sestava se nevejde na list „%1“: sešit Excel 97–2003 má nejvýše "
                                         "65 536 řádků.")
                              .arg(m_sheet.name));
    }
    return m_nextRow++;
}

void SheetExpander::emitRow(BandInstance* inst, int templateRow, bool fill) {
    const auto found = m_sheet.rows.find(templateRow);
    const SheetRow* source = found == m_sheet.rows.end() ? nullptr : &found->second;
    std::vector<Cell> cells;
    std::vector<std::vector<Cell>> extraRows;
    const size_t formulasBefore = m_out->formulas.size();
    const size_t pendingBefore = m_formulas->size();
    if (source != nullptr) {
        cells.reserve(source->cells.size());
        int coveredUntil = -1;  // a whole-dataset table takes the cells to its right
        for (const Cell& cell : source->cells) {
            if (cell.col <= coveredUntil) {
                continue;
            }
            if (fill && cell.kind == CellKind::Sst) {
                const QString text = m_strings.text(cell.index);
                if (text.startsWith(FieldTag) || text.startsWith(PropertyTag)) {
                    const size_t before = cells.size();
                    fillTag(text, cell, cells, extraRows);
                    if (cells.size() > before) {
                        coveredUntil = cells.back().col;
                    }
                    continue;
                }
            }
            Cell copy = cell;
            if (cell.kind == CellKind::Formula) {
                copy.index = uint32_t(m_out->formulas.size());
                m_out->formulas.push_back(m_sheet.formulas[cell.index]);
                m_formulas->push_back(PendingFormula{m_sheetIndex, copy.index, inst});
            }
            cells.push_back(copy);
        }
    }
    const bool markerCell = !cells.empty() && cells.front().col == 0;
    if (markerCell && isText(cells.front(), DeleteRowMarker)) {
        m_out->formulas.resize(formulasBefore);
        m_formulas->resize(pendingBefore);
        m_firstMoved = std::min(m_firstMoved, templateRow);
        return;
    }
    const int outRow = takeOutputRow();
    if (markerCell && isText(cells.front(), PageBreakMarker)) {
        cells.front().kind = CellKind::Blank;
        m_markerBreaks.push_back(outRow);
    }
    if (outRow != templateRow) {
        m_firstMoved = std::min(m_firstMoved, templateRow);
    }
    inst->rows.emplace_back(templateRow, outRow);
    if (!cells.empty() || (source != nullptr && !source->rowRecord.isEmpty())) {
        m_out->rows[outRow] =
            SheetRow{source != nullptr ? source->rowRecord : QByteArray(), std::move(cells)};
    }
    for (std::vector<Cell>& extra : extraRows) {
        sortCells(extra);
        m_out->rows[takeOutputRow()] =
            SheetRow{source != nullptr ? source->rowRecord : QByteArray(), std::move(extra)};
        m_firstMoved = std::min(m_firstMoved, templateRow + 1);
    }
}

ReportDataset* SheetExpander::datasetNamed(const QString& name) {
    const auto found = m_datasets.constFind(name);
    if (found != m_datasets.constEnd()) {
        return found.value();
    }
    ReportDataset* dataset = m_source.dataset(name);
    m_datasets.insert(name, dataset);
    return dataset;
}

ReportDataset* SheetExpander::requireDataset(const QString& name) {
    ReportDataset* dataset = datasetNamed(name);
    if (dataset == nullptr) {
        throw ReportError(QStringLiteral("Can\u00B4t find the dataset %1").arg(name));
    }
    return dataset;
}

std::pair<ReportDataset*, int> SheetExpander::resolveFieldTag(const QString& tag) {
    const QString rest = tag.mid(FieldTag.size());
    const qsizetype separator = rest.indexOf(FieldTag);
    const QString datasetName = separator < 0 ? rest : rest.left(separator);
    const QString field = separator < 0 ? QString() : rest.mid(separator + FieldTag.size());
    ReportDataset* dataset = requireDataset(datasetName);
    if (field == WholeDataset) {
        return {dataset, WholeDatasetField};
    }
    const int index = dataset->fieldIndex(field);
    if (index < 0) {
        throw ReportError(QStringLiteral("Dataset %1 nemá pole „%2“ (buňka %3 na listu „%4“).")
                              .arg(datasetName, field, tag, m_sheet.name));
    }
    return {dataset, index};
}

void SheetExpander::fillTag(const QString& tag, const Cell& source, std::vector<Cell>& cells,
                            std::vector<std::vector<Cell>>& extraRows) {
    ReportValue value;
    if (tag.startsWith(FieldTag)) {
        auto field = m_fieldTags.constFind(tag);
        if (field == m_fieldTags.constEnd()) {
            field = m_fieldTags.insert(tag, resolveFieldTag(tag));
        }
        ReportDataset* dataset = field->first;
        if (field->second == WholeDatasetField) {
            placeTable(*dataset, source, cells, extraRows);
            return;
        }
        if (!dataset->eof()) {
            value = dataset->value(field->second);
        }
    } else {
        const QStringList parts = tag.mid(PropertyTag.size()).split(PropertyTag);
        std::vector<int> indexes;
        bool numeric = true;
        for (qsizetype k = 1; k < parts.size(); ++k) {
            bool ok = false;
            indexes.push_back(parts[k].toInt(&ok));
            numeric = numeric && ok;
        }
        std::optional<ReportValue> property;
        if (numeric) {
            property = m_source.property(parts.front(), indexes);
        }
        if (!property) {
            throw ReportError(QStringLiteral("Property \"%1\" has not been defined or is not published")
                                  .arg(parts.front()));
        }
        value = *property;
    }
    cells.push_back(valueCell(value, source.col, source.xf));
}

void SheetExpander::placeTable(ReportDataset& dataset, const Cell& source, std::vector<Cell>& cells,
                               std::vector<std::vector<Cell>>& extraRows) {
    const int fieldCount = int(dataset.fieldNames().size());
    if (source.col + fieldCount > MaxColumns) {
        throw ReportError(QStringLiteral("Tabulka s %1 sloupci od sloupce %2 se nevejde na list „%3“: sešit "
                                         "Excel 97–2003 má nejvýše 256 sloupců.")
                              .arg(fieldCount)
                              .arg(source.col + 1)
                              .arg(m_sheet.name));
    }
    for (int f = 0; f < fieldCount; ++f) {
        cells.push_back(valueCell(dataset.displayName(f), uint16_t(source.col + f), source.xf));
    }
    size_t record = 0;
    for (dataset.first(); !dataset.eof(); dataset.next(), ++record) {
        if (extraRows.size() <= record) {
            extraRows.emplace_back();
        }
        for (int f = 0; f < fieldCount; ++f) {
            extraRows[record].push_back(valueCell(dataset.value(f), uint16_t(source.col + f), source.xf));
        }
    }
}

Cell SheetExpander::valueCell(const ReportValue& value, uint16_t col, uint16_t xf) {
    Cell cell;
    cell.col = col;
    cell.xf = xf;
    const auto number = [&](double v) {
        if (!std::isfinite(v)) {
            cell.kind = CellKind::BoolErr;
            cell.boolValue = ErrorNum;
            cell.isError = 1;
        } else if (const auto rk = encodeRk(v)) {
            cell.kind = CellKind::Rk;
            cell.index = *rk;
        } else {
            cell.kind = CellKind::Number;
            cell.number = v;
        }
    };
    const QDate epoch = m_dates1904 ? QDate(1904, 1, 1) : QDate(1899, 12, 30);
    std::visit(
        Overloaded{
            [&](std::monostate) {},
            [&](double v) { number(v); },
            [&](const QDate& d) {
                if (d.isValid()) {
                    number(double(epoch.daysTo(d)));
                }
            },
            [&](const QDateTime& dt) {
                if (dt.isValid()) {
                    number(double(epoch.daysTo(dt.date())) + dt.time().msecsSinceStartOfDay() / 86400000.0);
                }
            },
            [&](const QString& text) {
                if (text.size() > SharedStringTable::MaxChars) {
                    throw ReportError(QStringLiteral("Text delší než %1 znaků se do buňky sešitu Excel "
                                                     "97–2003 nevejde (začíná „%2“).")
                                          .arg(SharedStringTable::MaxChars)
                                          .arg(text.left(40)));
                }
                if (!text.isEmpty()) {
                    cell.kind = CellKind::Sst;
                    cell.index = m_strings.add(text);
                }
            },
            [&](bool b) {
                cell.kind = CellKind::BoolErr;
                cell.boolValue = b ? 1 : 0;
            },
        },
        value);
    return cell;
}

void SheetExpander::forEachRunHolding(int firstRow, int lastRow,
                                      const std::function<void(const BandInstance*)>& visit) {
    const Band* innermost = &m_layout->rootBand();
    for (bool descended = true; descended;) {
        descended = false;
        for (const Band& child : innermost->children) {
            if (child.first > lastRow || firstRow > child.last) {
                continue;
            }
            if (!child.contains(firstRow, lastRow)) {
                throw ReportError(QStringLiteral("Sloučené buňky na řádcích %1–%2 listu „%3“ zasahují přes "
                                                 "hranici pásu %4.")
                                      .arg(firstRow + 1)
                                      .arg(lastRow + 1)
                                      .arg(m_sheet.name, child.name));
            }
            innermost = &child;
            descended = true;
            break;
        }
    }
    if (innermost == &m_layout->rootBand()) {
        visit(m_layout->root());
        return;
    }
    for (const BandInstance* run : m_runs[innermost]) {
        visit(run);
    }
}

void SheetExpander::carryMergesAndBreaks() {
    for (const CellRange& merge : m_sheet.merges) {
        forEachRunHolding(merge.firstRow, merge.lastRow, [&](const BandInstance* run) {
            const auto rows = m_layout->resolveIn(run, merge.firstRow, merge.lastRow);
            if (rows && (rows->first != rows->last || merge.firstCol != merge.lastCol)) {
                m_out->merges.push_back(CellRange{rows->first, rows->last, merge.firstCol, merge.lastCol});
            }
        });
    }
    std::vector<CellRange> breaks;
    for (const CellRange& pageBreak : m_sheet.pageBreaks) {
        forEachRunHolding(pageBreak.firstRow, pageBreak.firstRow, [&](const BandInstance* run) {
            if (const auto rows = m_layout->resolveIn(run, pageBreak.firstRow, pageBreak.firstRow)) {
                breaks.push_back(CellRange{rows->first, 0, pageBreak.firstCol, pageBreak.lastCol});
            }
        });
    }
    for (int row : m_markerBreaks) {
        breaks.push_back(CellRange{row, 0, 0, MaxColumns - 1});
    }
    std::stable_sort(breaks.begin(), breaks.end(),
                     [](const CellRange& a, const CellRange& b) { return a.firstRow < b.firstRow; });
    breaks.erase(std::unique(breaks.begin(), breaks.end(),
                             [](const CellRange& a, const CellRange& b) { return a.firstRow == b.firstRow; }),
                 breaks.end());
    if (breaks.size() > size_t(MaxPageBreaks)) {
        throw ReportError(
            QStringLiteral("List „%1“ by měl %2 konců stránek; sešit Excel 97–2003 jich dovoluje "
                           "nejvýše %3.")
                .arg(m_sheet.name)
                .arg(breaks.size())
                .arg(MaxPageBreaks));
    }
    m_out->pageBreaks = std::move(breaks);
}

}  // namespace tervalo::report
