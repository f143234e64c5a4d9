#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"
#include "sending/BulkEmailingView.h"
#include "sending/Protocol.h"
#include "sending/TestEmailAddress.h"

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace tervalo::compose {
class TfrmNastaveni;
}

namespace tervalo::sending {

class TfrmProtokol;
class TfrmTestEmail;

// TfrmEmailing, "Hromadný e-mailing": the bulk run with its test mode, and the protocol of the
// program run. Made once with the main window; it keeps the texts of its last run.
class TfrmEmailing : public QDialog, private BulkEmailingView {
    Q_OBJECT
public:
    TfrmEmailing(app::AppSession& session, UserInterface& ui, compose::TfrmNastaveni& frmNastaveni,
                 QWidget* parent = nullptr);
    ~TfrmEmailing() override;

    // The first-time hint, then the dialog modally.
    void OpenBulkEmailing();
    // The steps of OpenBulkEmailing before the modal loop; tests then open() the dialog.
    void prepareOpen();
    void SetBulkButtons(bool on);
    // Opens the settings for the button "Nastavení" on the tab it is given, in place of the settings
    // dialog alone: the main window applies what the changes mean for the loaded debtors.
    void setSettingsEditor(std::function<void(int tab)> editor);

    // The protocol window, as the link "zde" here and in the about box open it.
    void ShowProtocol();
    Protocol& protocol() { return m_protocol; }
    TfrmProtokol& frmProtokol() { return *m_frmProtokol; }
    TfrmTestEmail& frmTestEmail() { return *m_frmTestEmail; }

public Q_SLOTS:
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void provest();
    void testovaciRezim();
    std::optional<QString> run(const std::optional<TestMode>& testMode);
    bool stopWanted();
    bool confirmResend(const QString& question);
    void showPlan();
    void closeIfAsked();
    void showError(const std::optional<QString>& error);
    void placeLink();

    void setInformationVisible(bool visible) override;
    void setStatusText(const QString& text) override;
    void setLinkVisible(bool visible) override;
    void setDebtorLinesVisible(bool visible) override;
    void setDebtorName(const QString& name) override;
    void setDebtorAddress(const QString& address) override;
    void setGeneratedCount(const QString& text) override;
    void setSkippedCount(const QString& text) override;
    void setProgressMaximum(int maximum) override;
    void setProgress(int position) override;

    app::AppSession& m_session;
    UserInterface& m_ui;
    compose::TfrmNastaveni& m_frmNastaveni;
    std::function<void(int tab)> m_settingsEditor;
    Protocol m_protocol;
    TfrmProtokol* m_frmProtokol = nullptr;
    TfrmTestEmail* m_frmTestEmail = nullptr;
    bool m_running = false;
    bool m_stopAsked = false;      // "Zpět", Esc or the close box during a run, not yet answered
    bool m_closeAfterRun = false;  // the user chose to let the run end, then close

    QStackedWidget* m_mainArea = nullptr;
    QLabel* m_lblPlan = nullptr;
    QWidget* m_information = nullptr;
    QLabel* m_lblCapInfo = nullptr;
    QLabel* m_lblZde = nullptr;
    QList<QWidget*> m_debtorLines;
    QLabel* m_lblNazevFirmy = nullptr;
    QLabel* m_lblEmailAdresa = nullptr;
    QLabel* m_lblPocetVygenerovanych = nullptr;
    QLabel* m_lblPocetVynechanych = nullptr;
    QProgressBar* m_pbSendEmail = nullptr;
    QPushButton* m_btnTestovaciRezim = nullptr;
    QPushButton* m_btnNastaveni = nullptr;
    QPushButton* m_btnProvest = nullptr;
    QPushButton* m_btnZpet = nullptr;
};

}  // namespace tervalo::sending
