#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"
#include "support/TempAppDir.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;
using transport::testing::RealSmtpServer;
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

}  // namespace
