#pragma once

#include "browser/TableGridModel.h"

#include <QTableView>

namespace tervalo::browser {

// A read-only grid over a TableGridModel: whole-row highlight, row indicator, status icons drawn at
// the top-left of their cells. The grid's current row is the table's current row, and the current
// column never rests on a status column.
class DataGrid : public QTableView {
    Q_OBJECT
public:
    DataGrid(TableGridModel* model, const QString& objectName, QWidget* parent = nullptr);

    TableGridModel* gridModel() const { return m_model; }
    // The logical column shown first after the status columns.
    int firstTextColumn() const;

protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void followTable(int position);

    TableGridModel* m_model;
    bool m_syncing = false;
};

}  // namespace tervalo::browser
