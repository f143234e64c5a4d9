#include "browser/DataGrid.h"

#include "browser/GridIcons.h"

#include <QHeaderView>
#include <QPainter>
#include <QStyledItemDelegate>

namespace tervalo::browser {

namespace {

// Draws the cell as usual, then the status icon over its top-left corner.
class StatusIconDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyledItemDelegate::paint(painter, option, index);
        auto icon = GridIcon(index.data(TableGridModel::IconRole).toInt());
        if (icon != GridIcon::None) {
            painter->drawPixmap(option.rect.topLeft(), gridIcon(icon));
        }
    }
};

}  // namespace

DataGrid::DataGrid(TableGridModel* model, const QString& objectName, QWidget* parent)
    : QTableView(parent), m_model(model) {
    setObjectName(objectName);
    setModel(model);
    setItemDelegate(new StatusIconDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setShowGrid(true);
    setWordWrap(false);
    setAlternatingRowColors(false);
    QFont body = font();
    body.setPointSize(8);
    setFont(body);
    verticalHeader()->setDefaultSectionSize(17);
    verticalHeader()->setMinimumSectionSize(17);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(14);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setStyleSheet(QStringLiteral(
        "QHeaderView::section { color: rgb(96, 96, 96); font-weight: bold; padding: 0 3px; }"));
    // Columns without a width of their own are as wide as their bold title needs.
    QFont titleFont = font();
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    for (int c = 0; c < model->columnCount(); ++c) {
        const GridColumn& column = model->column(c);
        setColumnWidth(c, column.width > 0 ? column.width
                                           : std::max(64, titleMetrics.horizontalAdvance(column.title) + 24));
    }
    connect(model, &TableGridModel::currentRowMoved, this, &DataGrid::followTable);
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { followTable(m_model->table().currentPosition()); });
}

int DataGrid::firstTextColumn() const {
    return horizontalHeader()->logicalIndex(kFrozenColumns);
}

void DataGrid::followTable(int position) {
    if (m_syncing) {
        return;
    }
    m_syncing = true;
    if (position < 0) {
        setCurrentIndex({});
    } else {
        int column = currentIndex().isValid() ? currentIndex().column() : firstTextColumn();
        if (horizontalHeader()->visualIndex(column) < kFrozenColumns) {
            column = firstTextColumn();
        }
        setCurrentIndex(m_model->index(position, column));
    }
    m_syncing = false;
}

void DataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_syncing || !current.isValid()) {
        return;
    }
    m_syncing = true;
    // The column guard: the status columns are never current.
    if (horizontalHeader()->visualIndex(current.column()) < kFrozenColumns) {
        setCurrentIndex(m_model->index(current.row(), firstTextColumn()));
    }
    if (current.row() != m_model->table().currentPosition()) {
        m_model->table().moveTo(current.row());
    }
    m_syncing = false;
}

}  // namespace tervalo::browser
