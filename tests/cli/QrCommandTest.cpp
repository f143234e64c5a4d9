#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/QrDecoder.h"
#include "support/RealSmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

const QString kAlfa = QStringLiteral("1");   // two invoices and a credit note, CZK
const QString kHotel = QStringLiteral("8");  // one invoice in EUR

class QrCommandTest : public ::testing::Test {
protected:
    QrCommandTest() { test::writeDemoDefFile(dir); }

    test::CliResult set(const QString& field, const QString& value) {
        return test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("settings"),
                             QStringLiteral("set"), field, value});
    }

    test::CliResult run(const QString& command, const QString& debtor, const QStringList& extra = {}) {
        return test::runCli(QStringList{QStringLiteral("--app-dir"), dir.path(), command,
                                        test::demoExportPath(), QStringLiteral("--debtor"), debtor} +
                            extra);
    }

    void switchOn() {
        for (const auto& [field, value] : {std::pair{"QRPlatba", "1"}, {"QRUcet", "19-2000145399/0800"}}) {
            const test::CliResult result = set(QString::fromLatin1(field), QString::fromLatin1(value));
            ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
        }
    }

    test::TempAppDir dir;
};

TEST_F(QrCommandTest, printsTheCodesWritesTheirImagesAndAgreesWithTheReminder) {
    switchOn();
    const QString pngDir = dir.file(QStringLiteral("obrazky"));
    const test::CliResult result = run(QStringLiteral("qr"), kAlfa, {QStringLiteral("--png-dir"), pngDir});
    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(result.err, QString());
    const QJsonArray codes = QJsonDocument::fromJson(result.out.toUtf8()).array();
    const auto code = [](const char* spayd, const char* amount, const char* vs, const char* document) {
        return QJsonObject{{QStringLiteral("spayd"), QString::fromLatin1(spayd)},
                           {QStringLiteral("amount"), QString::fromLatin1(amount)},
                           {QStringLiteral("currency"), QStringLiteral("CZK")},
                           {QStringLiteral("vs"), QString::fromLatin1(vs)},
                           {QStringLiteral("documents"), QJsonArray{QString::fromLatin1(document)}}};
    };
    EXPECT_EQ(codes, (QJsonArray{code("SPD*1.0*ACC:CZ6508000000192000145399*AM:48400.00*CC:CZK"
                                      "*MSG:UHRADA DOKLADU FV260101*X-VS:260101",
                                      "48400.00", "260101", "FV260101"),
                                 code("SPD*1.0*ACC:CZ6508000000192000145399*AM:6050.25*CC:CZK"
                                      "*MSG:UHRADA DOKLADU FV260145*X-VS:260145",
                                      "6050.25", "260145", "FV260145")}));

    QStringList written;
    QStringList carried;
    for (const QString& name : {QStringLiteral("qr-platba.png"), QStringLiteral("qr-platba-2.png")}) {
        QFile image(QDir(pngDir).filePath(name));
        ASSERT_TRUE(image.open(QIODevice::ReadOnly)) << name.toStdString();
        written += test::decodeQrCodes(image.readAll());
    }
    const test::CliResult rendered =
        run(QStringLiteral("render"), kAlfa, {QStringLiteral("--to"), QStringLiteral("a@b.cz")});
    ASSERT_EQ(rendered.exitCode, 0) << rendered.err.toStdString();
    dir.write(QStringLiteral("upominka.eml"), rendered.out.toUtf8());
    const QJsonObject summary =
        transport::testing::summarizeMessage(dir.file(QStringLiteral("upominka.eml")));
    for (const QJsonValue part : summary.value(QStringLiteral("parts")).toArray()) {
        if (part[QStringLiteral("content_type")].toString() == QStringLiteral("image/png")) {
            carried += test::decodeQrCodes(
                QByteArray::fromBase64(part[QStringLiteral("base64")].toString().toLatin1()));
        }
    }
    const QStringList printed = {codes[0][QStringLiteral("spayd")].toString(),
                                 codes[1][QStringLiteral("spayd")].toString()};
    EXPECT_EQ(written, printed);
    EXPECT_EQ(carried, printed);
}

TEST_F(QrCommandTest, noCodeGivesAnEmptyArrayAndTheReason) {
    const test::CliResult off = run(QStringLiteral("qr"), kAlfa);
    EXPECT_EQ(off.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(off.out.toUtf8()).array(), QJsonArray());
    EXPECT_EQ(off.err, QStringLiteral("information: QR platba je v nastavení vypnutá (QRPlatba).\n"));

    switchOn();
    const test::CliResult euro = run(QStringLiteral("qr"), kHotel);
    EXPECT_EQ(euro.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(euro.out.toUtf8()).array(), QJsonArray());
    EXPECT_EQ(euro.err,
              QStringLiteral("information: Pro měnu EUR není nastaven účet, QR platba se v ní nevytvoří.\n"));

    ASSERT_EQ(set(QStringLiteral("QRUctyMeny"), QStringLiteral("EUR=DE89370400440532013000")).exitCode, 0);
    const QJsonArray codes = QJsonDocument::fromJson(run(QStringLiteral("qr"), kHotel).out.toUtf8()).array();
    ASSERT_EQ(codes.size(), 1);
    EXPECT_EQ(codes[0][QStringLiteral("currency")].toString(), QStringLiteral("EUR"));
}

TEST_F(QrCommandTest, settingsRefuseABadAccount) {
    const test::CliResult bad = set(QStringLiteral("QRUcet"), QStringLiteral("19-2000145398/0800"));
    EXPECT_EQ(bad.exitCode, 2);
    EXPECT_EQ(bad.err,
              QStringLiteral(
                  "error: invalid value for QRUcet: 19-2000145398/0800 (Číslo účtu 2000145398 nevyhovuje "
                  "kontrole modulo 11.)\n"));
    EXPECT_EQ(set(QStringLiteral("QRUctyMeny"), QStringLiteral("EUR=CZ00")).exitCode, 2);
    EXPECT_EQ(set(QStringLiteral("QRRezim"), QStringLiteral("3")).exitCode, 2);

    const test::CliResult shown =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("settings")});
    const QJsonObject settings = QJsonDocument::fromJson(shown.out.toUtf8()).object();
    EXPECT_EQ(settings.value(QStringLiteral("QRPlatba")), QJsonValue(false));
    EXPECT_EQ(settings.value(QStringLiteral("QRUcet")), QJsonValue(QString()));
    EXPECT_EQ(settings.value(QStringLiteral("QRRezim")), QJsonValue(1));
    EXPECT_EQ(settings.value(QStringLiteral("QRZprava")),
              QJsonValue(QStringLiteral("Úhrada dokladu %DOKLADY%")));
}

}  // namespace
