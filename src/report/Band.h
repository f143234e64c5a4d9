#pragma once

#include "report/Workbook.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tervalo::report {

// A band: rows of a sheet repeated once per record of a dataset, with the bands inside it.
struct Band {
    QString name;
    QStringList datasets;
    int first = 0;
    int last = 0;
    std::vector<Band> children;  // top to bottom, not overlapping

    bool contains(int firstRow, int lastRow) const { return first <= firstRow && lastRow <= last; }
};

// The main band of a sheet with its sub-bands, built from the workbook's names beginning with "__"
// (a sheet prefix ending in "!" ignored): the topmost band, the tallest of those starting on the same
// row. Throws ReportError for a band name that does not name absolute rows of one sheet.
std::optional<Band> findMainBand(const Workbook& book, int sheet);

}  // namespace tervalo::report
