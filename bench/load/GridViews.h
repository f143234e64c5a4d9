#pragma once

#include "BenchUserInterface.h"
#include "browser/DataGrid.h"
#include "import/ExportTables.h"

#include <QProgressBar>
#include <QWidget>

namespace tervalo::bench {

// The main window's debtor and document grids over the loaded tables and its progress bar, shown
// on the offscreen platform, for timing what the user waits for: every step ends with the grids
// painted.
class GridViews {
public:
    GridViews(import::ExportTables& tables, QChar decimalSeparator);

    // The load's progress goes to the progress bar.
    void showProgressOf(BenchUserInterface& ui);
    // Handles pending events and paints both grids.
    void settle();

    // Milliseconds of a click on a sortable header: the debtors ordered by the field, the current
    // debtor kept.
    double sortMs(QStringView field);
    // Milliseconds of a click on "only debtors with an e-mail".
    double emailFilterMs(bool on);

private:
    import::ExportTables& m_tables;
    QWidget m_window;
    browser::TableGridModel* m_firmyModel;
    browser::DataGrid* m_grFirmy;
    browser::DataGrid* m_grDoklady;
    QProgressBar* m_progressBar;
};

}  // namespace tervalo::bench
