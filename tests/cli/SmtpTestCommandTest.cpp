#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;
using transport::testing::RealSmtpServer;
using transport::testing::StartTlsInjector;
using transport::testing::TestCertificates;

namespace {

struct SmtpTestCase {
    const char* name;
    QString certificate;  // of the server
    QString password;     // in the settings
    QStringList arguments;
    bool ok;
    QString stage;
    QString replyStart;
    QString deliveredTo;  // empty: nothing arrives
};

class CliSmtpTest : public ::testing::TestWithParam<SmtpTestCase> {};

// smtp-test sends through the stored server, account and encryption and prints one JSON object
// naming the stage reached and the server's reply; the exit status says whether the message went.
TEST_P(CliSmtpTest, printsTheOutcomeAsJson) {
    const SmtpTestCase& c = GetParam();
    TestCertificates certificates;
    ASSERT_TRUE(certificates.isValid());
    RealSmtpServer server(QStringList{QStringLiteral("--user"), QStringLiteral("uzivatel"),
                                      QStringLiteral("--password"), QStringLiteral("tajne-heslo"),
                                      QStringLiteral("--require-auth")} +
                          certificates.serverArguments(QStringLiteral("starttls"), c.certificate));
    ASSERT_TRUE(server.isRunning());
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    dir.write(
        QStringLiteral("Vorbel.ini"),
        QStringLiteral("[SEND]\r\nDefaultSendMail=0\r\nSMTPHost=localhost\r\nSMTPPort=%1\r\nSMTPAuth=1\r\n"
                       "SMTPUserID=uzivatel\r\nSMTPFromAddress=upominky@dodavatel.cz\r\n"
                       "SMTPFromName=Dodavatel\r\nSMTPSecurity=1\r\nSMTPCAFile=%2\r\n")
            .arg(server.port())
            .arg(certificates.caFile())
            .toUtf8());
    const QStringList appDir{QStringLiteral("--app-dir"), dir.path()};
    ASSERT_EQ(test::runCli(appDir + QStringList{QStringLiteral("settings"), QStringLiteral("set"),
                                                QStringLiteral("SMTPPassword"), c.password})
                  .exitCode,
              0);

    const test::CliResult result =
        test::runCli(appDir + QStringList{QStringLiteral("smtp-test")} + c.arguments);

    EXPECT_EQ(result.exitCode, c.ok ? 0 : 1) << result.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(result.out.toUtf8()).object();
    EXPECT_EQ(json.keys(),
              (QStringList{QStringLiteral("ok"), QStringLiteral("reply"), QStringLiteral("stage")}));
    EXPECT_EQ(json.value(QStringLiteral("ok")), QJsonValue(c.ok));
    EXPECT_EQ(json.value(QStringLiteral("stage")).toString(), c.stage);
    EXPECT_TRUE(json.value(QStringLiteral("reply")).toString().startsWith(c.replyStart))
        << result.out.toStdString();
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), c.deliveredTo.isEmpty() ? 0 : 1);
    if (!files.isEmpty()) {
        const QJsonObject summary = transport::testing::summarizeMessage(files[0]);
        EXPECT_EQ(summary.value(QStringLiteral("to")).toString(), c.deliveredTo);
        EXPECT_EQ(summary.value(QStringLiteral("subject")).toString(),
                  QStringLiteral("Tervalo: zkušební e-mail"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, CliSmtpTest,
    ::testing::Values(
        SmtpTestCase{"to_the_sender",
                     QStringLiteral("server"),
                     QStringLiteral("tajne-heslo"),
                     {},
                     true,
                     QStringLiteral("data"),
                     QStringLiteral("250"),
                     QStringLiteral("upominky@dodavatel.cz")},
        SmtpTestCase{"to_another_address", QStringLiteral("server"), QStringLiteral("tajne-heslo"),
                     QStringList{QStringLiteral("--to"), QStringLiteral("spravce@dodavatel.cz")}, true,
                     QStringLiteral("data"), QStringLiteral("250"), QStringLiteral("spravce@dodavatel.cz")},
        SmtpTestCase{"wrong_password",
                     QStringLiteral("server"),
                     QStringLiteral("spatne"),
                     {},
                     false,
                     QStringLiteral("authentication"),
                     QStringLiteral("535"),
                     {}},
        SmtpTestCase{"expired_certificate",
                     QStringLiteral("expired"),
                     QStringLiteral("tajne-heslo"),
                     {},
                     false,
                     QStringLiteral("tls"),
                     QStringLiteral("platnost certifikátu serveru skončila 1. 1. 2020."),
                     {}}),
    [](const auto& param) { return std::string(param.param.name); });

// A program folder whose settings send through 127.0.0.1:`port` with the security `security` (the
// text as it stands in the file) and no account.
void writeServerSettings(const test::TempAppDir& dir, quint16 port, const char* security,
                         const QString& caFile = {}) {
    test::writeDemoDefFile(dir);
    dir.write(QStringLiteral("Vorbel.ini"),
              QStringLiteral("[SEND]\r\nDefaultSendMail=0\r\nSMTPHost=localhost\r\nSMTPPort=%1\r\n"
                             "SMTPFromAddress=upominky@dodavatel.cz\r\nSMTPFromName=Dodavatel\r\n"
                             "SMTPSecurity=%2\r\nSMTPCAFile=%3\r\n")
                  .arg(port)
                  .arg(QString::fromLatin1(security), caFile)
                  .toUtf8());
}

QJsonObject smtpTest(const test::TempAppDir& dir) {
    const test::CliResult result =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("smtp-test")});
    EXPECT_EQ(result.exitCode, 1) << result.out.toStdString();
    return QJsonDocument::fromJson(result.out.toUtf8()).object();
}

// A man in the middle answers STARTTLS with "220" and success replies to everything after it: the
// test e-mail fails at the TLS stage, and the peer receives nothing after its 220.
TEST(CliSmtpTestSecurity, repliesInjectedBeforeStartTlsFailTheTestEmail) {
    TestCertificates certificates;
    ASSERT_TRUE(certificates.isValid());
    StartTlsInjector injector(certificates);
    ASSERT_TRUE(injector.isRunning());
    test::TempAppDir dir;
    writeServerSettings(dir, injector.port(), "1", certificates.caFile());

    const QJsonObject json = smtpTest(dir);

    EXPECT_EQ(json.value(QStringLiteral("ok")), QJsonValue(false));
    EXPECT_EQ(json.value(QStringLiteral("stage")).toString(), QStringLiteral("tls"));
    EXPECT_TRUE(json.value(QStringLiteral("reply")).toString().contains(QStringLiteral("STARTTLS")));
    EXPECT_EQ(injector.bytesAfter220(), "0");
}

// A security value no version wrote is not taken for plain text: the test e-mail stops naming the key
// and the value, and the server never sees a connection's message.
TEST(CliSmtpTestSecurity, invalidSecurityValueSendsNothing) {
    RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    test::TempAppDir dir;
    writeServerSettings(dir, server.port(), "3");

    const QJsonObject json = smtpTest(dir);

    EXPECT_EQ(json.value(QStringLiteral("ok")), QJsonValue(false));
    EXPECT_EQ(json.value(QStringLiteral("stage")).toString(), QStringLiteral("tls"));
    EXPECT_TRUE(json.value(QStringLiteral("reply"))
                    .toString()
                    .startsWith(QStringLiteral("nastavení SMTPSecurity má neplatnou hodnotu 3")))
        << json.value(QStringLiteral("reply")).toString().toStdString();
    EXPECT_EQ(server.messageFiles(), QStringList());
}

}  // namespace
