#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <map>

namespace tervalo::app {

// One step of the reminders' escalation. The first level's subject and body are E_Predmet and EText;
// the fields below hold those of the higher levels.
struct ReminderLevel {
    QString Nazev;    // "%UROVEN%"
    QString Predmet;  // not used for the first level
    QString Text;     // not used for the first level; lines end with CR LF
    // Days since the last accepted reminder before this level may follow it (also when the level is
    // repeated), and days the oldest included document must be past due.
    int DniOdPredchozi = 14;
    int DniPoSplatnosti = 0;
    int Lhuta = 7;  // "%LHUTA%": today plus these days

    bool operator==(const ReminderLevel&) const = default;
};

inline constexpr int kMaxReminderLevels = 5;

// The one settings record of a program run. Defaults are those of a first start; the three files
// that keep it are read by LoadSettings and written by SaveSettings.
struct AppSettings {
    // MAIN
    QString OpenDir;  // folder of the export chosen last, with a trailing "/"
    bool FirstEmailing = true;

    // EMAIL
    QString E_Predmet = DefaultPredmet();
    QString E_KopieEmailu;  // has no default: empty means no copy
    bool E_PripojitPrilohu = true;
    QString EF_Nadpis = DefaultNadpis();
    QString EF_CisDokl = DefaultCisDokl();
    QString EF_Vystaveno = DefaultVystaveno();
    QString EF_Splatno = DefaultSplatno();
    QString EF_CenaCelk = DefaultCenaCelk();
    QString EF_ZbyvaUhr = DefaultZbyvaUhr();
    QString EF_Mena = DefaultMena();

    // SEND
    bool DefaultSendMail = true;  // bulk runs through the mail client (yes) or SMTP (no)
    bool SMTPJednotlive = false;  // single reminders in the program's own compose window by SMTP (yes)
    QString SMTPHost;
    int SMTPPort = 25;
    bool SMTPAuth = false;
    QString SMTPUserID;
    QString SMTPFromAddress;
    QString SMTPFromName;
    // 0 plain text (also when the key is missing), 1 STARTTLS, 2 TLS from the first byte. Any other
    // value read from the file is kept as it is (not a number: -1), and nothing is sent until the
    // user chooses.
    int SMTPSecurity = 0;
    // LOGIN and PLAIN, which send the password itself, also without encryption (a trusted relay).
    bool SMTPPlainAuth = false;
    // PEM certificates of a company's own certification authority, trusted beside the system's.
    QString SMTPCAFile;
    int ClientType = 2;  // 1 automatic, 2 default client, 3 the client named in ClientDirectName
    QString ClientDirectName;

    // QRPLATBA: payment codes in reminders, off unless the user turns them on.
    bool QRPlatba = false;
    QString QRUcet;                        // the CZK account: "prefix-number/bank" or an IBAN
    QString QRBic;                         // optional
    QString QRZprava = DefaultQRZprava();  // message for the payee, with the subject's variables
    int QRRezim = 1;                       // 1 one code per document, 2 one code for the total per currency
    QString QRUctyMeny;                    // IBANs for other currencies: "EUR=CZ...;USD=CZ..."

    // UROKY: late-payment interest and the compensation of costs in reminders.
    bool NahradaNakladu = false;  // claim CZK 1 200 for each included CZK invoice past due
    // Before a reminder is sent, ask when the export is older than this many days; 0: never for its
    // age alone.
    int StaryExportDni = 3;

    // UROVNE: the first PocetUrovni levels are used; the others keep their texts for later.
    int PocetUrovni = 3;
    std::array<ReminderLevel, kMaxReminderLevels> Urovne = DefaultLevels();
    // Remind only the documents past due by more than the export's tolerance days.
    bool JenPoSplatnosti = false;

    QString SMTPPassword;           // kept in rdata1.dti
    QString EText = DefaultBody();  // kept in the file EText; lines end with CR LF

    static QString DefaultPredmet() { return QStringLiteral("Upominka: seznam neuhrazenych dokladu"); }
    static QString DefaultNadpis() { return QStringLiteral("Seznam neuhrazených dokladů ke dni %DATUM%"); }
    static QString DefaultCisDokl() { return QStringLiteral("Doklad č."); }
    static QString DefaultVystaveno() { return QStringLiteral("Vystaveno"); }
    static QString DefaultSplatno() { return QStringLiteral("Splatno"); }
    static QString DefaultCenaCelk() { return QStringLiteral("Cena celkem"); }
    static QString DefaultZbyvaUhr() { return QStringLiteral("Zbývá uhradit"); }
    static QString DefaultMena() { return QStringLiteral("Měna"); }
    // "%DOKLADY%" stands for the numbers of the documents a payment code pays.
    static QString DefaultQRZprava() { return QStringLiteral("Úhrada dokladu %DOKLADY%"); }
    // Eleven lines, each ended by CR LF.
    static QString DefaultBody();
    // Three levels in use (the reminder, the second reminder, the pre-litigation notice) and two more
    // ready to be switched on.
    static std::array<ReminderLevel, kMaxReminderLevels> DefaultLevels();

    // The subject and body templates of level `level` (1 is the first).
    const QString& levelSubject(int level) const;
    const QString& levelBody(int level) const;

    bool operator==(const AppSettings&) const = default;
};

// Puts the default into each of the subject, heading and column titles that is empty (zero length),
// and the default body into an empty body; so too for the levels' names, subjects and bodies, and
// PocetUrovni is kept within 1 and kMaxReminderLevels. Blanks alone are kept; the copy address is
// never touched.
void ApplyDefaults(AppSettings& settings);

// Single CR or LF characters become CR LF, as the body is kept.
QString withCrLfLineBreaks(const QString& text);

// Where the main window's shape is kept between runs. It is applied to the window at load and taken
// from it at save, so it is no field of the record.
struct MainWindowLayout {
    static constexpr int kDefaultHeaderHeight = 193;
    bool Maximized = false;
    int HeaderHeight = kDefaultHeaderHeight;  // height of the upper (debtor) panel in pixels
    // The debtor panel's share of the height both panels have, in thousandths; 0 when not stored (the
    // first start, or a file of an older version), and HeaderHeight then decides.
    int HeaderPerMille = 0;
    // The place and size each window (by its object name) had when it was last closed: its client
    // area in screen coordinates, the main window's normal (not maximized) one.
    std::map<QString, QRect> Windows;

    bool operator==(const MainWindowLayout&) const = default;
};

}  // namespace tervalo::app
