#include "browser/TableGridModel.h"

#include "import/AmountFormat.h"

#include <QFont>

namespace tervalo::browser {

TableGridModel::TableGridModel(memtable::MemTable& table, std::vector<GridColumn> columns,
                               QChar decimalSeparator, QObject* parent)
    : QAbstractTableModel(parent),
      m_table(table),
      m_columns(std::move(columns)),
      m_decimalSeparator(decimalSeparator) {
    for (const GridColumn& column : m_columns) {
        m_fields.push_back(m_table.field(column.field));
        m_iconFields.push_back(column.icon == GridIcon::None ? -1 : m_table.field(column.iconField));
    }
    m_currentPosition = m_table.currentPosition();
    m_table.addObserver(this);
}

TableGridModel::~TableGridModel() {
    m_table.removeObserver(this);
}

int TableGridModel::rowCount(const QModelIndex& parent) const {
    // While the table's views are suspended the grid shows nothing of the half-built table.
    return parent.isValid() || m_resetting ? 0 : m_table.recordCount();
}

int TableGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant TableGridModel::displayText(memtable::RowId row, int column) const {
    const GridColumn& spec = m_columns[std::size_t(column)];
    if (spec.icon != GridIcon::None) {
        return {};
    }
    const int field = m_fields[std::size_t(column)];
    switch (m_table.fieldDef(field).type) {
        case memtable::FieldType::Float: {
            if (m_table.isNull(row, field)) {
                return {};
            }
            double value = m_table.floatValue(row, field);
            if (!spec.amount) {
                return QString::number(value, 'g', 15).replace(QLatin1Char('.'), m_decimalSeparator);
            }
            const QString mark = m_amountMark ? m_amountMark(row) : QString();
            return mark.isEmpty() ? import::formatAmount(value, m_decimalSeparator)
                                  : import::formatAmount(value, m_decimalSeparator) + QLatin1Char(' ') + mark;
        }
        case memtable::FieldType::Integer:
            return m_table.isNull(row, field) ? QVariant()
                                              : QVariant(QString::number(m_table.intValue(row, field)));
        case memtable::FieldType::Boolean:
            return {};
        case memtable::FieldType::Text:
        case memtable::FieldType::Memo:
            return m_table.text(row, field);
    }
    return {};
}

QVariant TableGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || m_resetting || index.row() >= m_table.recordCount()) {
        return {};
    }
    const GridColumn& spec = m_columns[std::size_t(index.column())];
    const memtable::RowId row = m_table.rowAt(index.row());
    switch (role) {
        case Qt::DisplayRole:
            return displayText(row, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(spec.alignment);
        case Qt::BackgroundRole:
            return spec.background.isValid() ? QVariant(spec.background) : QVariant();
        case Qt::ForegroundRole:
            return spec.textColor.isValid() ? QVariant(spec.textColor) : QVariant(QColor(Qt::black));
        case Qt::FontRole:
            if (spec.bold) {
                QFont font;
                font.setBold(true);
                return font;
            }
            return {};
        case IconRole: {
            const int iconField = m_iconFields[std::size_t(index.column())];
            if (iconField < 0 || m_table.boolValue(row, iconField) != spec.iconWhen) {
                return int(GridIcon::None);
            }
            return int(spec.icon);
        }
        default:
            return {};
    }
}

QVariant TableGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal) {
        if (role == Qt::DisplayRole) {
            return m_columns[std::size_t(section)].title;
        }
        if (role == Qt::TextAlignmentRole) {
            return QVariant::fromValue(m_columns[std::size_t(section)].alignment);
        }
        return {};
    }
    // The row indicator: a mark at the current row.
    if (role == Qt::DisplayRole) {
        return section == m_currentPosition ? QStringLiteral("▶") : QString();
    }
    return {};
}

void TableGridModel::rowAboutToBeInserted(int position) {
    beginInsertRows({}, position, position);
}

void TableGridModel::rowInserted(int /*position*/) {
    endInsertRows();
}

void TableGridModel::rowChanged(int position) {
    Q_EMIT dataChanged(index(position, 0), index(position, columnCount() - 1));
}

void TableGridModel::viewAboutToBeReset() {
    beginResetModel();
    m_resetting = true;
}

void TableGridModel::viewReset() {
    if (!m_resetting) {
        beginResetModel();
    }
    m_resetting = false;
    m_currentPosition = m_table.currentPosition();
    endResetModel();
    Q_EMIT currentRowMoved(m_currentPosition);
}

void TableGridModel::currentRowChanged(int position) {
    const int previous = m_currentPosition;
    m_currentPosition = position;
    for (int section : {previous, position}) {
        if (section >= 0 && section < rowCount()) {
            Q_EMIT headerDataChanged(Qt::Vertical, section, section);
        }
    }
    Q_EMIT currentRowMoved(position);
}

}  // namespace tervalo::browser
