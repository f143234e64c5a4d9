#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"

#include <QMainWindow>

#include <memory>

class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTimer;

namespace tervalo::compose {
class TfrmNastaveni;
}

namespace tervalo::app {

class GuiUserInterface;
class TfrmWaitMessage;

// The main window: the work area, the input row for the export with its progress bar, and the
// command bar. It forwards commands to the core and implements nothing the core can compute.
class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    // Messages and dialogs go through `userInterface` when given (tests), else through the window's own.
    explicit TfrmMain(AppSession& session, UserInterface* userInterface = nullptr);
    ~TfrmMain() override;

    UserInterface& ui();
    // After a successful start-up: the automatic load is armed when an export came on the command line.
    void armAutoStart();
    // The settings dialog, made once with the window.
    compose::TfrmNastaveni& frmNastaveni() { return *m_frmNastaveni; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* createWorkArea();
    QWidget* createInputRow();
    QWidget* createCommandBar();
    void browse();
    void triggerOk();
    void autoStart();
    void shutDown();

    AppSession& m_session;
    std::unique_ptr<TfrmWaitMessage> m_waitWindow;
    std::unique_ptr<GuiUserInterface> m_ownUi;
    UserInterface* m_ui = nullptr;
    QLineEdit* m_edtInputCSVFile = nullptr;
    QPushButton* m_btnProchazet = nullptr;
    QPushButton* m_btnOk = nullptr;
    QProgressBar* m_pbMain = nullptr;
    QTimer* m_timer1 = nullptr;
    QSplitter* m_splitter1 = nullptr;
    QWidget* m_panFirmy = nullptr;  // the upper (debtor) area, its height kept as HeaderHeight
    compose::TfrmNastaveni* m_frmNastaveni = nullptr;
    bool m_layoutApplied = false;
    bool m_shuttingDown = false;
};

}  // namespace tervalo::app
