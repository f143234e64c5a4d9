#include "compose/SmtpReminder.h"
#include "compose/SmtpTestEmail.h"
#include "support/FakeUserInterface.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include "platform/SystemLocale.h"

#include <gtest/gtest.h>

using namespace tervalo;
using transport::testing::RealSmtpServer;
using transport::testing::TestCertificates;
using Message = test::FakeUserInterface::Message;

namespace {

const QString kRecipient = QStringLiteral("odberatel@firma.cz");

struct TlsReminderFixture : ::testing::Test {
    // A provider-style account: 587-like STARTTLS, LOGIN only after the encryption.
    app::AppSettings providerSettings(const RealSmtpServer& server) const {
        app::AppSettings settings;
        settings.DefaultSendMail = false;
        settings.SMTPHost = QStringLiteral("localhost");
        settings.SMTPPort = server.port();
        settings.SMTPSecurity = 1;
        settings.SMTPCAFile = certificates.caFile();
        settings.SMTPAuth = true;
        settings.SMTPUserID = QStringLiteral("uzivatel");
        settings.SMTPPassword = QStringLiteral("tajne-heslo");
        settings.SMTPFromAddress = QStringLiteral("upominky@dodavatel.cz");
        settings.SMTPFromName = QStringLiteral("Dodavatel, a.s.");
        return settings;
    }
    QStringList serverArguments(const QString& certificate) const {
        return QStringList{QStringLiteral("--user"),         QStringLiteral("uzivatel"),
                           QStringLiteral("--password"),     QStringLiteral("tajne-heslo"),
                           QStringLiteral("--require-auth"), QStringLiteral("--exclude"),
                           QStringLiteral("CRAM-MD5"),       QStringLiteral("--exclude"),
                           QStringLiteral("PLAIN")} +
               certificates.serverArguments(QStringLiteral("starttls"), certificate);
    }
    compose::ReminderResult deliver(const app::AppSettings& settings) {
        dir.write(QStringLiteral("Doklady.zip"), QByteArray("PK archive"));
        compose::ReminderRequest request;
        request.recipient = kRecipient;
        request.subjectTemplate = settings.E_Predmet;
        request.attachmentPath = dir.file(QStringLiteral("Doklady.zip"));
        const auto message = compose::ComposeSmtpReminder(
            request,
            {QStringLiteral("1.3.2026"), QStringLiteral("Dodavatel"), QStringLiteral("Odběratel"), {}},
            settings, transport::MimeEnvironment::forSystem(platform::SystemLocale()));
        return compose::DeliverSmtpReminder(*message, request, settings, ui);
    }

    TestCertificates certificates;
    test::TempAppDir dir;
    test::FakeUserInterface ui;
};

// The reminder route takes the encryption from the settings: a server that takes the password only
// after STARTTLS receives the reminder from the account.
TEST_F(TlsReminderFixture, reminderReachesAServerThatRequiresStartTlsBeforeAuthentication) {
    ASSERT_TRUE(certificates.isValid());
    RealSmtpServer server(serverArguments(QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());

    EXPECT_EQ(deliver(providerSettings(server)), compose::ReminderResult::Accepted);

    EXPECT_EQ(ui.messages(), std::vector<Message>{});
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject envelope = server.envelope(files[0]);
    EXPECT_EQ(envelope.value(QStringLiteral("login")).toString(), QStringLiteral("uzivatel"));
    EXPECT_EQ(transport::testing::summarizeMessage(files[0]).value(QStringLiteral("to")).toString(),
              kRecipient);
}

// Without the setting the same server refuses the account: encryption is what the setting adds.
TEST_F(TlsReminderFixture, withoutTheSecuritySettingTheServerRefusesTheAccount) {
    ASSERT_TRUE(certificates.isValid());
    RealSmtpServer server(serverArguments(QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());
    app::AppSettings settings = providerSettings(server);
    settings.SMTPSecurity = 0;

    const transport::SmtpOutcome outcome = compose::SendSmtpTestEmail(
        settings, {}, transport::MimeEnvironment::forSystem(platform::SystemLocale()));

    EXPECT_FALSE(outcome.delivered);
    EXPECT_EQ(transport::stageName(outcome.stage), QStringLiteral("authentication"));
    EXPECT_EQ(server.messageFiles(), QStringList());
}

// A refused certificate reaches the user with its reason before the failure of the reminder.
TEST_F(TlsReminderFixture, refusedCertificateIsShownWithItsReason) {
    ASSERT_TRUE(certificates.isValid());
    RealSmtpServer server(serverArguments(QStringLiteral("wronghost")));
    ASSERT_TRUE(server.isRunning());

    EXPECT_EQ(deliver(providerSettings(server)), compose::ReminderResult::NotSent);

    EXPECT_EQ(ui.messages(),
              (std::vector<Message>{
                  {QStringLiteral("error"),
                   QStringLiteral(
                       "Při odesílání e-mailu odberatel@firma.cz došlo k chybě: certifikát serveru nepatří "
                       "k adrese „localhost“. Zadejte adresu serveru přesně tak, jak ji uvádí "
                       "poskytovatel pošty.")},
                  {QStringLiteral("error"),
                   QStringLiteral("Odeslání e-mailu na adresu odberatel@firma.cz se nezdařilo.")}}));
    EXPECT_EQ(server.messageFiles(), QStringList());
}

}  // namespace
