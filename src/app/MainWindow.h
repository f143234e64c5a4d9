#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QStackedWidget;
class QTimer;

namespace tervalo::compose {
class TfrmNastaveni;
}

namespace tervalo::sending {
class TfrmEmailing;
}

namespace tervalo::browser {
class BrowserCommands;
class DataGrid;
class TableGridModel;
}  // namespace tervalo::browser

namespace tervalo::app {

class GuiUserInterface;
class TfrmNapoveda;
class TfrmWaitMessage;

// The main window: the debtor list above, the current debtor's documents below, the input row for
// the export (covered by the legend once loaded) and the command bar. It forwards commands to the
// core and computes nothing the core can.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Messages and dialogs go through `userInterface` when given (tests), else through the window's own.
    explicit TfrmMain(AppSession& session, UserInterface* userInterface = nullptr);
    ~TfrmMain() override;

    UserInterface& ui();
    // After a successful start-up: the automatic load is armed when an export came on the command line.
    void armAutoStart();
    void UpdateCommandStates();
    // The settings dialog, made once with the window.
    compose::TfrmNastaveni& frmNastaveni() { return *m_frmNastaveni; }
    // The bulk e-mailing dialog, made once with the window.
    sending::TfrmEmailing& frmEmailing() { return *m_frmEmailing; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The window's size in the classic layout, which the stored debtor height belongs to.
    static constexpr int kClassicWidth = 673;
    static constexpr int kClassicHeight = 431;
    static QSize firstSize();
    // The debtor area's share of the height of both areas.
    double headerShare() const;

    QWidget* createDebtorArea();
    QWidget* createDocumentArea();
    QWidget* createInputRow();
    QWidget* createLegend();
    QWidget* createCommandBar();
    QPushButton* commandButton(QWidget* bar, const char* name, const QString& caption, int icon);
    void createActions();
    void createMenus();

    void browse();
    void triggerOk();
    void autoStart();
    void tablesLoaded();
    void showDebtorSummary();
    void shutDown();

    void sortByColumn(int logicalColumn);
    void showDebtorMenu(const QPoint& position);
    void showDocumentMenu(const QPoint& position);
    void filterChanged();
    bool guarded(const std::function<void()>& command);
    void runCommand(const std::function<void()>& command);
    void sendSingleReminder();
    void showReminderHistory();
    void refreshLevels();
    // The settings dialog on `tab`; what its changes mean for the loaded debtors shown afresh.
    void editSettings(int tab);
    void chooseLevel(int level);
    void fillLevelMenu();
    void showAboutBox();
    void showHelpTopic(const QString& topic);

    AppSession& m_session;
    std::unique_ptr<TfrmWaitMessage> m_waitWindow;
    std::unique_ptr<GuiUserInterface> m_ownUi;
    UserInterface* m_ui = nullptr;
    std::unique_ptr<browser::BrowserCommands> m_commands;

    browser::TableGridModel* m_firmyModel = nullptr;
    browser::TableGridModel* m_dokladyModel = nullptr;
    browser::DataGrid* m_grFirmy = nullptr;
    browser::DataGrid* m_grDoklady = nullptr;
    QSplitter* m_splitter1 = nullptr;
    QWidget* m_panFirmy = nullptr;  // the upper (debtor) area, its height kept as HeaderHeight
    compose::TfrmNastaveni* m_frmNastaveni = nullptr;
    sending::TfrmEmailing* m_frmEmailing = nullptr;
    QPointer<TfrmNapoveda> m_frmNapoveda;  // made on first use, beside the window that asked for it
    bool m_layoutApplied = false;
    double m_headerShare = 0;  // kept when the window is resized; the user changes it with the divider
    QCheckBox* m_chckOnlyMail = nullptr;
    QLabel* m_lblStavKeDniText = nullptr;
    QLabel* m_lblSouhrn = nullptr;           // the debtor count and remaining amounts per currency
    QHash<int, QString> m_debtorCurrencies;  // by debtor ID, for the marks after amounts
    QStackedWidget* m_bottom = nullptr;
    QWidget* m_panLegenda = nullptr;
    QLineEdit* m_edtInputCSVFile = nullptr;
    QPushButton* m_btnProchazet = nullptr;
    QPushButton* m_btnOk = nullptr;
    QProgressBar* m_pbMain = nullptr;
    QPushButton* m_btnEmailBez = nullptr;
    QPushButton* m_btnUpravitEmail = nullptr;
    QPushButton* m_btnInfo = nullptr;
    QPushButton* m_btnEmailVsem = nullptr;
    QMenu* m_popupFirmy = nullptr;
    QMenu* m_popupUroven = nullptr;  // the level for this run, within m_popupFirmy
    QMenu* m_popupDoklady = nullptr;
    QAction* m_vyrZar = nullptr;
    QAction* m_vyrZarDoklad = nullptr;
    bool m_debtorMenuAllowed = false;
    bool m_documentMenuAllowed = false;
    int m_sortedColumn = -1;  // the logical column whose title carries the sort mark
    QTimer* m_timer1 = nullptr;
    bool m_shuttingDown = false;
};

}  // namespace tervalo::app
