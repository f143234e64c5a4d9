#include "compose/LateInterestTab.h"

#include "compose/LateInterestRatesForm.h"
#include "import/LateInterestRates.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tervalo::compose {

namespace {

std::vector<RateRowTexts> gridRows(const QTableWidget& grid) {
    std::vector<RateRowTexts> rows;
    for (int row = 0; row < grid.rowCount(); ++row) {
        RateRowTexts texts;
        for (int column = 0; column < 3; ++column) {
            const QTableWidgetItem* item = grid.item(row, column);
            texts[std::size_t(column)] = item ? item->text() : QString();
        }
        rows.push_back(texts);
    }
    return rows;
}

}  // namespace

LateInterestTab::LateInterestTab(const platform::SystemLocale& locale, QWidget* parent)
    : QWidget(parent), m_locale(locale) {
    m_chckNahradaNakladu =
        new QCheckBox(QStringLiteral("Uplatňovat náhradu nákladů 1 200 Kč za každou pohledávku"), this);
    m_chckNahradaNakladu->setObjectName(QStringLiteral("chckNahradaNakladu"));
    m_edtStaryExport = new QSpinBox(this);
    m_edtStaryExport->setObjectName(QStringLiteral("edtStaryExport"));
    m_edtStaryExport->setRange(0, 3650);
    m_edtStaryExport->setToolTip(QStringLiteral("0: neupozorňovat"));
    auto* staleRow = new QHBoxLayout;
    staleRow->addWidget(new QLabel(QStringLiteral("Upozornit na starý export po"), this));
    staleRow->addWidget(m_edtStaryExport);
    staleRow->addWidget(new QLabel(QStringLiteral("dnech"), this));
    staleRow->addStretch(1);

    m_grSazby = new QTableWidget(0, 3, this);
    m_grSazby->setObjectName(QStringLiteral("grSazby"));
    m_grSazby->setHorizontalHeaderLabels({QStringLiteral("Pololetí od"), QStringLiteral("Repo sazba ČNB %"),
                                          QStringLiteral("Úrok z prodlení % p.a.")});
    m_grSazby->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_grSazby->verticalHeader()->setVisible(false);
    auto* btnPridat = new QPushButton(QStringLiteral("Přidat pololetí"), this);
    btnPridat->setObjectName(QStringLiteral("btnPridatSazbu"));
    connect(btnPridat, &QPushButton::clicked, this, &LateInterestTab::addRow);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnPridat);
    buttons->addStretch(1);

    auto* note = new QLabel(
        QStringLiteral(" Úrok z prodlení se počítá ode dne po splatnosti ke dni exportu sazbou pololetí, v "
                       "němž prodlení začalo (repo sazba ČNB k jeho prvnímu dni + 8 procentních bodů). "
                       "Chybějící pololetí doplňte řádkem, opravu zapište přímo do tabulky. V textu e-mailu "
                       "uvede proměnná %UROKY% tabulku úroků a %NAKLADY% větu o náhradě nákladů."),
        this);
    note->setObjectName(QStringLiteral("lblUroky"));
    note->setWordWrap(true);
    note->setStyleSheet(QStringLiteral("background: #f0f0f0; padding: 6px;"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_chckNahradaNakladu);
    layout->addLayout(staleRow);
    layout->addWidget(m_grSazby, 1);
    layout->addLayout(buttons);
    layout->addWidget(note);
}

void LateInterestTab::fill(const app::AppSettings& settings) {
    m_chckNahradaNakladu->setChecked(settings.NahradaNakladu);
    m_edtStaryExport->setValue(settings.StaryExportDni);
    const std::vector<RateRowTexts> rows =
        m_appDir ? RateRowsForEdit(import::LateInterestRates::load(m_appDir()).rows(), m_locale)
                 : std::vector<RateRowTexts>{};
    m_grSazby->setRowCount(int(rows.size()));
    for (int row = 0; row < int(rows.size()); ++row) {
        for (int column = 0; column < 3; ++column) {
            m_grSazby->setItem(row, column,
                               new QTableWidgetItem(rows[std::size_t(row)][std::size_t(column)]));
        }
    }
    m_grSazby->scrollToBottom();
}

std::optional<QString> LateInterestTab::warning() const {
    const auto parsed = RateRowsFromEdit(gridRows(*m_grSazby), m_locale);
    if (const QString* warning = std::get_if<QString>(&parsed)) {
        return *warning;
    }
    return std::nullopt;
}

std::optional<QString> LateInterestTab::store(app::AppSettings& settings) {
    settings.NahradaNakladu = m_chckNahradaNakladu->isChecked();
    settings.StaryExportDni = m_edtStaryExport->value();
    const auto parsed = RateRowsFromEdit(gridRows(*m_grSazby), m_locale);
    const auto* rows = std::get_if<std::vector<import::HalfYearRate>>(&parsed);
    if (!m_appDir || rows == nullptr) {
        return std::nullopt;
    }
    const QString appDir = m_appDir();
    const import::LateInterestRates current = import::LateInterestRates::load(appDir);
    if (*rows == current.rows()) {
        return std::nullopt;
    }
    if (!import::SaveUserRates(appDir, current, *rows)) {
        return QStringLiteral("Sazby úroku z prodlení nelze uložit do souboru ") + appDir +
               import::UserRatesFile + QStringLiteral(".");
    }
    return std::nullopt;
}

void LateInterestTab::addRow() {
    const int row = m_grSazby->rowCount();
    m_grSazby->insertRow(row);
    m_grSazby->setCurrentCell(row, 0);
    m_grSazby->editItem(nullptr);
    m_grSazby->scrollToBottom();
}

}  // namespace tervalo::compose
