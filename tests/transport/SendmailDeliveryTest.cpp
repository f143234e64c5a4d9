#include "support/CaseName.h"
#include "support/MailDesktop.h"
#include "support/RealSmtpServer.h"
#include "transport/mailclient/CheckMapiResult.h"
#include "transport/mailclient/EJclMapiError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QSysInfo>

#include <gtest/gtest.h>

#include <functional>

namespace tervalo::transport {
namespace {

using testing::MailDesktop;
using testing::summarizeMessage;

const QByteArray kArchive("PK\x03\x04 archiv \x00\xff", 14);

// A reminder as composition fills it, with hostile values where the export could put them.
void fillReminder(TJclEmail& email, const MailDesktop& desktop) {
    email.AddMailRecipient(QStringLiteral(" -oi@firma.cz "));
    email.AddMailRecipient(QStringLiteral("kopie@dodavatel.cz"), QStringLiteral("kopie@dodavatel.cz"), rcCc);
    email.SetMailSubject(QStringLiteral("Upomínka Žluťák\r\nBcc: evil@x.cz"));
    email.SetMailBody(QStringLiteral("Dobrý den,\r\n.\r\nzaplaťte 100 %."));
    email.AddAttachmentPath(desktop.file(QStringLiteral("Temp/Doklady.zip")));
}

QString storeInput(const MailDesktop& desktop) {
    desktop.write(QStringLiteral("out/message.eml"), desktop.sendmailInput());
    return desktop.file(QStringLiteral("out/message.eml"));
}

QStringList headerNames(const QString& messageFile) {
    return QString::fromUtf8(
               test::runPython({QStringLiteral("-c"),
                                QStringLiteral("import email, sys\n"
                                               "m = email.message_from_binary_file(open(sys.argv[1], 'rb'))\n"
                                               "print(','.join(m.keys()))\n"),
                                messageFile}))
        .trimmed()
        .split(u',');
}

// Python's reader gives text with LF line ends.
void expectReminderParts(const QJsonObject& summary) {
    EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
    // A line break in a header text becomes blanks: it can neither end the header nor start another.
    EXPECT_EQ(summary.value(QStringLiteral("subject")).toString(),
              QStringLiteral("Upomínka Žluťák  Bcc: evil@x.cz"));
    const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0][QStringLiteral("text")].toString(), QStringLiteral("Dobrý den,\n.\nzaplaťte 100 %."));
    EXPECT_EQ(parts[1][QStringLiteral("filename")].toString(), QStringLiteral("Doklady.zip"));
    EXPECT_EQ(QByteArray::fromBase64(parts[1][QStringLiteral("base64")].toString().toLatin1()), kArchive);
}

class SendmailDeliveryTest : public ::testing::Test {
protected:
    SendmailDeliveryTest() {
        EXPECT_TRUE(QDir().mkpath(desktop.file(QStringLiteral("Temp"))));
        desktop.write(QStringLiteral("Temp/Doklady.zip"), kArchive);
    }
    MailDesktop desktop;
    test::FakeUserInterface ui;
};

TEST_F(SendmailDeliveryTest, rendersTheReminderAndPassesEachRecipientAfterTheOptions) {
    desktop.addRecordingSendmail();
    TJclEmail email(desktop.environment);
    fillReminder(email, desktop);
    email.AddMailRecipient(QStringLiteral("skryta@dodavatel.cz"), {}, rcBcc);
    EXPECT_TRUE(email.SendThroughMailClient(false, desktop.context(ui)));

    EXPECT_EQ(
        desktop.recordedArguments(QStringLiteral("sendmail")),
        (QStringList{QStringLiteral("-i"), QStringLiteral("-f"), QStringLiteral("upominky@dodavatel.cz"),
                     QStringLiteral("--"), QStringLiteral("-oi@firma.cz"),
                     QStringLiteral("kopie@dodavatel.cz"), QStringLiteral("skryta@dodavatel.cz")}));
    EXPECT_FALSE(desktop.sendmailInput().contains('\r'));
    const QString message = storeInput(desktop);
    const QJsonObject summary = summarizeMessage(message);
    EXPECT_EQ(summary.value(QStringLiteral("from")).toString(),
              QStringLiteral("\"Dodavatel, a.s.\" <upominky@dodavatel.cz>"));
    EXPECT_EQ(summary.value(QStringLiteral("to")).toString(), QStringLiteral("-oi@firma.cz"));
    EXPECT_EQ(summary.value(QStringLiteral("cc")).toString(), QStringLiteral("kopie@dodavatel.cz"));
    EXPECT_EQ(summary.value(QStringLiteral("message_id")).toString(),
              QStringLiteral("<42101226093000@dodavatel.cz>"));
    expectReminderParts(summary);
    // The blind copy travels in the envelope only, and the subject's line break added no field.
    EXPECT_EQ(
        headerNames(message),
        (QStringList{QStringLiteral("From"), QStringLiteral("To"), QStringLiteral("Subject"),
                     QStringLiteral("Date"), QStringLiteral("CC"), QStringLiteral("MIME-Version"),
                     QStringLiteral("X-mailer"), QStringLiteral("Message-ID"), QStringLiteral("Return-Path"),
                     QStringLiteral("Content-type"), QStringLiteral("Content-Description")}));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SendmailDeliveryTest, withoutASenderTheSystemNamesItAndNoEnvelopeSenderIsGiven) {
    desktop.addRecordingSendmail();
    TJclEmail email(desktop.environment);
    email.AddMailRecipient(QStringLiteral("odberatel@firma.cz"));
    MailClientContext context = desktop.context(ui);
    context.senderName.clear();
    context.senderAddress.clear();
    EXPECT_TRUE(email.SendThroughMailClient(false, context));
    EXPECT_EQ(
        desktop.recordedArguments(QStringLiteral("sendmail")),
        (QStringList{QStringLiteral("-i"), QStringLiteral("--"), QStringLiteral("odberatel@firma.cz")}));
    const QString from = summarizeMessage(storeInput(desktop)).value(QStringLiteral("from")).toString();
    EXPECT_TRUE(from.endsWith(QLatin1Char('@') + QSysInfo::machineHostName())) << from.toStdString();
}

struct ExitCase {
    std::string name;
    QByteArray status;
    int code;
};

class SendmailExitTest : public SendmailDeliveryTest, public ::testing::WithParamInterface<ExitCase> {};

TEST_P(SendmailExitTest, exitStatusBecomesTheMapiError) {
    desktop.addRecordingSendmail();
    desktop.setSendmailExit(GetParam().status);
    TJclEmail email(desktop.environment);
    fillReminder(email, desktop);
    try {
        email.SendThroughMailClient(false, desktop.context(ui));
        FAIL() << "no error";
    } catch (const EJclMapiError& e) {
        EXPECT_EQ(e.code(), GetParam().code);
        EXPECT_EQ(e.text(), MapiErrorText(GetParam().code));
    }
    EXPECT_TRUE(desktop.ran(QStringLiteral("sendmail")));
}

INSTANTIATE_TEST_SUITE_P(Sysexits, SendmailExitTest,
                         ::testing::Values(ExitCase{"nouser", "67", 14}, ExitCase{"nohost", "68", 14},
                                           ExitCase{"unavailable", "69", 23}, ExitCase{"tempfail", "75", 23},
                                           ExitCase{"protocol", "76", 23}, ExitCase{"noperm", "77", 3},
                                           ExitCase{"config", "78", 2}, ExitCase{"killed", "kill", 2}),
                         test::CaseName());

TEST_F(SendmailDeliveryTest, aSubmissionThatOutlastsTheTimeoutIsKilledAndFails) {
    desktop.addSendmail("exec sleep 30\n");
    TJclEmail email(desktop.environment);
    email.AddMailRecipient(QStringLiteral("odberatel@firma.cz"));
    MailClientContext context = desktop.context(ui);
    context.submissionTimeout = std::chrono::milliseconds(300);
    try {
        email.SendThroughMailClient(false, context);
        FAIL() << "no error";
    } catch (const EJclMapiError& e) {
        EXPECT_EQ(e.code(), 2);
    }
}

// Refusals that come before any program runs.
struct RefusalCase {
    std::string name;
    std::function<void(MailDesktop&, TJclEmail&)> prepare;
    bool showDialog;
    int code;  // 0: the error without a code
    QString text;
};

class RefusalTest : public SendmailDeliveryTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, refusesBeforeStartingAnything) {
    desktop.addClient(QStringLiteral("posta"), QStringLiteral("posta"));
    desktop.addRecordingSendmail();
    TJclEmail email(desktop.environment);
    email.SelectMailClient(0);
    GetParam().prepare(desktop, email);
    try {
        email.SendThroughMailClient(GetParam().showDialog, desktop.context(ui));
        FAIL() << "no error";
    } catch (const EJclMapiError& e) {
        EXPECT_EQ(e.code(), GetParam().code);
        EXPECT_EQ(e.text(), GetParam().text);
    }
    EXPECT_FALSE(desktop.ran(QStringLiteral("sendmail")));
    EXPECT_FALSE(desktop.ran(QStringLiteral("posta")));
    EXPECT_TRUE(ui.messages().empty());
}

const QString kInvalidRecipients = MapiErrorText(25);

void addRecipient(TJclEmail& email, const QString& address) {
    email.AddMailRecipient(address);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, RefusalTest,
    ::testing::Values(RefusalCase{"missing_attachment_before_recipients",
                                  [](MailDesktop& d, TJclEmail& e) {
                                      e.AddAttachmentPath(d.file(QStringLiteral("Temp/Gone.zip")));
                                  },
                                  false, 11, MapiErrorText(11)},
                      RefusalCase{"no_recipients_without_window", [](MailDesktop&, TJclEmail&) {}, false, 25,
                                  kInvalidRecipients},
                      RefusalCase{"recipient_without_address_and_name",
                                  [](MailDesktop&, TJclEmail& e) { addRecipient(e, QStringLiteral("  ")); },
                                  true, 25, kInvalidRecipients},
                      RefusalCase{"line_break_in_address",
                                  [](MailDesktop&, TJclEmail& e) {
                                      addRecipient(e, QStringLiteral("a@b.cz\r\nRCPT TO:<c@d.cz>"));
                                  },
                                  false, 25, kInvalidRecipients},
                      RefusalCase{"nul_in_address",
                                  [](MailDesktop&, TJclEmail& e) {
                                      addRecipient(e, QStringLiteral("a@b.cz") + QChar(0) + u'x');
                                  },
                                  true, 25, kInvalidRecipients},
                      RefusalCase{"two_addresses_in_one",
                                  [](MailDesktop&, TJclEmail& e) {
                                      addRecipient(e, QStringLiteral("a@b.cz, evil@x.cz"));
                                  },
                                  true, 25, kInvalidRecipients}),
    test::CaseName());

// Each route names what is missing for it, whatever else is installed.
TEST(MailClientChoice, aRouteWithoutItsProgramSaysWhatToInstallOrChoose) {
    const QString noSendmail = QStringLiteral(
        "Pro odesílání pomocí poštovního klienta bez okna chybí systémový program pro odesílání pošty "
        "(sendmail). Nainstalujte ho (např. balíček msmtp-mta nebo postfix), nebo zvolte v nastavení "
        "odesílání pomocí SMTP serveru.");
    const QString noDesktopClient = QStringLiteral(
        "Není nainstalován žádný e-mailový klient, který by zprávu zobrazil k odeslání. Nainstalujte "
        "e-mailový "
        "klient (např. Thunderbird) a nastavte ho jako výchozí pro e-mail, nebo zvolte v nastavení odesílání "
        "pomocí SMTP serveru.");
    for (const bool showDialog : {false, true}) {
        MailDesktop desktop;
        test::FakeUserInterface ui;
        if (showDialog) {
            desktop.addRecordingSendmail();
        } else {
            desktop.addClient(QStringLiteral("posta"), QStringLiteral("posta"));
        }
        TJclEmail email(desktop.environment);
        email.AddMailRecipient(QStringLiteral("a@b.cz"));
        try {
            email.SendThroughMailClient(showDialog, desktop.context(ui));
            ADD_FAILURE() << showDialog << ": no error";
        } catch (const EJclMapiError& e) {
            EXPECT_EQ(e.text(), showDialog ? noDesktopClient : noSendmail);
            EXPECT_EQ(e.code(), 0);
        }
        EXPECT_FALSE(desktop.ran(QStringLiteral("posta")));
        EXPECT_FALSE(desktop.ran(QStringLiteral("sendmail")));
    }
}

TEST(TJclEmailMessage, bodyGetsAFinalLineBreakAndClearEmptiesTheMessage) {
    MailDesktop desktop;
    TJclEmail email(desktop.environment);
    email.SetMailBody(QStringLiteral("a\r\nb"));
    EXPECT_EQ(email.MailBody(), QStringLiteral("a\r\nb\r\n"));
    email.SetMailBody(QStringLiteral("c\r\n"));
    EXPECT_EQ(email.MailBody(), QStringLiteral("c\r\n"));
    email.SetMailBody(QString());
    EXPECT_EQ(email.MailBody(), QString());
    EXPECT_EQ(email.AddMailRecipient(QStringLiteral(" a@b.cz\t"), QStringLiteral("A"), rcCc,
                                     QStringLiteral("SMTP")),
              0);
    EXPECT_EQ(email.MailRecipients(), (QList<TJclEmailRecip>{{QStringLiteral("a@b.cz"), QStringLiteral("A"),
                                                              QStringLiteral("SMTP"), rcCc}}));
    email.SetMailSubject(QStringLiteral("x"));
    email.AddAttachmentPath(QStringLiteral("/tmp/x"));
    email.Clear();
    EXPECT_TRUE(email.MailRecipients().isEmpty());
    EXPECT_TRUE(email.MailSubject().isEmpty());
    EXPECT_TRUE(email.AttachmentPaths().isEmpty());
}

// msmtp, a real sendmail-compatible program, relays to the real SMTP server.
TEST_F(SendmailDeliveryTest, msmtpDeliversTheReminderToARealServer) {
    testing::RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    const QString config = desktop.file(QStringLiteral("msmtprc"));
    desktop.write(QStringLiteral("msmtprc"),
                  QStringLiteral("account default\nhost 127.0.0.1\nport %1\nauth off\ntls off\n"
                                 "from nikdo@localhost\n")
                      .arg(server.port())
                      .toUtf8());
    QFile::setPermissions(config, QFile::ReadOwner | QFile::WriteOwner);
    desktop.addSendmail("exec /usr/bin/msmtp -C '" + QFile::encodeName(config) + "' \"$@\"\n");
    TJclEmail email(desktop.environment);
    fillReminder(email, desktop);
    EXPECT_TRUE(email.SendThroughMailClient(false, desktop.context(ui)));

    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject envelope = server.envelope(files[0]);
    EXPECT_EQ(envelope.value(QStringLiteral("mail_from")).toString(),
              QStringLiteral("upominky@dodavatel.cz"));
    EXPECT_EQ(envelope.value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{QStringLiteral("-oi@firma.cz"), QStringLiteral("kopie@dodavatel.cz")}));
    expectReminderParts(summarizeMessage(files[0]));
}

}  // namespace
}  // namespace tervalo::transport
