#pragma once

#include "compose/EmailKlientTable.h"

#include <QAbstractTableModel>

namespace tervalo::compose {

// The read-only grid grEmailKlient over mtEmailKlient: the columns Client and Path.
class EmailKlientModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EmailKlientModel(const EmailKlientTable& table, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The table was filled anew.
    void reload();

private:
    const EmailKlientTable& m_table;
};

}  // namespace tervalo::compose
