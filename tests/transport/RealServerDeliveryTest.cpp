#include "support/RealSmtpServer.h"
#include "support/RunProcess.h"

#include "transport/mime/TMimeMess.h"
#include "transport/smtp/SmtpSender.h"

#include "platform/SystemLocale.h"

#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tervalo::transport {
namespace {

using testing::RealSmtpServer;

const QString kSender = QStringLiteral("upominky@dodavatel.cz");

// A rendered reminder in the shape composition gives it.
QList<QByteArray> renderReminder(const QString& subject, const QString& body, const QString& attachment) {
    TMimeMess message(MimeEnvironment::forSystem(platform::SystemLocale()));
    message.Header.SenderField = QStringLiteral("Dodavatel, a.s. <") + kSender + u'>';
    message.Header.ExtraHeaderLines.append(QStringLiteral("Return-Path: <") + kSender + u'>');
    message.Header.RecipientList.append(QStringLiteral("<odberatel@firma.cz>"));
    message.Header.CopyList.append(QStringLiteral("<kopie@dodavatel.cz>"));
    message.Header.MessageIdentifier = QStringLiteral("1234567890050324140307@dodavatel.cz");
    message.Header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    message.Header.SubjectText = subject;
    TMimePart& root = message.StartMultipart(QStringLiteral("Mixed"));
    message.AppendTextPart(body, root);
    if (!attachment.isEmpty()) {
        message.AppendFilePart(attachment, root);
    }
    message.RenderMessage();
    return message.MessageLines;
}

struct AuthCase {
    const char* name;
    QStringList serverArguments;
    QString password;
    bool delivered;
    bool plainAuthAllowed = false;  // SMTPPlainAuth: LOGIN on this unencrypted connection
};

class RealServerAuthTest : public ::testing::TestWithParam<AuthCase> {};

TEST_P(RealServerAuthTest, authenticatesWithTheOfferedMechanism) {
    RealSmtpServer server(QStringList{QStringLiteral("--user"), QStringLiteral("uzivatel"),
                                      QStringLiteral("--password"), QStringLiteral("tajne-heslo"),
                                      QStringLiteral("--require-auth")} +
                          GetParam().serverArguments);
    ASSERT_TRUE(server.isRunning());
    const QList<QByteArray> lines = renderReminder(QStringLiteral("Test"), QStringLiteral("Text"), {});

    SmtpSessionOptions options;
    options.plainAuthAllowed = GetParam().plainAuthAllowed;
    EXPECT_EQ(SendBySmtp(kSender, QStringLiteral("odberatel@firma.cz"), server.server(), lines,
                         QStringLiteral("uzivatel"), GetParam().password, options)
                  .delivered,
              GetParam().delivered);
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), GetParam().delivered ? 1 : 0);
    if (GetParam().delivered) {
        EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("login")).toString(),
                  QStringLiteral("uzivatel"));
    }
}

const QStringList kOnlyCramMd5{QStringLiteral("--exclude"), QStringLiteral("LOGIN"),
                               QStringLiteral("--exclude"), QStringLiteral("PLAIN")};
const QStringList kOnlyLogin{QStringLiteral("--exclude"), QStringLiteral("CRAM-MD5"),
                             QStringLiteral("--exclude"), QStringLiteral("PLAIN")};

INSTANTIATE_TEST_SUITE_P(
    Mechanisms, RealServerAuthTest,
    ::testing::Values(AuthCase{"cram_md5", kOnlyCramMd5, QStringLiteral("tajne-heslo"), true},
                      AuthCase{"cram_md5_wrong_password", kOnlyCramMd5, QStringLiteral("spatne"), false},
                      AuthCase{"login_allowed_in_clear_text", kOnlyLogin, QStringLiteral("tajne-heslo"), true,
                               true},
                      AuthCase{"login_wrong_password", kOnlyLogin, QStringLiteral("spatne"), false, true}),
    [](const auto& param) { return std::string(param.param.name); });

// A Czech reminder with its archive travels through a real server and reads back in Python's
// email package exactly as it was written.
TEST(RealServerDelivery, czechReminderArrivesIntactWithItsArchive) {
    QTemporaryDir dir;
    const QString zipPath = dir.filePath(QStringLiteral("Doklady.zip"));
    test::runPython({QStringLiteral("-c"),
                     QStringLiteral("import sys, zipfile\n"
                                    "with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as z:\n"
                                    "    z.writestr('Doklady.txt', ''.join('Faktura %06d  splatno 1.2.2024  "
                                    "%9d,50 Kc\\r\\n' % (i, i * 997) for i in range(60)))\n"),
                     zipPath});
    QFile zip(zipPath);
    ASSERT_TRUE(zip.open(QIODevice::ReadOnly));
    const QByteArray zipBytes = zip.readAll();
    ASSERT_GT(zipBytes.size(), 100);

    // The en dash exists in windows-1250 but not in ISO-8859-2: iconv transliterates it.
    const QString subject =
        QStringLiteral("Upomínka neuhrazených dokladů ke dni 05.03.2024 – Řezníček & syn");
    const QString body = QStringLiteral(
        "Vážený zákazníku,\r\n"
        "\r\n"
        "dovolujeme si Vás upozornit, že evidujeme tyto neuhrazené doklady, jejichž splatnost již uplynula a "
        "které prosíme uhradit obratem.\r\n"
        ".tečka na začátku řádku\r\n"
        "Celkem = 12 345,50 Kč \r\n"
        "S pozdravem\r\n"
        "Účtárna");
    RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    const QList<QByteArray> lines = renderReminder(subject, body, zipPath);
    ASSERT_TRUE(SendBySmtp(kSender, QStringLiteral("odberatel@firma.cz,kopie@dodavatel.cz"), server.server(),
                           lines, {}, {})
                    .delivered);

    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    qint64 size = 0;
    for (const QByteArray& line : lines) {
        size += line.size() + 2;
    }
    const QJsonObject envelope = server.envelope(files[0]);
    EXPECT_EQ(envelope.value(QStringLiteral("mail_from")).toString(), kSender);
    EXPECT_EQ(envelope.value(QStringLiteral("rcpt_tos")).toArray(),
              QJsonArray({QStringLiteral("odberatel@firma.cz"), QStringLiteral("kopie@dodavatel.cz")}));
    EXPECT_EQ(envelope.value(QStringLiteral("mail_options")).toArray(),
              QJsonArray({QStringLiteral("SIZE=%1").arg(size)}));

    const QJsonObject summary = testing::summarizeMessage(files[0]);
    EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
    EXPECT_EQ(summary.value(QStringLiteral("subject")).toString(), QString(subject).replace(u'–', u'-'));
    EXPECT_EQ(summary.value(QStringLiteral("from")).toString(),
              QStringLiteral("\"Dodavatel, a.s.\" <upominky@dodavatel.cz>"));
    EXPECT_EQ(summary.value(QStringLiteral("to")).toString(), QStringLiteral("odberatel@firma.cz"));
    EXPECT_EQ(summary.value(QStringLiteral("cc")).toString(), QStringLiteral("kopie@dodavatel.cz"));
    EXPECT_EQ(summary.value(QStringLiteral("content_type")).toString(), QStringLiteral("multipart/mixed"));

    const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    const QJsonObject text = parts[0].toObject();
    EXPECT_EQ(text.value(QStringLiteral("content_type")).toString(), QStringLiteral("text/plain"));
    EXPECT_EQ(text.value(QStringLiteral("charset")).toString(), QStringLiteral("iso-8859-2"));
    QString expectedBody = body;
    expectedBody.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(text.value(QStringLiteral("text")).toString(), expectedBody);
    const QJsonObject file = parts[1].toObject();
    EXPECT_EQ(file.value(QStringLiteral("content_type")).toString(), QStringLiteral("application/zip"));
    EXPECT_EQ(file.value(QStringLiteral("disposition")).toString(), QStringLiteral("attachment"));
    EXPECT_EQ(file.value(QStringLiteral("filename")).toString(), QStringLiteral("Doklady.zip"));
    EXPECT_EQ(QByteArray::fromBase64(file.value(QStringLiteral("base64")).toString().toLatin1()), zipBytes);
}

// A recipient refused between two accepted ones: the server with pipelining has taken DATA for the
// other two by the time the refusal is read, yet nobody gets a message and the refusal is the outcome,
// as from the server that takes one command at a time.
TEST(RealServerDelivery, recipientRefusedInTheMiddleStopsTheMessage) {
    const QList<QByteArray> lines = renderReminder(QStringLiteral("Test"), QStringLiteral("Text"), {});
    for (const QStringList& pipelining : {QStringList{}, QStringList{QStringLiteral("--no-pipelining")}}) {
        SCOPED_TRACE(pipelining.join(u' ').toStdString());
        RealSmtpServer server(QStringList{QStringLiteral("--refuse"), QStringLiteral("nikdo@firma.cz")} +
                              pipelining);
        ASSERT_TRUE(server.isRunning());
        const SmtpOutcome outcome =
            SendBySmtp(kSender, QStringLiteral("odberatel@firma.cz, nikdo@firma.cz, kopie@dodavatel.cz"),
                       server.server(), lines, {}, {});
        EXPECT_FALSE(outcome.delivered);
        EXPECT_EQ(outcome.stage, SmtpStage::Recipient);
        EXPECT_EQ(outcome.reply,
                  QStringLiteral("550 5.1.1 <nikdo@firma.cz>: Recipient address rejected: User unknown"));
        EXPECT_EQ(server.messageFiles(), QStringList());
    }
}

}  // namespace
}  // namespace tervalo::transport
