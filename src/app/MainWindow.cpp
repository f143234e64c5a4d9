#include "app/MainWindow.h"

#include "app/GuiUserInterface.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "app/WaitMessageWindow.h"
#include "compose/SettingsDialog.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace tervalo::app {

namespace {

constexpr int kBarHeight = 28;
const QString kBarStyle = QStringLiteral("background: rgb(232, 232, 232);");
const QString kCommandButtonStyle = QStringLiteral(
    "QPushButton { border: 1px solid transparent; padding: 2px 8px; background: transparent; }"
    "QPushButton:hover { background: rgb(191, 191, 223); border: 1px solid navy; }"
    "QPushButton:pressed { background: rgb(146, 146, 201); border: 1px solid navy; }"
    "QPushButton:disabled { background: rgb(230, 230, 230); color: grey; }");

}  // namespace

TfrmMain::TfrmMain(AppSession& session, UserInterface* userInterface)
    : m_session(session), m_waitWindow(std::make_unique<TfrmWaitMessage>()), m_ui(userInterface) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tervalo"));

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(createWorkArea(), 1);
    layout->addWidget(createInputRow());
    layout->addWidget(createCommandBar());
    setCentralWidget(central);

    if (!m_ui) {
        m_ownUi = std::make_unique<GuiUserInterface>(this, *m_waitWindow, *m_pbMain);
        m_ui = m_ownUi.get();
    }
    m_frmNastaveni = new compose::TfrmNastaveni(m_session.settings, m_session.mtEmailKlient, *m_ui, this);

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, &TfrmMain::autoStart);

    resize(673, 431);
    if (QScreen* screen = QApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
}

TfrmMain::~TfrmMain() = default;

UserInterface& TfrmMain::ui() {
    return *m_ui;
}

// The debtor area above the document area, with the splitter between them. Only the document area
// grows with the window, so the debtor area keeps its height (HeaderHeight).
QWidget* TfrmMain::createWorkArea() {
    m_splitter1 = new QSplitter(Qt::Vertical, this);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setHandleWidth(5);
    m_splitter1->setChildrenCollapsible(false);
    m_panFirmy = new QFrame(m_splitter1);
    m_panFirmy->setObjectName(QStringLiteral("panFirmy"));
    auto* panDoklady = new QFrame(m_splitter1);
    panDoklady->setObjectName(QStringLiteral("panDoklady"));
    m_splitter1->addWidget(m_panFirmy);
    m_splitter1->addWidget(panDoklady);
    m_splitter1->setStretchFactor(0, 0);
    m_splitter1->setStretchFactor(1, 1);
    return m_splitter1;
}

QWidget* TfrmMain::createInputRow() {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("panInput"));
    row->setFixedHeight(48);
    auto* outer = new QVBoxLayout(row);
    outer->setContentsMargins(6, 4, 6, 2);
    outer->setSpacing(4);
    auto* line = new QHBoxLayout;
    auto* icon = new QLabel(row);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16));
    auto* label = new QLabel(QStringLiteral("Vstupní CSV soubor"), row);
    m_edtInputCSVFile = new QLineEdit(row);
    m_edtInputCSVFile->setObjectName(QStringLiteral("edtInputCSVFile"));
    label->setBuddy(m_edtInputCSVFile);
    m_btnProchazet = new QPushButton(QStringLiteral("..."), row);
    m_btnProchazet->setObjectName(QStringLiteral("btnProchazet"));
    m_btnProchazet->setFixedSize(22, 22);
    m_btnOk = new QPushButton(QStringLiteral("OK"), row);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setFixedSize(75, 22);
    line->addWidget(icon);
    line->addWidget(label);
    line->addWidget(m_edtInputCSVFile, 1);
    line->addWidget(m_btnProchazet);
    line->addWidget(m_btnOk);
    m_pbMain = new QProgressBar(row);
    m_pbMain->setObjectName(QStringLiteral("pbMain"));
    m_pbMain->setFixedHeight(8);
    m_pbMain->setTextVisible(false);
    m_pbMain->setValue(0);
    outer->addLayout(line);
    outer->addWidget(m_pbMain);

    connect(m_btnProchazet, &QPushButton::clicked, this, &TfrmMain::browse);
    connect(m_btnOk, &QPushButton::clicked, this, &TfrmMain::triggerOk);
    connect(m_edtInputCSVFile, &QLineEdit::returnPressed, this, &TfrmMain::triggerOk);
    return row;
}

QWidget* TfrmMain::createCommandBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("panCommands"));
    bar->setFixedHeight(kBarHeight);
    bar->setAutoFillBackground(true);
    bar->setStyleSheet(kBarStyle + kCommandButtonStyle);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 2, 4, 2);
    auto* btnNastaveni = new QPushButton(style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                         QStringLiteral("Nastavení"), bar);
    btnNastaveni->setObjectName(QStringLiteral("btnNastaveni"));
    btnNastaveni->setFlat(true);
    layout->addWidget(btnNastaveni);
    connect(btnNastaveni, &QPushButton::clicked, this,
            [this] { m_frmNastaveni->EditSettings(compose::TfrmNastaveni::PostovniZprava); });
    layout->addStretch(1);
    auto* btnKonec =
        new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("Konec"), bar);
    btnKonec->setObjectName(QStringLiteral("btnKonec"));
    btnKonec->setFlat(true);
    layout->addWidget(btnKonec);

    auto* acKonec = new QAction(QStringLiteral("Konec"), this);
    acKonec->setObjectName(QStringLiteral("acKonec"));
    acKonec->setShortcut(Qt::Key_Escape);
    acKonec->setShortcutContext(Qt::ApplicationShortcut);
    addAction(acKonec);
    connect(acKonec, &QAction::triggered, this, &TfrmMain::shutDown);
    connect(btnKonec, &QPushButton::clicked, acKonec, &QAction::trigger);
    return bar;
}

void TfrmMain::armAutoStart() {
    if (m_session.StartedWithParams) {
        m_timer1->start();
    }
}

void TfrmMain::browse() {
    if (auto path = BrowseForExport(m_session, *m_ui)) {
        m_edtInputCSVFile->setText(*path);
        triggerOk();
    }
}

void TfrmMain::triggerOk() {
    if (!m_btnOk->isEnabled()) {
        return;
    }
    // One load per run: the input row stays disabled from now on.
    m_btnOk->setEnabled(false);
    m_btnProchazet->setEnabled(false);
    if (!LoadExport(m_session, m_edtInputCSVFile->text(), *m_ui)) {
        shutDown();
    }
}

void TfrmMain::autoStart() {
    m_timer1->stop();
    if (!m_session.StartedWithParams) {
        return;
    }
    m_edtInputCSVFile->setText(JoinedArguments(m_session.arguments));
    triggerOk();
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_layoutApplied) {
        return;
    }
    // The shape read by LoadSettings, once the window has its size.
    m_layoutApplied = true;
    centralWidget()->layout()->activate();
    const int total = m_splitter1->height() - m_splitter1->handleWidth();
    m_splitter1->setSizes(
        {m_session.windowLayout.HeaderHeight, qMax(1, total - m_session.windowLayout.HeaderHeight)});
    if (m_session.windowLayout.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfrmMain::shutDown() {
    if (m_shuttingDown) {
        return;
    }
    m_shuttingDown = true;
    if (m_layoutApplied) {
        m_session.windowLayout = {isMaximized(), m_panFirmy->height()};
    }
    ShutDown(m_session, m_edtInputCSVFile->text(), m_session.tables.mtFirmy.recordCount(), *m_ui);
    m_waitWindow->hide();
    close();
    QApplication::quit();
}

void TfrmMain::closeEvent(QCloseEvent* event) {
    shutDown();
    event->accept();
}

}  // namespace tervalo::app
