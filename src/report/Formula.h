#pragma once

#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>

namespace tervalo::report {

struct RowSpan {
    int first = 0;
    int last = 0;
};

// Where rows of a reference lie after the sheet has been laid out. `ixti` is the EXTERNSHEET index of
// a 3-D reference and empty for a reference to the formula's own sheet; the answer is empty when every
// referenced row is gone.
using RowRemap =
    std::function<std::optional<RowSpan>(std::optional<uint16_t> ixti, RowSpan rows, bool single)>;

// Rewrites, in place, the rows of every reference token of a parsed formula (`cce` bytes of Ptg
// tokens). Whole-column ranges are left alone; a reference whose rows are all gone becomes its #REF!
// token of the same size. Throws XlsFormatError on a token it cannot size.
void remapReferenceRows(char* rgce, int cce, const RowRemap& remap);

// The plain formula a cell at (row, col) gets from a shared formula: relative PtgRefN/PtgAreaN
// tokens become PtgRef/PtgArea with absolute positions.
QByteArray sharedToPlain(const QByteArray& sharedRgce, int row, int col);

// True when the formula tokens contain PtgExp or PtgTbl (shared, array or table formula).
bool referencesSharedOrArray(const QByteArray& rgce);

}  // namespace tervalo::report
