#pragma once

#include "compose/EmailKlientTable.h"
#include "compose/SettingsForm.h"
#include "platform/SystemLocale.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QTableView;

namespace tervalo::compose {

class EmailKlientModel;
class LateInterestTab;
class LevelSettingsTab;

// TfrmNastaveni, "Nastavení": the reminder's texts and the way bulk runs send. Created once and
// reused. Every control but the body text is filled from the record when the dialog opens and
// written back only on OK; the body text edits the record's EText itself, so its edits stay also
// after "Storno".
class TfrmNastaveni : public QDialog {
    Q_OBJECT
public:
    enum Tab {
        PostovniZprava = 0,
        SeznamDokladu = 1,
        OdesilaniEmailu = 2,
        QrPlatba = 3,
        UrokyZProdleni = 4,
        Urovne = 5
    };

    // `locale` gives the code page the settings are saved in and the test e-mail is written in.
    TfrmNastaveni(app::AppSettings& settings, EmailKlientTable& mtEmailKlient, UserInterface& ui,
                  const platform::SystemLocale& locale, QWidget* parent = nullptr);
    ~TfrmNastaveni() override;

    // Shows the dialog modally on `tab`; on Accepted the record has been updated (nothing is written
    // to disk here).
    int EditSettings(int tab);
    // Steps 1 to 3 of EditSettings without the modal loop: the tab, the controls from the record and
    // their enabled states. Tests open the dialog with this and open().
    void prepareEdit(int tab);

    // The program folder of the late-payment interest rates (ends with "/"), asked when needed.
    void setRatesFolder(std::function<QString()> appDir);

    // The enabled state of the controls of tab 3.
    void UpdateSendControls();

protected:
    void changeEvent(QEvent* event) override;

private:
    QWidget* createMessageTab();
    QWidget* createDocumentListTab();
    QWidget* createSendingTab();
    QWidget* createQrPlatbaTab();
    void showIban();
    void okClicked();
    // Sends the test e-mail with the tab's current values, stored or not, behind the waiting window.
    void sendTestEmail();
    void securityChosen(int security);
    SettingsForm formFromControls() const;
    void showForm(const SettingsForm& form);

    app::AppSettings& m_settings;
    EmailKlientTable& m_mtEmailKlient;
    UserInterface& m_ui;
    const platform::SystemLocale& m_locale;
    EmailKlientModel* m_clientModel = nullptr;

    QTabWidget* m_tabs = nullptr;
    QLabel* m_lblKlientPoznamka = nullptr;
    QLineEdit* m_edtPredmet = nullptr;
    QLineEdit* m_edtKopieEmailu = nullptr;
    QPlainTextEdit* m_edtText = nullptr;
    QCheckBox* m_chckPripojitPrilohu = nullptr;
    QLineEdit* m_edtHlavicka = nullptr;
    QLineEdit* m_edtCisloDokl = nullptr;
    QLineEdit* m_edtvystaveno = nullptr;
    QLineEdit* m_edtSplatno = nullptr;
    QLineEdit* m_edtCenaCelk = nullptr;
    QLineEdit* m_edtZbyvauhr = nullptr;
    QLineEdit* m_edtMena = nullptr;
    QRadioButton* m_rbVychozKlient = nullptr;
    QRadioButton* m_rbAutomaticRadioBtn = nullptr;
    QRadioButton* m_rbMapiRadioBtn = nullptr;
    QRadioButton* m_rbDirectRadioBtn = nullptr;
    QTableView* m_grEmailKlient = nullptr;
    QRadioButton* m_rbSMTP = nullptr;
    QLineEdit* m_edtHost = nullptr;
    QSpinBox* m_edtPort = nullptr;
    QCheckBox* m_chckAuth = nullptr;
    QLineEdit* m_edtJmenoOdes = nullptr;
    QLineEdit* m_edtUserID = nullptr;
    QLineEdit* m_edtAdresaOdes = nullptr;
    QLineEdit* m_edtUserPass = nullptr;
    QComboBox* m_cbZabezpeceni = nullptr;
    QCheckBox* m_chckPlainAuth = nullptr;
    QLineEdit* m_edtCAFile = nullptr;
    QPushButton* m_btnZkusebniEmail = nullptr;
    QRadioButton* m_rbJednotliveKlient = nullptr;
    QRadioButton* m_rbJednotliveSMTP = nullptr;
    QCheckBox* m_chckQRPlatba = nullptr;
    QLineEdit* m_edtQRUcet = nullptr;
    QLineEdit* m_edtQRIban = nullptr;  // read-only: the IBAN of the account typed
    QLineEdit* m_edtQRBic = nullptr;
    QLineEdit* m_edtQRZprava = nullptr;
    QComboBox* m_cbQRRezim = nullptr;
    QLineEdit* m_edtQRUctyMeny = nullptr;
    LateInterestTab* m_tabUroky = nullptr;
    LevelSettingsTab* m_tsUrovne = nullptr;
    // The user changed the port in this opening: choosing the security no longer proposes one.
    bool m_portTyped = false;
    bool m_fillingControls = false;
    QList<QWidget*> m_serverControls;   // with their labels
    QList<QWidget*> m_accountControls;  // with their labels
};

}  // namespace tervalo::compose
