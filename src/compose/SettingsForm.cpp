#include "compose/SettingsForm.h"

#include "payment/QrPlatbaReminder.h"
#include "platform/FieldTextWarning.h"
#include "transport/mime/AddressText.h"

namespace tervalo::compose {

void fillSettingsForm(SettingsForm& form, const app::AppSettings& s, EmailKlientTable& mtEmailKlient) {
    form.edtPredmet = s.E_Predmet;
    form.edtKopieEmailu = s.E_KopieEmailu;
    form.chckPripojitPrilohu = s.E_PripojitPrilohu;
    form.edtHlavicka = s.EF_Nadpis;
    form.edtCisloDokl = s.EF_CisDokl;
    form.edtvystaveno = s.EF_Vystaveno;
    form.edtSplatno = s.EF_Splatno;
    form.edtCenaCelk = s.EF_CenaCelk;
    form.edtZbyvauhr = s.EF_ZbyvaUhr;
    form.edtMena = s.EF_Mena;
    form.rbVychozKlient = s.DefaultSendMail;
    form.edtHost = s.SMTPHost;
    form.edtPort = s.SMTPPort;
    form.chckAuth = s.SMTPAuth;
    form.edtJmenoOdes = s.SMTPFromName;
    form.edtUserID = s.SMTPUserID;
    form.edtAdresaOdes = s.SMTPFromAddress;
    form.edtUserPass = s.SMTPPassword;
    form.cbZabezpeceni = s.SMTPSecurity >= 0 && s.SMTPSecurity <= 2 ? s.SMTPSecurity : -1;
    form.chckPlainAuth = s.SMTPPlainAuth;
    form.edtCAFile = s.SMTPCAFile;
    form.rbJednotliveSMTP = s.SMTPJednotlive;
    form.chckQRPlatba = s.QRPlatba;
    form.edtQRUcet = s.QRUcet;
    form.edtQRBic = s.QRBic;
    form.edtQRZprava = s.QRZprava;
    form.cbQRRezim = s.QRRezim == 2 ? 1 : 0;
    form.edtQRUctyMeny = s.QRUctyMeny;
    if (s.ClientType >= 1 && s.ClientType <= 3) {
        form.clientChoice = s.ClientType;
    }
    if (int row = mtEmailKlient.locateClient(s.ClientDirectName); row >= 0) {
        mtEmailKlient.current = row;
    }
}

std::optional<QString> settingsFormWarning(const SettingsForm& form) {
    // A control character is named by settingsTextWarning instead.
    if (!transport::addressList(form.edtKopieEmailu).isEmpty() &&
        !transport::controlCharacterProblem(form.edtKopieEmailu)) {
        if (auto warning = transport::invalidAddressWarning(form.edtKopieEmailu)) {
            return QStringLiteral("Políčko \"Kopii zaslat na e-mail\": ") + *warning;
        }
    }
    if (form.rbVychozKlient && !form.rbJednotliveSMTP) {
        return std::nullopt;
    }
    const std::pair<const QString*, const char*> required[] = {
        {&form.edtHost, "SMTP adresa"},
        {&form.edtJmenoOdes, "Jméno odesílatele"},
        {&form.edtAdresaOdes, "E-mail odesílatele"},
    };
    for (const auto& [text, caption] : required) {
        if (text->trimmed().isEmpty()) {
            return QStringLiteral("Musíte vyplnit políčko \"") + QString::fromUtf8(caption) +
                   QStringLiteral("\" na záložce Odesílání e-mailu.");
        }
    }
    if (form.cbZabezpeceni < 0) {
        return QStringLiteral("Musíte zvolit \"Zabezpečení\" na záložce Odesílání e-mailu.");
    }
    return std::nullopt;
}

std::optional<QString> settingsFormNotice(const SettingsForm& form) {
    if ((form.rbVychozKlient && !form.rbJednotliveSMTP) || !form.chckAuth || form.cbZabezpeceni != 0) {
        return std::nullopt;
    }
    if (form.chckPlainAuth) {
        return QStringLiteral(
            "Server požaduje ověření, ale spojení s ním není šifrované a nešifrované heslo je povoleno: "
            "heslo si může přečíst kdokoli na cestě k serveru. Pokud server šifrování podporuje, zvolte "
            "v políčku \"Zabezpečení\" STARTTLS nebo TLS.");
    }
    return QStringLiteral(
        "Server požaduje ověření, ale spojení s ním není šifrované. Heslo se proto pošle jen způsobem "
        "CRAM-MD5, který ho neprozradí; nenabízí-li ho server, odeslání selže. Pokud server šifrování "
        "podporuje, zvolte v políčku \"Zabezpečení\" STARTTLS nebo TLS.");
}

std::optional<QString> qrPlatbaFormWarning(const SettingsForm& form) {
    if (!form.chckQRPlatba && form.edtQRUcet.trimmed().isEmpty() && form.edtQRBic.trimmed().isEmpty() &&
        form.edtQRUctyMeny.trimmed().isEmpty()) {
        return std::nullopt;
    }
    app::AppSettings entered;
    entered.QRUcet = form.edtQRUcet;
    entered.QRBic = form.edtQRBic;
    entered.QRUctyMeny = form.edtQRUctyMeny;
    const QrSettingsAccounts accounts = QrAccountsFromSettings(entered);
    if (accounts.problem.isEmpty()) {
        return std::nullopt;
    }
    return QStringLiteral("Políčko \"") + accounts.field +
           QStringLiteral("\" na záložce QR platba není platné: ") + accounts.problem;
}

std::optional<QString> settingsTextWarning(const SettingsForm& form, const QString& body,
                                           const platform::AnsiCodec& codec) {
    const std::pair<const QString*, const char*> addresses[] = {
        {&form.edtKopieEmailu, "Kopii zaslat na e-mail"},
        {&form.edtAdresaOdes, "E-mail odesílatele"},
    };
    for (const auto& [text, caption] : addresses) {
        if (auto warning = transport::addressFieldWarning(QString::fromUtf8(caption), *text)) {
            return warning;
        }
    }
    const std::pair<const QString*, const char*> texts[] = {
        {&form.edtPredmet, "Předmět e-mailu"},
        {&form.edtKopieEmailu, "Kopii zaslat na e-mail"},
        {&body, "Text e-mailu"},
        {&form.edtHlavicka, "Nadpis"},
        {&form.edtCisloDokl, "Číslo dokladu"},
        {&form.edtvystaveno, "Vystaveno"},
        {&form.edtSplatno, "Splatno"},
        {&form.edtCenaCelk, "Cena celkem"},
        {&form.edtZbyvauhr, "Zbývá uhradit"},
        {&form.edtMena, "Měna"},
        {&form.edtHost, "SMTP adresa"},
        {&form.edtJmenoOdes, "Jméno odesílatele"},
        {&form.edtUserID, "Název účtu"},
        {&form.edtAdresaOdes, "E-mail odesílatele"},
        {&form.edtUserPass, "Heslo"},
        {&form.edtCAFile, "Certifikát CA"},
        {&form.edtQRUcet, "Číslo účtu"},
        {&form.edtQRBic, "BIC"},
        {&form.edtQRZprava, "Zpráva pro příjemce"},
        {&form.edtQRUctyMeny, "Účty pro další měny"},
    };
    for (const auto& [text, caption] : texts) {
        if (auto warning = platform::unencodableFieldWarning(QString::fromUtf8(caption), *text, codec)) {
            return warning;
        }
    }
    return std::nullopt;
}

void storeSettingsForm(const SettingsForm& form, app::AppSettings& s, const EmailKlientTable& mtEmailKlient) {
    s.E_Predmet = form.edtPredmet;
    s.E_KopieEmailu = form.edtKopieEmailu;
    s.E_PripojitPrilohu = form.chckPripojitPrilohu;
    s.EF_Nadpis = form.edtHlavicka;
    s.EF_CisDokl = form.edtCisloDokl;
    s.EF_Vystaveno = form.edtvystaveno;
    s.EF_Splatno = form.edtSplatno;
    s.EF_CenaCelk = form.edtCenaCelk;
    s.EF_ZbyvaUhr = form.edtZbyvauhr;
    s.EF_Mena = form.edtMena;
    app::ApplyDefaults(s);
    s.DefaultSendMail = form.rbVychozKlient;
    s.SMTPHost = form.edtHost;
    s.SMTPPort = form.edtPort;
    s.SMTPFromName = form.edtJmenoOdes;
    s.SMTPFromAddress = form.edtAdresaOdes;
    s.SMTPAuth = form.chckAuth;
    s.SMTPUserID = form.edtUserID;
    s.SMTPPassword = form.edtUserPass;
    if (form.cbZabezpeceni >= 0) {
        s.SMTPSecurity = form.cbZabezpeceni;
    }
    s.SMTPPlainAuth = form.chckPlainAuth;
    s.SMTPCAFile = form.edtCAFile;
    s.SMTPJednotlive = form.rbJednotliveSMTP;
    s.QRPlatba = form.chckQRPlatba;
    s.QRUcet = form.edtQRUcet;
    s.QRBic = form.edtQRBic;
    s.QRZprava = form.edtQRZprava;
    s.QRRezim = form.cbQRRezim == 1 ? 2 : 1;
    s.QRUctyMeny = form.edtQRUctyMeny;
    s.ClientType = form.clientChoice == 2 || form.clientChoice == 3 ? form.clientChoice : 1;
    s.ClientDirectName = mtEmailKlient.currentClient();
}

std::optional<int> proposedSmtpPort(int security, int port) {
    if (security == 2 && (port == 25 || port == 587)) {
        return 465;
    }
    if (security == 1 && port == 465) {
        return 587;
    }
    return std::nullopt;
}

SendControlStates UpdateSendControls(const SettingsForm& form) {
    const bool smtp = !form.rbVychozKlient || form.rbJednotliveSMTP;
    SendControlStates states;
    states.server = smtp;
    states.account = smtp && form.chckAuth;
    // The client choices serve the single reminder's compose window; a bulk run through the mail
    // client always goes to the system's mail submission.
    states.clientChoices = !form.rbJednotliveSMTP;
    states.clientGrid = states.clientChoices && form.clientChoice == 3;
    return states;
}

}  // namespace tervalo::compose
