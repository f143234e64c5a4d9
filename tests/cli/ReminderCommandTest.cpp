#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"
#include "support/RunProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;
using transport::testing::RealSmtpServer;
using transport::testing::summarizeMessage;

namespace {

const QString kBelohradsky = QStringLiteral("2");  // the demo debtor "Bělohradský a syn; stavební firma"

// Python's zipfile: the one entry's name and its content, in base64.
QByteArray unzippedEntry(const QByteArray& archiveBase64) {
    return test::runPython({QStringLiteral("-c"),
                            QStringLiteral("import base64, io, sys, zipfile\n"
                                           "z = zipfile.ZipFile(io.BytesIO(base64.b64decode(sys.argv[1])))\n"
                                           "[i] = z.infolist()\n"
                                           "print(i.filename + ':' + base64.b64encode(z.read(i)).decode())"),
                            QString::fromLatin1(archiveBase64)});
}

class CliReminderTest : public ::testing::Test {
protected:
    CliReminderTest() {
        test::writeDemoDefFile(dir);
        set(QStringLiteral("SMTPFromAddress"), QStringLiteral("upominky@horak.cz"));
        set(QStringLiteral("SMTPFromName"), QStringLiteral("Účetní kancelář Horák"));
        set(QStringLiteral("E_Predmet"), QStringLiteral("Upomínka pro %odberatel% ke dni %DATUM%"));
        set(QStringLiteral("EText"),
            QStringLiteral("Vážení,\r\nzasíláme seznam:\r\n%DOKLADY%\r\nS pozdravem"));
        set(QStringLiteral("E_KopieEmailu"), QStringLiteral("kopie@horak.cz"));
    }

    void set(const QString& field, const QString& value) {
        auto result = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("settings"),
                                    QStringLiteral("set"), field, value});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    }

    test::CliResult run(const QString& command, const QStringList& extra = {}) {
        return test::runCli(QStringList{QStringLiteral("--app-dir"), dir.path(), command,
                                        test::demoExportPath(), QStringLiteral("--debtor"), kBelohradsky} +
                            extra);
    }

    QByteArray documentList() const {
        QFile file(dir.file(QStringLiteral("Temp/2/Doklady.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // What a mail reader sees in the message: no defects, the texts and the attachment unpacked.
    void expectReadableReminder(const QString& messageFile) {
        const QJsonObject summary = summarizeMessage(messageFile);
        EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
        EXPECT_EQ(summary.value(QStringLiteral("subject")).toString(),
                  QStringLiteral("Upomínka pro Bělohradský a syn; stavební firma ke dni 10.12.2026"));
        EXPECT_EQ(summary.value(QStringLiteral("from")).toString(),
                  QStringLiteral("Účetní kancelář Horák <upominky@horak.cz>"));
        EXPECT_EQ(summary.value(QStringLiteral("cc")).toString(), QStringLiteral("kopie@horak.cz"));
        const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
        ASSERT_EQ(parts.size(), 2);
        const QString list = test::cp1250().decode(documentList());
        ASSERT_FALSE(list.isEmpty());
        QString expectedBody =
            QStringLiteral("Vážení,\nzasíláme seznam:\n") + list + QStringLiteral("\nS pozdravem");
        expectedBody.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        EXPECT_EQ(parts[0].toObject().value(QStringLiteral("text")).toString(), expectedBody);
        const QJsonObject attachment = parts[1].toObject();
        EXPECT_EQ(attachment.value(QStringLiteral("filename")).toString(), QStringLiteral("Doklady.zip"));
        EXPECT_EQ(unzippedEntry(attachment.value(QStringLiteral("base64")).toString().toLatin1()).trimmed(),
                  QByteArray("Doklady.txt:") + documentList().toBase64());
    }

    test::TempAppDir dir;
};

TEST_F(CliReminderTest, renderedMessageReadsBackWithTheSameTextsAndArchive) {
    auto result = run(QStringLiteral("render"));
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_TRUE(result.out.startsWith(QStringLiteral("From: ")));
    EXPECT_TRUE(result.out.contains(QStringLiteral("\r\nTo: belohradsky@seznam.cz\r\n")));
    EXPECT_EQ(result.out.count(QStringLiteral("\r\n")), result.out.count(u'\n'));  // CR LF only

    const QString file = dir.file(QStringLiteral("message.eml"));
    dir.write(QStringLiteral("message.eml"), result.out.toUtf8());
    expectReadableReminder(file);
}

// A debtor never reminded gets the first level; "--level N" gives level N's texts, and a level not in
// use is a usage error.
TEST_F(CliReminderTest, renderTakesTheDebtorsLevelOrTheOneForced) {
    const QString file = dir.file(QStringLiteral("message.eml"));
    for (const auto& [extra, subject] :
         {std::pair{QStringList{},
                    QStringLiteral("Upomínka pro Bělohradský a syn; stavební firma ke dni 10.12.2026")},
          std::pair{QStringList{QStringLiteral("--level"), QStringLiteral("3")},
                    QStringLiteral("Předžalobní výzva k úhradě dlužné částky")}}) {
        auto result = run(QStringLiteral("render"), extra);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        dir.write(QStringLiteral("message.eml"), result.out.toUtf8());
        EXPECT_EQ(summarizeMessage(file).value(QStringLiteral("subject")).toString(), subject);
    }
    EXPECT_EQ(run(QStringLiteral("render"), {QStringLiteral("--level"), QStringLiteral("4")}).exitCode, 2);
}

TEST_F(CliReminderTest, smtpSendDeliversToTheRealServer) {
    RealSmtpServer server(QStringList{});
    ASSERT_TRUE(server.isRunning());
    set(QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1"));
    set(QStringLiteral("SMTPPort"), QString::number(server.port()));

    auto result =
        run(QStringLiteral("smtp-send"), {QStringLiteral("--to"), QStringLiteral("jinam@firma.cz")});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList messages = server.messageFiles();
    ASSERT_EQ(messages.size(), 1);
    const QJsonObject envelope = server.envelope(messages.first());
    EXPECT_EQ(envelope.value(QStringLiteral("mail_from")).toString(), QStringLiteral("upominky@horak.cz"));
    EXPECT_EQ(envelope.value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{QStringLiteral("jinam@firma.cz"), QStringLiteral("kopie@horak.cz")}));
    EXPECT_EQ(summarizeMessage(messages.first()).value(QStringLiteral("to")).toString(),
              QStringLiteral("jinam@firma.cz"));
    expectReadableReminder(messages.first());
}

TEST_F(CliReminderTest, smtpSendThatIsRefusedEndsWithTheMessages) {
    // A server that wants a login the settings do not give refuses the message.
    RealSmtpServer server(QStringList{QStringLiteral("--user"), QStringLiteral("u"),
                                      QStringLiteral("--password"), QStringLiteral("p"),
                                      QStringLiteral("--require-auth")});
    ASSERT_TRUE(server.isRunning());
    set(QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1"));
    set(QStringLiteral("SMTPPort"), QString::number(server.port()));

    auto result = run(QStringLiteral("smtp-send"));

    EXPECT_EQ(result.exitCode, 1);
    EXPECT_TRUE(result.err.contains(
        QStringLiteral("error: Odeslání e-mailu na adresu belohradsky@seznam.cz se nezdařilo (adresa "
                       "odesílatele): 530 5.7.0 Authentication required\n")))
        << result.err.toStdString();
    EXPECT_TRUE(server.messageFiles().isEmpty());
}

}  // namespace
