#include "sending/HistoryDialog.h"

#include "sending/WrappedLabel.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tervalo::sending {

TfrmHistorie::TfrmHistorie(const QString& debtorName, const std::vector<HistoryRow>& rows,
                           std::function<void(std::size_t row)> saveMessage, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("frmHistorie"));
    setWindowTitle(QStringLiteral("Historie upomínek"));
    resize(760, 360);
    auto* layout = new QVBoxLayout(this);
    auto* heading = wrappedLabel(
        rows.empty() ? debtorName + QStringLiteral(": žádná upomínka nebyla odeslána.") : debtorName, this);
    heading->setObjectName(QStringLiteral("lblFirma"));
    heading->setTextFormat(Qt::PlainText);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);

    auto* grid = new QTableWidget(int(rows.size()), 6, this);
    grid->setObjectName(QStringLiteral("grHistorie"));
    grid->setHorizontalHeaderLabels({QStringLiteral("Datum"), QStringLiteral("Cesta"),
                                     QStringLiteral("Doklady"), QStringLiteral("Zbývá uhradit"),
                                     QStringLiteral("Odpověď"), QStringLiteral("Režim")});
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->verticalHeader()->hide();
    for (int r = 0; r < int(rows.size()); ++r) {
        const HistoryRow& row = rows[std::size_t(r)];
        const QString cells[] = {row.date, row.route, row.documents, row.amount, row.reply, row.mode};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(cells[c]);
            if (c == 3) {
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            }
            grid->setItem(r, c, item);
        }
    }
    grid->resizeColumnsToContents();
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->horizontalHeader()->setSectionResizeMode(4, QHeaderView::Stretch);
    layout->addWidget(grid, 1);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save =
        buttons->addButton(QStringLiteral("Uložit jako důkaz…"), QDialogButtonBox::ActionRole);
    save->setObjectName(QStringLiteral("btnUlozitDukaz"));
    save->setToolTip(QStringLiteral(
        "Uloží zprávu tak, jak byla odeslána, jako soubor .eml, který otevře každý poštovní program."));
    const auto chosenRow = [grid] { return grid->selectionModel()->selectedRows().value(0).row(); };
    save->setEnabled(false);
    std::vector<bool> kept;
    for (const HistoryRow& row : rows) {
        kept.push_back(row.messageKept);
    }
    connect(grid->selectionModel(), &QItemSelectionModel::selectionChanged, save, [save, chosenRow, kept] {
        const int row = chosenRow();
        save->setEnabled(row >= 0 && kept[std::size_t(row)]);
    });
    connect(save, &QPushButton::clicked, this, [chosenRow, saveMessage = std::move(saveMessage)] {
        if (const int row = chosenRow(); row >= 0) {
            saveMessage(std::size_t(row));
        }
    });
    if (!rows.empty()) {
        grid->selectRow(0);
    }
    QPushButton* close = buttons->addButton(QStringLiteral("Zavřít"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnZavrit"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

}  // namespace tervalo::sending
