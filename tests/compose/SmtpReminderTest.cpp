#include "compose/MakeMessageId.h"
#include "compose/SmtpReminder.h"
#include "support/CaseName.h"
#include "support/FakeUserInterface.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include <QJsonValue>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::compose;

namespace {

transport::MimeEnvironment fixedEnvironment() {
    transport::MimeEnvironment environment = transport::MimeEnvironment::forSystem(platform::SystemLocale());
    environment.currentTime = [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 30)); };
    environment.timeZoneBiasMinutes = [] { return -60; };
    environment.makeBoundary = [] { return QStringLiteral("BOUNDARY"); };
    return environment;
}

const TemplateValues kValues{QStringLiteral("10.12.2026"), QStringLiteral("Horák"), QStringLiteral("Žluťák"),
                             QStringLiteral("=====\r\nSEZNAM\r\n")};

struct ComposeCase {
    std::string name;
    QString fromName;
    QString copy;
    bool withBody;
    bool attach;
    QString senderField;
    QStringList copyList;
    QString envelope;
};

class ComposeSmtpReminderTest : public ::testing::TestWithParam<ComposeCase> {
protected:
    test::TempAppDir dir;
};

TEST_P(ComposeSmtpReminderTest, fillsHeaderPartsAndEnvelopeFromTheRequest) {
    const ComposeCase& c = GetParam();
    dir.write(QStringLiteral("Doklady.zip"), QByteArray("PK archive"));
    app::AppSettings settings;
    settings.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
    settings.SMTPFromName = c.fromName;
    settings.EText = QStringLiteral("Dobrý den %Odberatel%,\r\n%DOKLADY%konec");
    ReminderRequest request{QStringLiteral("dluznik@firma.cz"),
                            QStringLiteral("%DOKLADY% ke dni %datum%"),
                            dir.file(QStringLiteral("Doklady.zip")),
                            c.withBody,
                            c.attach,
                            c.copy};

    const auto message = ComposeSmtpReminder(request, kValues, settings, fixedEnvironment());

    EXPECT_EQ(message->Header.SenderField, c.senderField);
    EXPECT_EQ(message->Header.RecipientList, QStringList{QStringLiteral("<dluznik@firma.cz>")});
    EXPECT_EQ(message->Header.CopyList, c.copyList);
    EXPECT_EQ(message->Header.SubjectText, QStringLiteral("%DOKLADY% ke dni 10.12.2026"));
    EXPECT_EQ(message->Header.ExtraHeaderLines,
              QStringList{QStringLiteral("Return-Path: <upominky@horak.cz>")});
    EXPECT_TRUE(message->Header.MessageIdentifier.endsWith(QStringLiteral("@horak.cz")));
    EXPECT_EQ(EnvelopeRecipients(request), c.envelope);

    const QByteArray text = message->messageText();
    EXPECT_EQ(text.contains("Content-Disposition: inline"), c.withBody);
    EXPECT_EQ(text.contains("Content-Disposition: attachment"), c.attach);
    if (c.withBody) {
        EXPECT_TRUE(text.contains("Dobr=FD den =AElu=BB=E1k,\r\n=3D=3D=3D=3D=3D\r\nSEZNAM\r\nkonec"))
            << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ComposeSmtpReminderTest,
    ::testing::Values(ComposeCase{"named_sender_with_copy",
                                  QStringLiteral("Horák"),
                                  QStringLiteral("kopie@horak.cz"),
                                  true,
                                  true,
                                  QStringLiteral("Horák <upominky@horak.cz>"),
                                  {QStringLiteral("<kopie@horak.cz>")},
                                  QStringLiteral("dluznik@firma.cz,kopie@horak.cz")},
                      ComposeCase{"empty_sender_name_and_no_copy",
                                  QString(),
                                  QString(),
                                  true,
                                  true,
                                  QStringLiteral(" <upominky@horak.cz>"),
                                  {},
                                  QStringLiteral("dluznik@firma.cz")},
                      ComposeCase{"copy_of_blanks_is_no_copy",
                                  QString(),
                                  QStringLiteral("  "),
                                  true,
                                  false,
                                  QStringLiteral(" <upominky@horak.cz>"),
                                  {},
                                  QStringLiteral("dluznik@firma.cz")},
                      ComposeCase{"several_copy_addresses",
                                  QString(),
                                  QStringLiteral("a@horak.cz; b@horak.cz,"),
                                  true,
                                  true,
                                  QStringLiteral(" <upominky@horak.cz>"),
                                  {QStringLiteral("<a@horak.cz>"), QStringLiteral("<b@horak.cz>")},
                                  QStringLiteral("dluznik@firma.cz,a@horak.cz,b@horak.cz")},
                      ComposeCase{"attachment_only",
                                  QString(),
                                  QString(),
                                  false,
                                  true,
                                  QStringLiteral(" <upominky@horak.cz>"),
                                  {},
                                  QStringLiteral("dluznik@firma.cz")}),
    test::CaseName());

struct MessageIdCase {
    std::string name;
    QString sender;
    QString expected;
};

class MakeMessageIdTest : public ::testing::TestWithParam<MessageIdCase> {};

TEST_P(MakeMessageIdTest, joinsRandomTimeAndTheSendersDomain) {
    EXPECT_EQ(MakeMessageId(GetParam().sender, QDateTime(QDate(2005, 3, 24), QTime(14, 3, 7)), 123456789),
              GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Senders, MakeMessageIdTest,
    ::testing::Values(MessageIdCase{"domain_after_the_first_at", QStringLiteral("a@b@c.cz"),
                                    QStringLiteral("123456789240305140307@b@c.cz")},
                      MessageIdCase{"no_at_takes_the_whole_address", QStringLiteral("upominky"),
                                    QStringLiteral("123456789240305140307@upominky")}),
    test::CaseName());

TEST(MakeMessageId, differsBetweenCallsWithinOneClockTick) {
    EXPECT_NE(MakeMessageId(QStringLiteral("a@b.cz")), MakeMessageId(QStringLiteral("a@b.cz")));
}

// ---- Delivery

struct DeliveryCase {
    std::string name;
    bool auth;
    QJsonValue login;  // as the server saw it
};

class DeliverSmtpReminderTest : public ::testing::TestWithParam<DeliveryCase> {};

TEST_P(DeliverSmtpReminderTest, passesTheAccountOnlyWhenAuthenticationIsOn) {
    transport::testing::RealSmtpServer server({QStringLiteral("--user"), QStringLiteral("ucet"),
                                               QStringLiteral("--password"), QStringLiteral("heslo")});
    ASSERT_TRUE(server.isRunning());
    app::AppSettings settings;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port();
    settings.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
    settings.SMTPAuth = GetParam().auth;
    settings.SMTPUserID = QStringLiteral("ucet");
    settings.SMTPPassword = QStringLiteral("heslo");
    const ReminderRequest request{
        QStringLiteral("dluznik@firma.cz"), QStringLiteral("Upomínka"), {}, true, false, {}};
    const auto message = ComposeSmtpReminder(request, kValues, settings, fixedEnvironment());
    test::FakeUserInterface ui;

    EXPECT_EQ(DeliverSmtpReminder(*message, request, settings, ui), ReminderResult::Accepted);
    EXPECT_TRUE(ui.messages().empty());
    ASSERT_EQ(server.messageFiles().size(), 1);
    EXPECT_EQ(server.envelope(server.messageFiles().first()).value(QStringLiteral("login")),
              GetParam().login);
}

INSTANTIATE_TEST_SUITE_P(Accounts, DeliverSmtpReminderTest,
                         ::testing::Values(DeliveryCase{"auth_off_sends_no_account", false, QJsonValue::Null},
                                           DeliveryCase{"auth_on_logs_in", true, QStringLiteral("ucet")}),
                         test::CaseName());

TEST(DeliverSmtpReminder, failedSendIsReportedAndHidesTheWaitingWindow) {
    app::AppSettings settings;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = 1;  // nothing listens there
    settings.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
    const ReminderRequest request{
        QStringLiteral("dluznik@firma.cz"), QStringLiteral("Upomínka"), {}, true, false, {}};
    const auto message = ComposeSmtpReminder(request, kValues, settings, fixedEnvironment());
    test::FakeUserInterface ui;
    ui.showWaitMessage(QStringLiteral("Odesílám"), true);

    EXPECT_EQ(DeliverSmtpReminder(*message, request, settings, ui), ReminderResult::NotSent);
    EXPECT_EQ(
        ui.messages(),
        (std::vector<test::FakeUserInterface::Message>{
            {QStringLiteral("error"),
             QStringLiteral("Odeslání e-mailu na adresu dluznik@firma.cz se nezdařilo (připojení k serveru): "
                            "server odmítl spojení (na zadaném portu nic neběží).")}}));
    EXPECT_FALSE(ui.waitWindowVisible());
}

struct HostileCase {
    std::string name;
    QString recipient;
    QString copy;
    QString sender;
    QString refused;  // the address text as the error shows it
    int code;         // of the first control character
};

class HostileAddressTest : public ::testing::TestWithParam<HostileCase> {};

// A control character in an address would end the SMTP command or header line early: the send is
// refused before anything reaches the server, and the header lines of the message stay single lines.
TEST_P(HostileAddressTest, isRefusedAndNothingIsDelivered) {
    const HostileCase& c = GetParam();
    transport::testing::RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    app::AppSettings settings;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port();
    settings.SMTPFromAddress = c.sender;
    const ReminderRequest request{c.recipient, QStringLiteral("Upomínka"), {}, true, false, c.copy};
    const auto message = ComposeSmtpReminder(request, kValues, settings, fixedEnvironment());
    for (const QByteArray& line : message->MessageLines) {
        EXPECT_FALSE(line.contains('\r') || line.contains('\n') || line.contains('\0')) << line.toStdString();
    }
    test::FakeUserInterface ui;

    EXPECT_EQ(DeliverSmtpReminder(*message, request, settings, ui), ReminderResult::NotSent);
    EXPECT_EQ(ui.messages(),
              (std::vector<test::FakeUserInterface::Message>{
                  {QStringLiteral("error"),
                   QStringLiteral("Při odesílání e-mailu ") + c.recipient +
                       QStringLiteral(" došlo k chybě: E-mailová adresa „") + c.refused +
                       QStringLiteral("“ obsahuje nepovolený řídicí znak (kód %1).").arg(c.code)},
                  {QStringLiteral("error"), QStringLiteral("Odeslání e-mailu na adresu ") + c.recipient +
                                                QStringLiteral(" se nezdařilo.")}}));
    EXPECT_TRUE(server.messageFiles().isEmpty());
}

const QString kSender = QStringLiteral("upominky@horak.cz");
const QString kRecipient = QStringLiteral("dluznik@firma.cz");

INSTANTIATE_TEST_SUITE_P(
    Addresses, HostileAddressTest,
    ::testing::Values(HostileCase{"recipient_with_crlf_rcpt_to",
                                  QStringLiteral("dluznik@firma.cz>\r\nRCPT TO:<cizi@jinde.cz"),
                                  {},
                                  kSender,
                                  QStringLiteral("dluznik@firma.cz>  RCPT TO:<cizi@jinde.cz"),
                                  13},
                      HostileCase{"recipient_with_lf",
                                  QStringLiteral("dluznik@firma.cz\nRCPT TO:<cizi@jinde.cz>"),
                                  {},
                                  kSender,
                                  QStringLiteral("dluznik@firma.cz RCPT TO:<cizi@jinde.cz>"),
                                  10},
                      HostileCase{"recipient_with_nul",
                                  QStringLiteral("dluznik@firma.cz") + QChar(0) + QStringLiteral("x"),
                                  {},
                                  kSender,
                                  QStringLiteral("dluznik@firma.cz x"),
                                  0},
                      HostileCase{"copy_with_crlf_bcc_header", kRecipient,
                                  QStringLiteral("kopie@horak.cz>\r\nBcc: cizi@jinde.cz"), kSender,
                                  QStringLiteral("dluznik@firma.cz,kopie@horak.cz>  Bcc: cizi@jinde.cz"), 13},
                      HostileCase{"sender_ending_the_data_early",
                                  kRecipient,
                                  {},
                                  QStringLiteral("upominky@horak.cz>\r\n.\r\nMAIL FROM:<x@y.cz"),
                                  QStringLiteral("upominky@horak.cz>  .  MAIL FROM:<x@y.cz"),
                                  13}),
    test::CaseName());

}  // namespace
