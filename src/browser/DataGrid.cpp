#include "browser/DataGrid.h"

#include "browser/GridIcons.h"

#include <QHeaderView>
#include <QPainter>
#include <QScrollBar>
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
    createFrozenColumns();
    connect(model, &TableGridModel::currentRowMoved, this, &DataGrid::followTable);
    connect(model, &QAbstractItemModel::modelReset, this,
            [this] { followTable(m_model->table().currentPosition()); });
}

void DataGrid::createFrozenColumns() {
    m_frozen = new QTableView(this);
    m_frozen->setObjectName(objectName() + QStringLiteral("Frozen"));
    m_frozen->setModel(model());
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setItemDelegate(itemDelegate());
    m_frozen->setFont(font());
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_frozen->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_frozen->setSelectionMode(QAbstractItemView::SingleSelection);
    m_frozen->verticalHeader()->hide();
    m_frozen->verticalHeader()->setDefaultSectionSize(verticalHeader()->defaultSectionSize());
    m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->horizontalHeader()->setHighlightSections(false);
    m_frozen->horizontalHeader()->setStyleSheet(horizontalHeader()->styleSheet());
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollMode(verticalScrollMode());
    m_frozen->setFrameShape(QFrame::NoFrame);
    // A right click on a status column asks for the grid's menu like one on any other cell.
    m_frozen->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_frozen, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        Q_EMIT customContextMenuRequested(
            viewport()->mapFromGlobal(m_frozen->viewport()->mapToGlobal(position)));
    });
    for (int c = 0; c < model()->columnCount(); ++c) {
        m_frozen->setColumnHidden(c, c >= kFrozenColumns);
        m_frozen->setColumnWidth(c, columnWidth(c));
    }
    viewport()->stackUnder(m_frozen);
    connect(m_frozen->verticalScrollBar(), &QAbstractSlider::valueChanged, verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(verticalScrollBar(), &QAbstractSlider::valueChanged, m_frozen->verticalScrollBar(),
            &QAbstractSlider::setValue);
    connect(m_frozen, &QAbstractItemView::doubleClicked, this, &QAbstractItemView::doubleClicked);
    connect(m_frozen, &QAbstractItemView::pressed, this, [this](const QModelIndex& index) {
        setCurrentIndex(m_model->index(index.row(), firstTextColumn()));
    });
    placeFrozenColumns();
}

int DataGrid::frozenWidth() const {
    int width = 0;
    for (int c = 0; c < kFrozenColumns; ++c) {
        width += columnWidth(horizontalHeader()->logicalIndex(c));
    }
    return width;
}

void DataGrid::placeFrozenColumns() {
    m_frozen->setGeometry(verticalHeader()->width() + frameWidth(), frameWidth(), frozenWidth(),
                          viewport()->height() + horizontalHeader()->height());
}

void DataGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    placeFrozenColumns();
}

// Cells scrolled into view sideways must not end up under the frozen columns.
void DataGrid::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (index.isValid() && horizontalHeader()->visualIndex(index.column()) >= kFrozenColumns &&
        visualRect(index).left() < frozenWidth()) {
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() + visualRect(index).left() -
                                        frozenWidth());
    }
    QTableView::scrollTo(index, hint);
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
