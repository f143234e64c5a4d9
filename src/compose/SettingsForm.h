#pragma once

#include "compose/EmailKlientTable.h"
#include "platform/AnsiCodec.h"
#include "settings/AppSettings.h"

#include <QString>

#include <optional>

namespace tervalo::compose {

// What the settings dialog's controls hold, apart from the body text, which the dialog edits in the
// record itself, and the client grid, whose current row is that of mtEmailKlient. The dialog keeps
// one form between openings: filling it leaves the client sub-choice alone where the record does not
// decide it.
struct SettingsForm {
    // Tab 1 "Poštovní zpráva"
    QString edtPredmet;
    QString edtKopieEmailu;
    bool chckPripojitPrilohu = true;
    // Tab 2 "Seznam neuhr. dokladů"
    QString edtHlavicka;
    QString edtCisloDokl;
    QString edtvystaveno;
    QString edtSplatno;
    QString edtCenaCelk;
    QString edtZbyvauhr;
    QString edtMena;
    // Tab 3 "Odesílání e-mailu"
    bool rbVychozKlient = true;  // else rbSMTP
    int clientChoice = 2;        // 1 rbAutomaticRadioBtn, 2 rbMapiRadioBtn, 3 rbDirectRadioBtn
    QString edtHost;
    int edtPort = 25;
    bool chckAuth = false;
    QString edtJmenoOdes;
    QString edtUserID;
    QString edtAdresaOdes;
    QString edtUserPass;
    int cbZabezpeceni = 0;  // SMTPSecurity: 0 none, 1 STARTTLS, 2 TLS from the start; -1 none chosen
    bool chckPlainAuth = false;
    QString edtCAFile;
    bool rbJednotliveSMTP = false;  // single reminders in the program's own window by SMTP
    // Tab 4 "QR platba"
    bool chckQRPlatba = false;
    QString edtQRUcet;
    QString edtQRBic;
    QString edtQRZprava;
    int cbQRRezim = 0;  // QRRezim - 1: 0 a code per document, 1 a code for the total per currency
    QString edtQRUctyMeny;

    bool operator==(const SettingsForm&) const = default;
};

// Step 2 of EditSettings: the controls from the record. A SMTPSecurity other than 0 to 2 leaves the
// security unchosen (-1). A ClientType other than 1 to 3 leaves the sub-choice as it was; the client named
// ClientDirectName becomes the current row of mtEmailKlient, and a name that is not listed leaves the current
// row where it was.
void fillSettingsForm(SettingsForm& form, const app::AppSettings& settings, EmailKlientTable& mtEmailKlient);

// The warning of "OK", or none when the dialog may close. Only when bulk runs or single reminders go
// by SMTP are the server, the sender's name and the sender's address required (blanks alone count as
// empty), and a security chosen. A copy address must be empty or a list of valid mailboxes.
std::optional<QString> settingsFormWarning(const SettingsForm& form);

// What "OK" tells the user before closing when the password would go to the SMTP server over an
// unencrypted connection; none otherwise.
std::optional<QString> settingsFormNotice(const SettingsForm& form);

// The warning of "OK" for the accounts of tab "QR platba", naming the field at fault, or none. They
// are checked whenever payment codes are on or any account is filled in.
std::optional<QString> qrPlatbaFormWarning(const SettingsForm& form);

// The warning of "OK" for a text the settings could not keep as typed, or none: a control character
// in the sender's or the copy address, or characters the code page cannot store in any field, the
// body text `body` included. The first field in the order of the tabs is named.
std::optional<QString> settingsTextWarning(const SettingsForm& form, const QString& body,
                                           const platform::AnsiCodec& codec);

// Step 4 of EditSettings, in its order: texts as they stand, ApplyDefaults, then the sending values
// whichever way of sending is chosen (an unchosen security keeps the stored value), and last the name
// of mtEmailKlient's current client.
void storeSettingsForm(const SettingsForm& form, app::AppSettings& settings,
                       const EmailKlientTable& mtEmailKlient);

// The port to propose when the user picks `security` with `port` in the dialog and has not typed a
// port of his own: 465 for TLS from the start on the usual plain ports 25 and 587, 587 for STARTTLS
// on 465. None otherwise.
std::optional<int> proposedSmtpPort(int security, int port);

// The enabled state of the controls of tab 3 (edits together with their labels).
struct SendControlStates {
    bool server = false;   // SMTP adresa, Číslo portu, Jméno a E-mail odesílatele, požaduje ověření
    bool account = false;  // Název účtu, Heslo
    bool clientChoices = false;
    bool clientGrid = false;

    bool operator==(const SendControlStates&) const = default;
};
SendControlStates UpdateSendControls(const SettingsForm& form);

}  // namespace tervalo::compose
