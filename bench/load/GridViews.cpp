#include "GridViews.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QVBoxLayout>

namespace tervalo::bench {

namespace {

double millisecondsSince(const QElapsedTimer& timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

GridViews::GridViews(import::ExportTables& tables, QChar decimalSeparator) : m_tables(tables) {
    m_firmyModel =
        new browser::TableGridModel(tables.mtFirmy, browser::debtorColumns(), decimalSeparator, &m_window);
    auto* dokladyModel = new browser::TableGridModel(tables.mtDoklady, browser::documentColumns(),
                                                     decimalSeparator, &m_window);
    auto* layout = new QVBoxLayout(&m_window);
    m_grFirmy = new browser::DataGrid(m_firmyModel, QStringLiteral("grFirmy"), &m_window);
    m_grDoklady = new browser::DataGrid(dokladyModel, QStringLiteral("grDoklady"), &m_window);
    m_progressBar = new QProgressBar(&m_window);
    layout->addWidget(m_grFirmy, 1);
    layout->addWidget(m_grDoklady, 1);
    layout->addWidget(m_progressBar);
    m_window.resize(673, 431);
    m_window.show();
    settle();
}

void GridViews::showProgressOf(BenchUserInterface& ui) {
    ui.progressMaximum = [this](int maximum) { m_progressBar->setMaximum(maximum); };
    ui.progress = [this](int value) { m_progressBar->setValue(value); };
}

void GridViews::settle() {
    QCoreApplication::processEvents();
    m_grFirmy->viewport()->repaint();
    m_grDoklady->viewport()->repaint();
}

double GridViews::sortMs(QStringView field) {
    QElapsedTimer timer;
    timer.start();
    memtable::MemTable& firmy = m_tables.mtFirmy;
    const auto current = firmy.bookmark();
    firmy.setCurrentIndex(field);
    firmy.gotoBookmark(current);
    if (firmy.currentPosition() >= 0) {
        m_grFirmy->setCurrentIndex(
            m_firmyModel->index(firmy.currentPosition(), m_grFirmy->firstTextColumn()));
    }
    settle();
    return millisecondsSince(timer);
}

double GridViews::emailFilterMs(bool on) {
    QElapsedTimer timer;
    timer.start();
    memtable::MemTable& firmy = m_tables.mtFirmy;
    firmy.setFilter(u"JeEmail", true);
    firmy.setFiltered(on);
    settle();
    return millisecondsSince(timer);
}

}  // namespace tervalo::bench
