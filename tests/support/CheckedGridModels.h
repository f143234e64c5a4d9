#pragma once

#include "browser/DataGrid.h"

#include <QAbstractItemModelTester>
#include <QWidget>

namespace tervalo::test {

// Qt's model tester on the debtor and document grids of a main window for the life of the object,
// so every load, sort, filter and master-detail move the test makes is checked against the model
// contract. A broken contract aborts the test with Qt's description of the fault.
class CheckedGridModels {
public:
    explicit CheckedGridModels(QWidget& mainWindow)
        : m_firmy(modelOf(mainWindow, "grFirmy"), QAbstractItemModelTester::FailureReportingMode::Fatal),
          m_doklady(modelOf(mainWindow, "grDoklady"), QAbstractItemModelTester::FailureReportingMode::Fatal) {
    }

private:
    static QAbstractItemModel* modelOf(QWidget& mainWindow, const char* grid) {
        auto* found = mainWindow.findChild<browser::DataGrid*>(QString::fromLatin1(grid));
        if (found == nullptr) {
            qFatal("no grid %s", grid);
        }
        return found->model();
    }

    QAbstractItemModelTester m_firmy;
    QAbstractItemModelTester m_doklady;
};

}  // namespace tervalo::test
