#pragma once

#include "report/Band.h"
#include "report/ReportDataSource.h"
#include "report/SheetLayout.h"
#include "report/Workbook.h"

#include <QHash>

#include <functional>
#include <map>

#include <memory>
#include <vector>

namespace tervalo::report {

// A formula cell of the output whose references still point at template rows, and the band run it
// was copied into.
struct PendingFormula {
    int sheet = 0;
    uint32_t formula = 0;  // index in the output sheet's formulas
    const BandInstance* context = nullptr;
};

// Lays out one worksheet: the main band and its sub-bands repeated per record and filled, the rows
// outside it copied, marker rows deleted or turned into page breaks, merges and page breaks carried
// along. Text goes into `strings`.
class SheetExpander {
public:
    SheetExpander(const Workbook& templ, int sheetIndex, SharedStringTable& strings, ReportDataSource& source,
                  bool dates1904);

    // Fills `out` (a copy of the template sheet without cells) and returns the sheet's layout.
    std::unique_ptr<SheetLayout> expand(Sheet& out, std::vector<PendingFormula>& formulas);

private:
    void emitRange(BandInstance* inst, int from, int to, bool fill);
    void runBand(BandInstance* parent, size_t child);
    void emitRow(BandInstance* inst, int templateRow, bool fill);
    void fillTag(const QString& tag, const Cell& source, std::vector<Cell>& cells,
                 std::vector<std::vector<Cell>>& extraRows);
    void placeTable(ReportDataset& dataset, const Cell& source, std::vector<Cell>& cells,
                    std::vector<std::vector<Cell>>& extraRows);
    Cell valueCell(const ReportValue& value, uint16_t col, uint16_t xf);
    ReportDataset* datasetNamed(const QString& name);
    // The dataset and field index a "##dataset##field" tag names; field -1 for "*".
    std::pair<ReportDataset*, int> resolveFieldTag(const QString& tag);
    ReportDataset* requireDataset(const QString& name);
    int takeOutputRow();
    bool isText(const Cell& cell, const QString& text) const;
    void carryMergesAndBreaks();
    void forEachRunHolding(int firstRow, int lastRow, const std::function<void(const BandInstance*)>& visit);

    const Workbook& m_templ;
    const Sheet& m_sheet;
    int m_sheetIndex;
    SharedStringTable& m_strings;
    ReportDataSource& m_source;
    bool m_dates1904;

    Sheet* m_out = nullptr;
    std::vector<PendingFormula>* m_formulas = nullptr;
    std::unique_ptr<SheetLayout> m_layout;
    std::map<const Band*, std::vector<const BandInstance*>> m_runs;
    std::vector<int> m_markerBreaks;
    int m_nextRow = 0;
    int m_firstMoved = MaxRows;  // the first template row whose output row differs
    QHash<QString, ReportDataset*> m_datasets;
    QHash<QString, std::pair<ReportDataset*, int>> m_fieldTags;
};

}  // namespace tervalo::report
