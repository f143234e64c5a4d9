#include "support/RealSmtpServer.h"

#include "transport/smtp/SmtpError.h"
#include "transport/smtp/SmtpSender.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tervalo::transport {
namespace {

using testing::RealSmtpServer;
using testing::StartTlsInjector;
using testing::TestCertificates;

const QString kSender = QStringLiteral("upominky@dodavatel.cz");
const QString kRecipient = QStringLiteral("odberatel@firma.cz");
const QList<QByteArray> kMessage{"Subject: Upominka", "", "Text upominky.", ".tecka"};
const QStringList kAccount{QStringLiteral("--user"), QStringLiteral("uzivatel"), QStringLiteral("--password"),
                           QStringLiteral("tajne-heslo"), QStringLiteral("--require-auth")};

QStringList onlyMechanism(const QString& kept) {
    QStringList arguments;
    for (const QString& mechanism :
         {QStringLiteral("CRAM-MD5"), QStringLiteral("LOGIN"), QStringLiteral("PLAIN")}) {
        if (mechanism != kept) {
            arguments << QStringLiteral("--exclude") << mechanism;
        }
    }
    return arguments;
}

// The test CA, made once for all tests of this file.
const TestCertificates& certificates() {
    static const TestCertificates made;
    return made;
}

SmtpSessionOptions secured(SmtpSecurity security, const QString& caFile) {
    SmtpSessionOptions options;
    options.security = security;
    options.caFile = caFile;
    options.replyTimeoutMs = 10000;
    return options;
}

struct ProviderCase {
    const char* name;
    QString tls;  // of the server
    SmtpSecurity security;
    QString mechanism;
    QString host;
};

class TlsProviderTest : public ::testing::TestWithParam<ProviderCase> {};

// A server that takes the password only over an encrypted connection gets the message, the account
// accepted, in the way providers are set up: 587 with STARTTLS, 465 with TLS from the start.
TEST_P(TlsProviderTest, deliversOverTheEncryptedConnection) {
    const ProviderCase& c = GetParam();
    ASSERT_TRUE(certificates().isValid());
    RealSmtpServer server(kAccount + onlyMechanism(c.mechanism) +
                          certificates().serverArguments(c.tls, QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());

    const SmtpOutcome outcome =
        SendBySmtp(kSender, kRecipient, c.host + QStringLiteral(":%1").arg(server.port()), kMessage,
                   QStringLiteral("uzivatel"), QStringLiteral("tajne-heslo"),
                   secured(c.security, certificates().caFile()));

    EXPECT_TRUE(outcome.delivered) << stageName(outcome.stage).toStdString() << ": "
                                   << outcome.reply.toStdString();
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("login")).toString(),
              QStringLiteral("uzivatel"));
}

INSTANTIATE_TEST_SUITE_P(
    Providers, TlsProviderTest,
    ::testing::Values(ProviderCase{"starttls_login", QStringLiteral("starttls"), SmtpSecurity::StartTls,
                                   QStringLiteral("LOGIN"), QStringLiteral("localhost")},
                      ProviderCase{"starttls_cram_md5_by_address", QStringLiteral("starttls"),
                                   SmtpSecurity::StartTls, QStringLiteral("CRAM-MD5"),
                                   QStringLiteral("127.0.0.1")},
                      ProviderCase{"implicit_tls_plain", QStringLiteral("implicit"), SmtpSecurity::Tls,
                                   QStringLiteral("PLAIN"), QStringLiteral("localhost")},
                      ProviderCase{"starttls_plain", QStringLiteral("starttls"), SmtpSecurity::StartTls,
                                   QStringLiteral("PLAIN"), QStringLiteral("localhost")}),
    [](const auto& param) { return std::string(param.param.name); });

// The trust store of the TLS library is the system's, and SSL_CERT_FILE points it elsewhere, as an
// administrator would: no CA-file setting is needed then.
TEST(TlsTrust, systemStoreNamedBySslCertFileIsHonoured) {
    ASSERT_TRUE(certificates().isValid());
    RealSmtpServer server(
        certificates().serverArguments(QStringLiteral("implicit"), QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());
    const QByteArray previous = qgetenv("SSL_CERT_FILE");
    qputenv("SSL_CERT_FILE", certificates().caFile().toLocal8Bit());
    const SmtpOutcome outcome =
        SendBySmtp(kSender, kRecipient, QStringLiteral("localhost:%1").arg(server.port()), kMessage, {}, {},
                   secured(SmtpSecurity::Tls, {}));
    previous.isNull() ? qunsetenv("SSL_CERT_FILE") : qputenv("SSL_CERT_FILE", previous);
    EXPECT_TRUE(outcome.delivered) << outcome.reply.toStdString();
    EXPECT_EQ(server.messageFiles().size(), 1);
}

struct RefusedCase {
    const char* name;
    QString tls;
    SmtpSecurity security;
    QString certificate;
    bool trustTestCa;
    QString reason;
};

class TlsRefusedTest : public ::testing::TestWithParam<RefusedCase> {};

// A certificate that cannot be trusted ends the session before anything is sent, with the reason
// in words the user can act on, as a session error.
TEST_P(TlsRefusedTest, refusesWithItsReasonAndSendsNothing) {
    const RefusedCase& c = GetParam();
    ASSERT_TRUE(certificates().isValid());
    RealSmtpServer server(kAccount + certificates().serverArguments(c.tls, c.certificate));
    ASSERT_TRUE(server.isRunning());
    const QString address = QStringLiteral("localhost:%1").arg(server.port());
    const SmtpSessionOptions options =
        secured(c.security, c.trustTestCa ? certificates().caFile() : QString());

    const SmtpOutcome outcome = SendBySmtp(kSender, kRecipient, address, kMessage, QStringLiteral("uzivatel"),
                                           QStringLiteral("tajne-heslo"), options);

    EXPECT_FALSE(outcome.delivered);
    EXPECT_EQ(outcome.stage, SmtpStage::Tls);
    EXPECT_TRUE(outcome.sessionError);
    EXPECT_EQ(outcome.reply, c.reason);
    EXPECT_EQ(server.messageFiles(), QStringList());
}

const QString kUnknownIssuer = QStringLiteral(
    "certifikát serveru vydala neznámá certifikační autorita, nebo si jej server podepsal sám. Používá-li "
    "firma vlastní certifikační autoritu, zadejte v nastavení soubor s jejím certifikátem.");

INSTANTIATE_TEST_SUITE_P(
    Certificates, TlsRefusedTest,
    ::testing::Values(
        RefusedCase{"wrong_host_name", QStringLiteral("starttls"), SmtpSecurity::StartTls,
                    QStringLiteral("wronghost"), true,
                    QStringLiteral("certifikát serveru nepatří k adrese „localhost“. Zadejte adresu serveru "
                                   "přesně tak, jak ji uvádí poskytovatel pošty.")},
        RefusedCase{
            "expired", QStringLiteral("implicit"), SmtpSecurity::Tls, QStringLiteral("expired"), true,
            QStringLiteral("platnost certifikátu serveru skončila 1. 1. 2020. Certifikát musí obnovit "
                           "správce serveru; zkontrolujte také datum a čas tohoto počítače.")},
        RefusedCase{"self_signed", QStringLiteral("implicit"), SmtpSecurity::Tls,
                    QStringLiteral("selfsigned"), true, kUnknownIssuer},
        RefusedCase{"test_ca_not_trusted", QStringLiteral("starttls"), SmtpSecurity::StartTls,
                    QStringLiteral("server"), false, kUnknownIssuer},
        RefusedCase{
            "implicit_tls_to_a_starttls_port", QStringLiteral("starttls"), SmtpSecurity::Tls,
            QStringLiteral("server"), true,
            QStringLiteral("server na tomto portu nezačíná šifrované spojení. Zvolte zabezpečení "
                           "STARTTLS, nebo port, na kterém server šifruje od začátku (obvykle 465).")}),
    [](const auto& param) { return std::string(param.param.name); });

// The next reminder to the same server resumes the session the first one opened, instead of a full
// handshake; another server under the same name still has its certificate checked in full.
TEST(TlsResumption, nextSessionResumesAndAnotherServerIsStillVerified) {
    ASSERT_TRUE(certificates().isValid());
    RealSmtpServer server(
        certificates().serverArguments(QStringLiteral("starttls"), QStringLiteral("server")));
    ASSERT_TRUE(server.isRunning());
    const QString address = QStringLiteral("localhost:%1").arg(server.port());
    const SmtpSessionOptions options = secured(SmtpSecurity::StartTls, certificates().caFile());
    for (int reminder = 0; reminder < 3; ++reminder) {
        const SmtpOutcome outcome = SendBySmtp(kSender, kRecipient, address, kMessage, {}, {}, options);
        ASSERT_TRUE(outcome.delivered) << outcome.reply.toStdString();
    }
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 3);
    EXPECT_FALSE(server.envelope(files[0]).value(QStringLiteral("tls_resumed")).toBool());
    EXPECT_TRUE(server.envelope(files[1]).value(QStringLiteral("tls_resumed")).toBool());
    EXPECT_TRUE(server.envelope(files[2]).value(QStringLiteral("tls_resumed")).toBool());

    RealSmtpServer impostor(
        certificates().serverArguments(QStringLiteral("starttls"), QStringLiteral("wronghost")));
    ASSERT_TRUE(impostor.isRunning());
    const SmtpOutcome refused = SendBySmtp(
        kSender, kRecipient, QStringLiteral("localhost:%1").arg(impostor.port()), kMessage, {}, {}, options);
    EXPECT_FALSE(refused.delivered);
    EXPECT_EQ(refused.stage, SmtpStage::Tls);
    EXPECT_EQ(impostor.messageFiles(), QStringList());
}

class ClearTextPasswordTest : public ::testing::TestWithParam<QString> {};

// LOGIN and PLAIN give the password away (base64 hides nothing): over a plain connection neither is
// used, even as the only mechanism left (a man in the middle can strip CRAM-MD5 from the offer), and
// the failure, reported as the authentication's, tells the user to choose encryption. Allowed by
// SMTPPlainAuth for a trusted relay, the same server takes the message.
TEST_P(ClearTextPasswordTest, passwordTravelsUnencryptedOnlyWhenAllowed) {
    const QString mechanism = GetParam();
    RealSmtpServer server(kAccount + onlyMechanism(mechanism));
    ASSERT_TRUE(server.isRunning());
    const SmtpOutcome outcome = SendBySmtp(kSender, kRecipient, server.server(), kMessage,
                                           QStringLiteral("uzivatel"), QStringLiteral("tajne-heslo"));
    EXPECT_FALSE(outcome.delivered);
    EXPECT_EQ(outcome.stage, SmtpStage::Authentication);
    EXPECT_EQ(
        outcome.reply,
        QStringLiteral("server chce heslo v nešifrované podobě (AUTH %1), kterou by si mohl přečíst kdokoli "
                       "na cestě k serveru. Heslo nebylo odesláno; zvolte v nastavení zabezpečení "
                       "STARTTLS nebo TLS.")
            .arg(mechanism));
    EXPECT_EQ(server.messageFiles(), QStringList());

    SmtpSessionOptions allowed;
    allowed.plainAuthAllowed = true;
    const SmtpOutcome relayed =
        SendBySmtp(kSender, kRecipient, server.server(), kMessage, QStringLiteral("uzivatel"),
                   QStringLiteral("tajne-heslo"), allowed);
    EXPECT_TRUE(relayed.delivered) << relayed.reply.toStdString();
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("login")).toString(),
              QStringLiteral("uzivatel"));
}

INSTANTIATE_TEST_SUITE_P(Mechanisms, ClearTextPasswordTest,
                         ::testing::Values(QStringLiteral("LOGIN"), QStringLiteral("PLAIN")),
                         [](const auto& param) { return param.param.toStdString(); });

// A man in the middle answers STARTTLS with "220" and the replies to everything after it, then lets
// the real handshake happen: the session ends at the TLS stage without sending the handshake or
// anything else, and the injected "queued" is never taken for the server's acceptance.
TEST(StartTlsInjection, repliesBeforeTheHandshakeEndTheSessionUnsent) {
    ASSERT_TRUE(certificates().isValid());
    StartTlsInjector injector(certificates());
    ASSERT_TRUE(injector.isRunning());

    const SmtpOutcome outcome =
        SendBySmtp(kSender, kRecipient, QStringLiteral("localhost:%1").arg(injector.port()), kMessage, {}, {},
                   secured(SmtpSecurity::StartTls, certificates().caFile()));

    EXPECT_FALSE(outcome.delivered);
    EXPECT_TRUE(outcome.sessionError);
    EXPECT_EQ(outcome.stage, SmtpStage::Tls);
    EXPECT_TRUE(
        outcome.reply.startsWith(QStringLiteral("server poslal hned za souhlasem se šifrováním STARTTLS")))
        << outcome.reply.toStdString();
    EXPECT_EQ(injector.bytesAfter220(), "0");
}

}  // namespace
}  // namespace tervalo::transport
