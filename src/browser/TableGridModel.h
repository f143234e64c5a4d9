#pragma once

#include "browser/GridColumns.h"
#include "memtable/MemTable.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace tervalo::browser {

// A grid's view of an in-memory table: rows are the table's current view (order, filter, master
// link), columns the grid's column list. Nothing is copied; the table announces its changes.
class TableGridModel : public QAbstractTableModel, private memtable::MemTableObserver {
    Q_OBJECT
public:
    // The status icon a cell asks for (a GridIcon as int).
    static constexpr int IconRole = Qt::UserRole + 1;

    TableGridModel(memtable::MemTable& table, std::vector<GridColumn> columns, QChar decimalSeparator,
                   QObject* parent = nullptr);
    ~TableGridModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    const GridColumn& column(int index) const { return m_columns[std::size_t(index)]; }
    // The mark shown after a row's amounts (its currency when not CZK); none by default.
    void setAmountMark(std::function<QString(memtable::RowId)> mark) { m_amountMark = std::move(mark); }
    memtable::MemTable& table() { return m_table; }

Q_SIGNALS:
    // The table's current row moved (-1: the view is empty).
    void currentRowMoved(int position);

private:
    void rowAboutToBeInserted(int position) override;
    void rowInserted(int position) override;
    void rowChanged(int position) override;
    void viewAboutToBeReset() override;
    void viewReset() override;
    void currentRowChanged(int position) override;

    QVariant displayText(memtable::RowId row, int column) const;

    memtable::MemTable& m_table;
    std::vector<GridColumn> m_columns;
    std::vector<int> m_fields;      // table field of each column
    std::vector<int> m_iconFields;  // -1 for columns without an icon
    QChar m_decimalSeparator;
    std::function<QString(memtable::RowId)> m_amountMark;
    bool m_resetting = false;
    int m_currentPosition = -1;
};

}  // namespace tervalo::browser
