#pragma once

#include "LoadFixture.h"

#include <QJsonObject>

namespace tervalo::bench {

// Opens the fixture's state tables, loads its export as the desktop program does and, with the GUI
// library, times sorting and the e-mail filter through the grids; then exports the sorted debtor
// list to .xls, whole and filtered to one debtor. Meant to run in a process of its own, so that the
// peak memory it reports is the load's.
//
// Keys: openStateS, readS, loadS, rows, debtors, documents, baseMb, peakMb, matrixMb, tablesMb, with
// grids sortColdMs, sortMs, filterOnMs, filterOffMs (medians of five), and for the exports
// exportAll* and exportOne* (S, Debtors, Written, FileKb, Message) and exportPeakMb.
QJsonObject measureLoad(const LoadFixture& fixture);

}  // namespace tervalo::bench
