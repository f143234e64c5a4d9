#pragma once

#include <QColor>
#include <QString>

#include <vector>

namespace tervalo::browser {

// What a status column shows at its top-left corner.
enum class GridIcon { None, Excluded, NoEmail, Note };

// One column of a grid: the field it shows and how.
struct GridColumn {
    QString field;
    QString title;
    int width = 0;  // 0: from the field's display width
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    QColor background;  // invalid: the grid's own
    QColor textColor;   // invalid: black
    bool bold = false;
    bool amount = false;  // shown as "# ### ### ##0.00"
    bool sortable = false;
    // Status columns show no text; the icon appears when `iconField` has the value `iconWhen`.
    GridIcon icon = GridIcon::None;
    QString iconField;
    bool iconWhen = false;
};

std::vector<GridColumn> debtorColumns();
std::vector<GridColumn> documentColumns();

// The first two columns of each grid are the status columns.
inline constexpr int kFrozenColumns = 2;

}  // namespace tervalo::browser
