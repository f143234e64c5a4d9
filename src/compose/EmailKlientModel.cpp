#include "compose/EmailKlientModel.h"

namespace tervalo::compose {

EmailKlientModel::EmailKlientModel(const EmailKlientTable& table, QObject* parent)
    : QAbstractTableModel(parent), m_table(table) {}

int EmailKlientModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_table.rows.size());
}

int EmailKlientModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 2;
}

QVariant EmailKlientModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_table.rows.size()) {
        return {};
    }
    const EmailKlientRow& row = m_table.rows[index.row()];
    return index.column() == 0 ? row.Client : row.Path;
}

QVariant EmailKlientModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal) {
        return {};
    }
    return section == 0 ? QStringLiteral("Poštovní klient") : QStringLiteral("Program");
}

void EmailKlientModel::reload() {
    beginResetModel();
    endResetModel();
}

}  // namespace tervalo::compose
