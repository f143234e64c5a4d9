#include "app/MainWindow.h"

#include "app/AboutDialog.h"
#include "app/GuiUserInterface.h"
#include "app/HelpFile.h"
#include "app/HelpWindow.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "app/WaitMessageWindow.h"
#include "browser/BrowserCommands.h"
#include "browser/DataGrid.h"
#include "browser/DebtorSummary.h"
#include "browser/GridIcons.h"
#include "browser/TableGridModel.h"
#include "compose/SettingsDialog.h"
#include "export/ExportDebtorList.h"
#include "import/CurrencySums.h"
#include "import/LateInterestRates.h"
#include "import/ShowNoDocumentsMessage.h"
#include "platform/Guarded.h"
#include "platform/ShellOpen.h"
#include "sending/DebtorLevels.h"
#include "sending/EmailingDialog.h"
#include "sending/HistoryDialog.h"
#include "sending/ReminderEvidence.h"
#include "sending/SendSingleReminder.h"
#include "widgets/MinimizeApplication.h"
#include "widgets/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

namespace tervalo::app {

namespace {

constexpr int kBarHeight = 28;
// Set on the two command bars only, so that dialogs and message boxes keep their ordinary buttons.
const QString kBarStyle = QStringLiteral(
    "#panDebtorCommands, #panCommands { background: rgb(232, 232, 232); }"
    "QPushButton { border: 1px solid transparent; padding: 2px 8px; background: transparent; }"
    "QPushButton:hover { background: rgb(191, 191, 223); border: 1px solid navy; }"
    "QPushButton:pressed { background: rgb(146, 146, 201); border: 1px solid navy; }"
    "QPushButton:disabled { background: rgb(230, 230, 230); color: grey; }");

QWidget* headingBar(QWidget* parent, const char* name, const QString& caption, const QString& background) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(QString::fromLatin1(name));
    bar->setFixedHeight(22);
    bar->setStyleSheet(QStringLiteral("#") + bar->objectName() + QStringLiteral(" { background: ") +
                       background + QStringLiteral("; } QLabel, QCheckBox { color: white; }"));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(6, 0, 6, 0);
    auto* title = new QLabel(caption, bar);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    layout->addWidget(title);
    return bar;
}

QFrame* separator(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

TfrmMain::TfrmMain(AppSession& session, UserInterface* userInterface)
    : m_session(session), m_waitWindow(std::make_unique<TfrmWaitMessage>(this)), m_ui(userInterface) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tervalo"));

    const QChar separatorChar = session.locale.decimalSeparator();
    m_firmyModel =
        new browser::TableGridModel(session.tables.mtFirmy, browser::debtorColumns(), separatorChar, this);
    m_dokladyModel = new browser::TableGridModel(session.tables.mtDoklady, browser::documentColumns(),
                                                 separatorChar, this);
    m_firmyModel->setAmountMark([this, id = session.tables.mtFirmy.field(u"ID")](memtable::RowId row) {
        return browser::AmountCurrencyMark(
            m_debtorCurrencies.value(m_session.tables.mtFirmy.intValue(row, id)));
    });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // The debtor area keeps its share of the height when the window is resized (eventFilter).
    m_splitter1 = new QSplitter(Qt::Vertical, central);
    m_splitter1->setObjectName(QStringLiteral("Splitter1"));
    m_splitter1->setHandleWidth(5);
    m_splitter1->setChildrenCollapsible(false);
    m_panFirmy = createDebtorArea();
    // The stored height may be small: the area then clips its contents rather than refusing it.
    m_panFirmy->setMinimumHeight(1);
    m_splitter1->addWidget(m_panFirmy);
    m_splitter1->addWidget(createDocumentArea());
    m_splitter1->setStretchFactor(0, 0);
    m_splitter1->setStretchFactor(1, 1);
    layout->addWidget(m_splitter1, 1);
    m_bottom = new QStackedWidget(central);
    m_bottom->addWidget(createInputRow());
    m_bottom->addWidget(createLegend());
    m_bottom->setFixedHeight(48);
    layout->addWidget(m_bottom);
    layout->addWidget(createCommandBar());
    setCentralWidget(central);

    if (!m_ui) {
        m_ownUi = std::make_unique<GuiUserInterface>(this, *m_waitWindow, *m_pbMain);
        m_ui = m_ownUi.get();
    }
    m_frmNastaveni = new compose::TfrmNastaveni(m_session.settings, m_session.mtEmailKlient, *m_ui,
                                                m_session.locale, this);
    m_frmNastaveni->setRatesFolder([this] { return m_session.AppDir; });
    m_frmEmailing = new sending::TfrmEmailing(m_session, *m_ui, *m_frmNastaveni, this);
    m_frmEmailing->setSettingsEditor([this](int tab) { editSettings(tab); });
    createActions();
    createMenus();

    m_timer1 = new QTimer(this);
    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(100);
    connect(m_timer1, &QTimer::timeout, this, &TfrmMain::autoStart);

    useWindowPlacements(&m_session.windowLayout.Windows);
    keepWindowPlacement(this, firstSize(), FirstSize::Exactly);
    m_splitter1->installEventFilter(this);
    connect(m_splitter1, &QSplitter::splitterMoved, this, [this] { m_headerShare = headerShare(); });
    UpdateCommandStates();
}

TfrmMain::~TfrmMain() {
    useWindowPlacements(nullptr);
}

// The first start shows the debtor list well: about two thirds of the screen, at least the window's
// classic size.
QSize TfrmMain::firstSize() {
    QSize size(kClassicWidth, kClassicHeight);
    if (QScreen* screen = QApplication::primaryScreen()) {
        size = size.expandedTo(screen->availableGeometry().size() * 2 / 3);
    }
    return size;
}

double TfrmMain::headerShare() const {
    const QList<int> sizes = m_splitter1->sizes();
    const int total = sizes.value(0) + sizes.value(1);
    return total > 0 ? double(sizes.value(0)) / total : 0.0;
}

// The debtor area keeps its share of the height when the window changes its size.
bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_splitter1 && event->type() == QEvent::Resize && m_headerShare > 0) {
        const int total = m_splitter1->height() - m_splitter1->handleWidth();
        const int header = qRound(total * m_headerShare);
        m_splitter1->setSizes({header, qMax(1, total - header)});
    }
    return QMainWindow::eventFilter(watched, event);
}

UserInterface& TfrmMain::ui() {
    return *m_ui;
}

QPushButton* TfrmMain::commandButton(QWidget* bar, const char* name, const QString& caption, int icon) {
    auto* button = new QPushButton(style()->standardIcon(QStyle::StandardPixmap(icon)), caption, bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QWidget* TfrmMain::createDebtorArea() {
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("panFirmy"));
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    QWidget* heading =
        headingBar(area, "panFirmyNadpis", QStringLiteral("Seznam dlužníků"), QStringLiteral("grey"));
    auto* headingLayout = static_cast<QHBoxLayout*>(heading->layout());
    m_chckOnlyMail = new QCheckBox(QStringLiteral("jen firmy s e-mailem"), heading);
    m_chckOnlyMail->setObjectName(QStringLiteral("chckOnlyMail"));
    headingLayout->addSpacing(16);
    headingLayout->addWidget(m_chckOnlyMail);
    headingLayout->addStretch(1);
    m_lblStavKeDniText = new QLabel(heading);
    m_lblStavKeDniText->setObjectName(QStringLiteral("lblStavKeDniText"));
    headingLayout->addWidget(m_lblStavKeDniText);
    connect(m_chckOnlyMail, &QCheckBox::clicked, this, &TfrmMain::filterChanged);
    layout->addWidget(heading);

    m_grFirmy = new browser::DataGrid(m_firmyModel, QStringLiteral("grFirmy"), area);
    m_grFirmy->horizontalHeader()->setSortIndicatorShown(false);
    connect(m_grFirmy->horizontalHeader(), &QHeaderView::sectionClicked, this, &TfrmMain::sortByColumn);
    m_grFirmy->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grFirmy, &QWidget::customContextMenuRequested, this, &TfrmMain::showDebtorMenu);
    connect(m_grFirmy, &QAbstractItemView::doubleClicked, this, &TfrmMain::sendSingleReminder);
    layout->addWidget(m_grFirmy, 1);
    m_lblSouhrn = new QLabel(area);
    m_lblSouhrn->setObjectName(QStringLiteral("lblSouhrn"));
    m_lblSouhrn->setContentsMargins(6, 2, 6, 2);
    layout->addWidget(m_lblSouhrn);
    // Every load and filter resets the grid's rows.
    connect(m_firmyModel, &QAbstractItemModel::modelReset, this, &TfrmMain::showDebtorSummary);

    auto* bar = new QWidget(area);
    bar->setObjectName(QStringLiteral("panDebtorCommands"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(kBarStyle);
    bar->setFixedHeight(kBarHeight);
    auto* barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(4, 2, 4, 2);
    m_btnEmailBez = commandButton(bar, "btnEmailBez", QStringLiteral("Zaslat upomínku e-mailem"),
                                  QStyle::SP_ArrowForward);
    m_btnUpravitEmail = commandButton(bar, "btnUpravitEmail", QStringLiteral("Změnit e-mail"),
                                      QStyle::SP_FileDialogDetailedView);
    m_btnInfo =
        commandButton(bar, "btnInfo", QStringLiteral("Poznámka k dokladu"), QStyle::SP_FileDialogInfoView);
    barLayout->addWidget(m_btnEmailBez);
    barLayout->addWidget(separator(bar));
    barLayout->addWidget(m_btnUpravitEmail);
    barLayout->addWidget(separator(bar));
    barLayout->addWidget(m_btnInfo);
    barLayout->addStretch(1);
    connect(m_btnEmailBez, &QPushButton::clicked, this, &TfrmMain::sendSingleReminder);
    connect(m_btnUpravitEmail, &QPushButton::clicked, this,
            [this] { runCommand([this] { m_commands->ChangeAddress(); }); });
    connect(m_btnInfo, &QPushButton::clicked, this,
            [this] { runCommand([this] { m_commands->DocumentNote(); }); });
    layout->addWidget(bar);
    return area;
}

QWidget* TfrmMain::createDocumentArea() {
    auto* area = new QWidget(this);
    area->setObjectName(QStringLiteral("panDoklady"));
    auto* layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(headingBar(area, "panDokladyNadpis", QStringLiteral("Seznam neuhrazených dokladů"),
                                 QStringLiteral("rgb(0, 128, 192)")));
    m_grDoklady = new browser::DataGrid(m_dokladyModel, QStringLiteral("grDoklady"), area);
    m_grDoklady->horizontalHeader()->setSectionsClickable(false);
    m_grDoklady->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_grDoklady, &QWidget::customContextMenuRequested, this, &TfrmMain::showDocumentMenu);
    connect(m_grDoklady, &QAbstractItemView::doubleClicked, this,
            [this] { runCommand([this] { m_commands->DocumentNote(); }); });
    layout->addWidget(m_grDoklady, 1);
    return area;
}

QWidget* TfrmMain::createInputRow() {
    auto* row = new QWidget(this);
    row->setObjectName(QStringLiteral("panInput"));
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
    for (QPushButton* button : {m_btnProchazet, m_btnOk}) {
        button->setStyleSheet(
            QStringLiteral("QPushButton { border: 1px solid grey; background: rgb(240, 240, 240); }"
                           "QPushButton:disabled { color: grey; }"));
    }
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
    return row;
}

QWidget* TfrmMain::createLegend() {
    m_panLegenda = new QWidget(this);
    m_panLegenda->setObjectName(QStringLiteral("panLegenda"));
    m_panLegenda->setAttribute(Qt::WA_StyledBackground);
    m_panLegenda->setStyleSheet(QStringLiteral("#panLegenda { background: white; }"));
    auto* layout = new QVBoxLayout(m_panLegenda);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->setSpacing(2);
    auto item = [this](QHBoxLayout* line, browser::GridIcon icon, const QString& text) {
        auto* picture = new QLabel(m_panLegenda);
        picture->setPixmap(browser::gridIcon(icon));
        line->addWidget(picture);
        line->addWidget(new QLabel(text, m_panLegenda));
        line->addSpacing(12);
    };
    auto* first = new QHBoxLayout;
    auto* title = new QLabel(QStringLiteral("Legenda:"), m_panLegenda);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    first->addWidget(title);
    first->addSpacing(8);
    item(first, browser::GridIcon::NoEmail, QStringLiteral("- u firmy není uvedena e-mailová adresa"));
    item(first, browser::GridIcon::Note, QStringLiteral("- poznámka k dokladu"));
    first->addStretch(1);
    auto* second = new QHBoxLayout;
    second->addSpacing(title->sizeHint().width() + 8);
    item(
        second, browser::GridIcon::Excluded,
        QStringLiteral("- e-mail nebo doklad byl uživatelem vyřazen z e-mailingu (nabídku lze vyvolat pravým "
                       "tlačítkem myši)"));
    second->addStretch(1);
    layout->addLayout(first);
    layout->addLayout(second);
    return m_panLegenda;
}

QWidget* TfrmMain::createCommandBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName(QStringLiteral("panCommands"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(kBarStyle);
    bar->setFixedHeight(kBarHeight);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 2, 4, 2);
    m_btnEmailVsem = commandButton(bar, "btnEmailVsem", QStringLiteral("Zaslat upom. e-mailem všem"),
                                   QStyle::SP_DialogYesButton);
    auto* btnNastaveni =
        commandButton(bar, "btnNastaveni", QStringLiteral("Nastavení"), QStyle::SP_FileDialogContentsView);
    auto* btnExport =
        commandButton(bar, "btnExport", QStringLiteral("Do Excelu"), QStyle::SP_DialogSaveButton);
    auto* btnNapoveda =
        commandButton(bar, "btnNapoveda", QStringLiteral("Info"), QStyle::SP_MessageBoxInformation);
    auto* btnNapoveda2 =
        commandButton(bar, "btnNapoveda2", QStringLiteral("Nápověda"), QStyle::SP_DialogHelpButton);
    auto* btnKonec = commandButton(bar, "btnKonec", QStringLiteral("Konec"), QStyle::SP_DialogCloseButton);
    const QList<QPushButton*> buttons{m_btnEmailVsem, btnNastaveni, btnExport,
                                      btnNapoveda,    btnNapoveda2, btnKonec};
    for (QPushButton* button : buttons) {
        if (button != buttons.first()) {
            layout->addWidget(separator(bar));
        }
        layout->addWidget(button);
    }
    layout->addStretch(1);
    connect(m_btnEmailVsem, &QPushButton::clicked, this, [this] {
        if (m_session.tables.NoDocuments) {
            import::ShowNoDocumentsMessage(*m_ui);
        } else {
            m_frmEmailing->OpenBulkEmailing();
            refreshLevels();
        }
    });
    connect(btnNastaveni, &QPushButton::clicked, this,
            [this] { editSettings(compose::TfrmNastaveni::PostovniZprava); });
    connect(btnExport, &QPushButton::clicked, this, [this] {
        guarded([this] {
            exporting::ExportDebtorList(m_session.tables, m_session.AppDir, *m_ui,
                                        platform::OpenWithAssociatedProgram, &m_session.settings);
        });
    });
    connect(btnNapoveda, &QPushButton::clicked, this, &TfrmMain::showAboutBox);
    connect(btnNapoveda2, &QPushButton::clicked, this,
            [this] { showHelpTopic(QStringLiteral("pgMain.htm")); });
    connect(btnKonec, &QPushButton::clicked, this, &TfrmMain::shutDown);
    return bar;
}

void TfrmMain::createActions() {
    auto action = [this](const char* name, const QString& caption, QList<QKeySequence> keys, auto slot) {
        auto* a = new QAction(caption, this);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    action("acZaslatMail", QStringLiteral("Zaslat upomínkový e-mail"),
           {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}, [this] { sendSingleReminder(); });
    action("acHistorie", QStringLiteral("Historie upomínek"), {QKeySequence(Qt::CTRL | Qt::Key_H)},
           [this] { showReminderHistory(); });
    action("acKonec", QStringLiteral("Konec"), {QKeySequence(Qt::Key_Escape)}, [this] { shutDown(); });
    action("acNapoveda", QStringLiteral("Nápověda"), {QKeySequence(Qt::Key_F1)}, [this] { showAboutBox(); });
    action("acPoznAdr", QString(), {QKeySequence(Qt::CTRL | Qt::Key_F5)}, [this] {
        if (m_btnInfo->isEnabled()) {
            runCommand([this] { m_commands->AddressNote(); });
        }
    });
}

void TfrmMain::createMenus() {
    m_popupFirmy = new QMenu(this);
    m_popupFirmy->setObjectName(QStringLiteral("popupFirmy"));
    auto add = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* a = menu->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };
    connect(add(m_popupFirmy, "Zaslatupomemail1", QStringLiteral("Zaslat upomínku e-mailem")),
            &QAction::triggered, this, &TfrmMain::sendSingleReminder);
    connect(add(m_popupFirmy, "Navtvitinternet1", QStringLiteral("Navštívit internet")), &QAction::triggered,
            this, [this] { runCommand([this] { m_commands->VisitDebtorWeb(); }); });
    connect(add(m_popupFirmy, "Upravitemail1", QStringLiteral("Změnit e-mail")), &QAction::triggered, this,
            [this] {
                if (m_btnUpravitEmail->isEnabled()) {
                    runCommand([this] { m_commands->ChangeAddress(); });
                }
            });
    connect(add(m_popupFirmy, "Historieupominek1", QStringLiteral("Historie upomínek")), &QAction::triggered,
            this, &TfrmMain::showReminderHistory);
    m_popupUroven = m_popupFirmy->addMenu(QStringLiteral("Úroveň upomínky pro toto odesílání"));
    m_popupUroven->setObjectName(QStringLiteral("popupUroven"));
    m_popupFirmy->addSeparator();
    m_vyrZar = add(m_popupFirmy, "Vyr_Zar", QStringLiteral("Vyřadit z e-mailingu"));
    connect(m_vyrZar, &QAction::triggered, this, [this] {
        if (m_btnEmailBez->isEnabled()) {
            runCommand([this] { m_commands->ToggleDebtorExport(); });
        }
    });
    m_popupFirmy->addSeparator();
    connect(add(m_popupFirmy, "Informace1", QStringLiteral("Interní poznámka")), &QAction::triggered, this,
            [this] {
                if (m_btnInfo->isEnabled()) {
                    runCommand([this] { m_commands->AddressNote(); });
                }
            });

    m_popupDoklady = new QMenu(this);
    m_popupDoklady->setObjectName(QStringLiteral("PopupDoklady"));
    m_vyrZarDoklad = add(m_popupDoklady, "Vyr_Zar_Doklad", QStringLiteral("Vyřadit doklad z e-mailingu"));
    connect(m_vyrZarDoklad, &QAction::triggered, this,
            [this] { runCommand([this] { m_commands->ToggleDocumentExport(); }); });
    connect(add(m_popupDoklady, "Poznmkakdokladu1", QStringLiteral("Poznámka k dokladu")),
            &QAction::triggered, this, [this] { runCommand([this] { m_commands->DocumentNote(); }); });
}

void TfrmMain::armAutoStart() {
    if (m_session.StartedWithParams) {
        m_timer1->start();
    }
}

void TfrmMain::UpdateCommandStates() {
    const memtable::MemTable& firmy = m_session.tables.mtFirmy;
    const bool rows = firmy.isOpen() && !firmy.isEmpty();
    for (QPushButton* button : {m_btnEmailBez, m_btnUpravitEmail, m_btnInfo, m_btnEmailVsem}) {
        button->setEnabled(rows);
    }
    m_debtorMenuAllowed = rows;
    m_documentMenuAllowed = rows && !m_session.tables.NoDocuments;
    if (m_session.tables.NoDocuments) {
        m_btnInfo->setEnabled(false);
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
    m_grFirmy->setFocus();
    bool loaded = false;
    guarded([this, &loaded] {
        loaded = LoadExport(m_session, m_edtInputCSVFile->text(), *m_ui, [this] { tablesLoaded(); });
    });
    // A failed load ends the program, whether it told the user itself or raised an error.
    if (!loaded) {
        shutDown();
        return;
    }
    UpdateCommandStates();
}

void TfrmMain::tablesLoaded() {
    m_commands = std::make_unique<browser::BrowserCommands>(
        m_session.tables, *m_session.stateTables, *m_ui,
        // The web page's opening is not waited for: its result is not used.
        [](const QString& address) { platform::StartAssociatedProgram(address); });
    m_lblStavKeDniText->setText(m_session.tables.lblStavKeDniText);
    m_debtorCurrencies = import::DebtorCurrencies(m_session.tables);
    refreshLevels();
    showDebtorSummary();
    m_grFirmy->viewport()->update();
    m_bottom->setCurrentWidget(m_panLegenda);
    // The list starts sorted by name, the name column marked and current; an empty list shows no mark.
    if (!m_session.tables.mtFirmy.isEmpty()) {
        QHeaderView* header = m_grFirmy->horizontalHeader();
        header->setSortIndicatorShown(true);
        m_sortedColumn = 3;
        header->setSortIndicator(m_sortedColumn, Qt::AscendingOrder);
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

void TfrmMain::sortByColumn(int logicalColumn) {
    QHeaderView* header = m_grFirmy->horizontalHeader();
    const browser::GridColumn& column = m_firmyModel->column(logicalColumn);
    if (!column.sortable || !m_commands) {
        // The header has moved its mark to the clicked title already: put it back.
        header->setSortIndicator(m_sortedColumn, Qt::AscendingOrder);
        return;
    }
    memtable::MemTable& firmy = m_session.tables.mtFirmy;
    const auto current = firmy.bookmark();
    header->moveSection(header->visualIndex(logicalColumn), browser::kFrozenColumns);
    firmy.setCurrentIndex(column.field);
    firmy.gotoBookmark(current);
    m_sortedColumn = logicalColumn;
    header->setSortIndicator(logicalColumn, Qt::AscendingOrder);
    if (firmy.currentPosition() >= 0) {
        m_grFirmy->setCurrentIndex(m_firmyModel->index(firmy.currentPosition(), logicalColumn));
    }
}

void TfrmMain::showDebtorSummary() {
    m_lblSouhrn->setText(browser::DebtorSummaryText(m_session.tables, m_session.locale.decimalSeparator()));
}

void TfrmMain::filterChanged() {
    memtable::MemTable& firmy = m_session.tables.mtFirmy;
    firmy.setFilter(u"JeEmail", true);
    firmy.setFiltered(m_chckOnlyMail->isChecked());
    UpdateCommandStates();
}

void TfrmMain::showDebtorMenu(const QPoint& position) {
    if (!m_debtorMenuAllowed) {
        return;
    }
    fillLevelMenu();
    m_vyrZar->setText(m_session.tables.mtFirmy.boolValue(u"Exportovat")
                          ? QStringLiteral("Vyřadit z e-mailingu")
                          : QStringLiteral("Zařadit do e-mailingu"));
    m_popupFirmy->popup(m_grFirmy->viewport()->mapToGlobal(position));
}

// "Podle historie" and the levels in use, the current debtor's choice checked.
void TfrmMain::fillLevelMenu() {
    m_popupUroven->clear();
    const auto chosen = m_session.ChosenLevels.find(m_session.tables.mtFirmy.intValue(u"ID"));
    const int current = chosen != m_session.ChosenLevels.end() ? chosen->second : 0;
    for (int level = 0; level <= m_session.settings.PocetUrovni; ++level) {
        QAction* action = m_popupUroven->addAction(level == 0 ? QStringLiteral("Podle historie upomínek")
                                                              : m_session.settings.Urovne[level - 1].Nazev);
        action->setObjectName(QStringLiteral("Uroven%1").arg(level));
        action->setCheckable(true);
        action->setChecked(level == current);
        connect(action, &QAction::triggered, this, [this, level] { chooseLevel(level); });
    }
}

void TfrmMain::showDocumentMenu(const QPoint& position) {
    if (!m_documentMenuAllowed) {
        return;
    }
    m_vyrZarDoklad->setText(m_session.tables.mtDoklady.boolValue(u"Exportovat")
                                ? QStringLiteral("Vyřadit doklad z e-mailingu")
                                : QStringLiteral("Zařadit doklad do e-mailingu"));
    m_popupDoklady->popup(m_grDoklady->viewport()->mapToGlobal(position));
}

// The window's one error boundary: nothing throws out of a slot into the event loop. An error that
// no operation caught (table layer, mail-client interface, file writes) is shown with its text.
bool TfrmMain::guarded(const std::function<void()>& command) {
    return platform::Guarded(*m_ui, command);
}

// Commands on rows run only once the tables exist; after an error the program stays usable.
void TfrmMain::runCommand(const std::function<void()>& command) {
    if (!m_commands || m_session.tables.mtFirmy.isEmpty()) {
        return;
    }
    guarded(command);
}

// Only while its button is enabled, whichever way it was reached (button, Enter, menu, double click).
void TfrmMain::sendSingleReminder() {
    if (!m_btnEmailBez->isEnabled()) {
        return;
    }
    runCommand([this] {
        compose::ReminderContext reminder = ReminderContextOf(m_session, *m_ui);
        sending::SingleReminderContext context{reminder, *m_session.stateTables, *m_commands,
                                               m_session.TempDir};
        context.ownWindowAnswer = &m_session.OwnComposeWindowAnswer;
        context.chosenLevels = m_session.ChosenLevels;
        state::SendJournal journal(state::SendJournal::pathIn(m_session.AppDir));
        context.journal = &journal;
        sending::SendSingleReminder(context);
    });
    refreshLevels();
}

// The settings dialog on `tab`; what its changes mean for the loaded debtors (interest, compensation,
// levels) is applied after it closes.
void TfrmMain::editSettings(int tab) {
    guarded([this, tab] {
        const DebtSettings before = DebtSettingsOf(m_session);
        m_frmNastaveni->EditSettings(tab);
        if (!m_session.tables.mtFirmy.isEmpty() && DebtSettingsOf(m_session) != before) {
            ApplyDebtSettings(m_session, *m_ui);
        }
    });
    if (m_commands) {
        refreshLevels();
    }
}

// The debtors' levels and last reminders in the grid, as the journal and the user's choices stand.
void TfrmMain::refreshLevels() {
    guarded([this] {
        const state::SendJournal journal(state::SendJournal::pathIn(m_session.AppDir));
        sending::FillDebtorLevels(m_session.tables,
                                  sending::DebtorLevels(m_session.settings, &journal, QDate::currentDate(),
                                                        m_session.ChosenLevels));
    });
    m_grFirmy->viewport()->update();
}

// The level the current debtor gets in this run: one chosen by the user, or (0) his own again.
void TfrmMain::chooseLevel(int level) {
    runCommand([this, level] {
        const int id = m_session.tables.mtFirmy.intValue(u"ID");
        if (level == 0) {
            m_session.ChosenLevels.erase(id);
        } else {
            m_session.ChosenLevels[id] = level;
        }
    });
    refreshLevels();
}

// The send journal's records of the current debtor, test runs' included, newest first.
void TfrmMain::showReminderHistory() {
    if (!m_debtorMenuAllowed) {
        return;
    }
    runCommand([this] {
        const memtable::MemTable& firmy = m_session.tables.mtFirmy;
        const QString name = firmy.text(u"OdbNazev");
        const state::SendJournal journal(state::SendJournal::pathIn(m_session.AppDir));
        const std::vector<state::JournalRecord> records =
            journal.debtorRecords(firmy.text(u"OdbEmail"), firmy.intValue(u"ID"), name);
        sending::TfrmHistorie history(
            name, sending::HistoryRowsOf(records, m_session.locale),
            [this, &journal, &records](std::size_t row) {
                guarded(
                    [&] { sending::SaveReminderEvidence(journal, records[row], m_session.AppDir, *m_ui); });
            },
            this);
        history.exec();
    });
}

void TfrmMain::showAboutBox() {
    TfrmAbout about(
        m_session, [this](const QString& topic) { showHelpTopic(topic); },
        [this] { m_frmEmailing->ShowProtocol(); }, this);
    about.exec();
}

// A missing or unreadable help file shows nothing. The window belongs to a modal dialog that asks
// for help (the about box), since it could not be used beside it otherwise, and to this one else.
void TfrmMain::showHelpTopic(const QString& topic) {
    std::optional<HelpFile> help = HelpFile::open(m_session.HelpFile);
    if (!help) {
        return;
    }
    QWidget* owner = QApplication::activeModalWidget() != nullptr ? QApplication::activeModalWidget() : this;
    if (m_frmNapoveda != nullptr && m_frmNapoveda->parentWidget() != owner) {
        delete m_frmNapoveda;
    }
    if (m_frmNapoveda == nullptr) {
        m_frmNapoveda = new TfrmNapoveda(owner);
    }
    m_frmNapoveda->showHelp(std::move(*help), topic);
}

void TfrmMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_layoutApplied) {
        return;
    }
    // The shape read by LoadSettings, once the window has its size: the debtor area's stored share of
    // the height, or else its stored height; at the first start also whatever the window has above
    // its classic height.
    m_layoutApplied = true;
    centralWidget()->layout()->activate();
    const MainWindowLayout& stored = m_session.windowLayout;
    const int total = m_splitter1->height() - m_splitter1->handleWidth();
    const bool firstStart = stored.Windows.count(objectName()) == 0 &&
                            stored.HeaderHeight == MainWindowLayout::kDefaultHeaderHeight;
    const int header = stored.HeaderPerMille > 0 ? qRound(total * stored.HeaderPerMille / 1000.0)
                       : firstStart              ? stored.HeaderHeight + qMax(0, height() - kClassicHeight)
                                                 : stored.HeaderHeight;
    m_splitter1->setSizes({header, qMax(1, total - header)});
    m_headerShare = headerShare();
    if (m_session.windowLayout.Maximized) {
        setWindowState(windowState() | Qt::WindowMaximized);
    }
}

void TfrmMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    minimizeApplicationWith(this, event);
}

void TfrmMain::shutDown() {
    if (m_shuttingDown) {
        return;
    }
    m_shuttingDown = true;
    if (m_layoutApplied) {
        m_session.windowLayout.Maximized = isMaximized();
        m_session.windowLayout.HeaderHeight = m_panFirmy->height();
        m_session.windowLayout.HeaderPerMille = qBound(1, qRound(m_headerShare * 1000), 999);
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window->isVisible()) {
                rememberWindowPlacement(window);
            }
        }
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
