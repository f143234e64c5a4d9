#include "compose/FillMailClientList.h"
#include "compose/SendReminder.h"
#include "support/FakeUserInterface.h"
#include "support/MailDesktop.h"
#include "support/QrDecoder.h"
#include "support/RealSmtpServer.h"

#include <QFile>
#include <QJsonArray>
#include <QRegularExpression>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::compose;

namespace {

const QString kFv1 = QStringLiteral(
    "SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:48400.00*CC:CZK*MSG:UHRADA DOKLADU "
    "FV260101*X-VS:260101");
const QString kFv2 = QStringLiteral(
    "SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:6050.25*CC:CZK*MSG:UHRADA DOKLADU "
    "FV260145*X-VS:260145");

// A debtor with two invoices, a credit note and an excluded invoice, and a desktop with a recording
// Thunderbird-family client and a recording sendmail.
class QrPlatbaReminderTest : public ::testing::Test {
protected:
    QrPlatbaReminderTest() : tables(locale) {
        tables.AsOfDate = QStringLiteral("10.12.2026");
        tables.SupplierName = QStringLiteral("Horák s.r.o.");
        tables.mtFirmy.append();
        tables.mtFirmy.setText(u"OdbNazev", QStringLiteral("Alfa Stavby s.r.o."));
        tables.mtFirmy.setText(u"TextNeuhrDokl", QStringLiteral("FV260101 48400,00\r\n"));
        tables.mtFirmy.setInt(u"ID", 7);
        tables.mtFirmy.post();
        addDocument("FV260101", "260101", 48400.00, false, true);
        addDocument("FV260145", "260145", 6050.25, false, true);
        addDocument("DB260007", "260007", -2420.00, true, true);
        addDocument("FV260199", "260199", 100.00, false, false);

        desktop.addClient(QStringLiteral("posta"), QStringLiteral("thunderbird"));
        desktop.addRecordingSendmail();
        FillMailClientList(clients, desktop.environment);
        desktop.write(QStringLiteral("Doklady.zip"), QByteArray("PK archive"));

        settings.EText = QStringLiteral("Dobrý den,\r\n%QRPLATBA%\r\nS pozdravem");
        settings.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
        settings.SMTPFromName = QStringLiteral("Účtárna");
        settings.E_KopieEmailu.clear();
        settings.QRPlatba = true;
        settings.QRUcet = QStringLiteral("19-2000145399/0800");
        settings.QRBic = QStringLiteral("gibaczpx");
    }

    void addDocument(const char* number, const char* symbol, double amount, bool credit, bool included,
                     const char* currency = "CZK") {
        memtable::MemTable& doklady = tables.mtDoklady;
        doklady.append();
        doklady.setText(u"CisloDokl", QString::fromLatin1(number));
        doklady.setText(u"VarSymbol", QString::fromLatin1(symbol));
        doklady.setFloat(u"CelkNeprop", amount);
        doklady.setText(u"Mena", QString::fromLatin1(currency));
        doklady.setBool(u"Dobropis", credit);
        doklady.setBool(u"Exportovat", included);
        doklady.setInt(u"ID", 7);
        doklady.post();
    }

    ReminderRequest reminder(ReminderRoute route) const {
        ReminderRequest request = DebtorReminderRequest(
            QStringLiteral("dluznik@firma.cz"), desktop.file(QStringLiteral("Doklady.zip")), settings);
        request.route = route;
        return request;
    }

    ReminderResult send(const ReminderRequest& request) {
        ReminderContext context{tables, settings, clients, locale, ui, {}, desktop.environment};
        return SendReminder(request, context);
    }

    platform::SystemLocale locale;
    import::ExportTables tables;
    app::AppSettings settings;
    EmailKlientTable clients;
    transport::testing::MailDesktop desktop;
    test::FakeUserInterface ui;
};

TEST_F(QrPlatbaReminderTest, smtpReminderCarriesDecodableCodesAfterTheText) {
    transport::testing::RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port();

    ASSERT_EQ(send(reminder(ReminderRoute::Smtp)), ReminderResult::Accepted);

    ASSERT_EQ(server.messageFiles().size(), 1);
    const QJsonObject summary = transport::testing::summarizeMessage(server.messageFiles().first());
    EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
    const QJsonArray parts = summary.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 4);
    EXPECT_EQ(parts[0][QStringLiteral("text")].toString(),
              QStringLiteral("Dobrý den,\r\n"
                             "QR platba: účet CZ6508000000192000145399 (BIC GIBACZPX), částka 48400,00 CZK, "
                             "variabilní symbol 260101\r\n"
                             "QR platba: účet CZ6508000000192000145399 (BIC GIBACZPX), částka 6050,25 CZK, "
                             "variabilní symbol 260145\r\nS pozdravem")
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const QStringList names = {QStringLiteral("qr-platba.png"), QStringLiteral("qr-platba-2.png")};
    const QStringList codes = {kFv1, kFv2};
    for (int i = 0; i < 2; ++i) {
        const QJsonValue part = parts[i + 1];
        EXPECT_EQ(part[QStringLiteral("content_type")].toString(), QStringLiteral("image/png"));
        EXPECT_EQ(part[QStringLiteral("disposition")].toString(), QStringLiteral("inline"));
        EXPECT_EQ(part[QStringLiteral("filename")].toString(), names[i]);
        const QByteArray png = QByteArray::fromBase64(part[QStringLiteral("base64")].toString().toLatin1());
        EXPECT_EQ(test::decodeQrCodes(png), QStringList({codes[i]}));
    }
    EXPECT_EQ(parts[3][QStringLiteral("filename")].toString(), QStringLiteral("Doklady.zip"));
    EXPECT_TRUE(ui.messages().empty());
}

// Whatever the payment settings hold, with QRPlatba off the reminder is the one it always was: only
// its Message-ID, random by design, differs.
TEST_F(QrPlatbaReminderTest, switchedOffLeavesTheMessageAsItWas) {
    settings.QRPlatba = false;
    settings.QRUcet = QStringLiteral("not an account");
    settings.QRRezim = 2;
    app::AppSettings plain = settings;
    plain.QRUcet.clear();
    plain.QRBic.clear();
    plain.QRRezim = 1;

    transport::MimeEnvironment environment = transport::MimeEnvironment::forSystem(locale);
    environment.currentTime = [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 30)); };
    environment.makeBoundary = [] { return QStringLiteral("BOUNDARY"); };
    const auto render = [&](const app::AppSettings& s, const std::optional<ReminderPayments>& payments) {
        const ReminderRequest request = reminder(ReminderRoute::Smtp);
        // The rendered message is 7-bit: quoted-printable and base64.
        return QString::fromLatin1(
                   ComposeSmtpReminder(request, CurrentDebtorValues(tables), s, environment, payments)
                       ->messageText())
            .remove(QRegularExpression(QStringLiteral("Message-ID: <[^>]*>")))
            .toLatin1();
    };
    const auto payments = ReminderPaymentsFor(tables, settings, ui);
    EXPECT_FALSE(payments.has_value());
    const QByteArray off = render(settings, payments);
    EXPECT_EQ(off, render(plain, std::nullopt));
    EXPECT_TRUE(off.contains("%QRPLATBA%")) << "the variable is the user's own text while codes are off";
    EXPECT_FALSE(off.contains("image/png"));
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(QrPlatbaReminderTest, badAccountSendsNothing) {
    transport::testing::RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port();
    settings.QRUcet = QStringLiteral("19-2000145398/0800");

    EXPECT_EQ(send(reminder(ReminderRoute::Smtp)), ReminderResult::NotSent);

    EXPECT_TRUE(server.messageFiles().isEmpty());
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages().front().text,
              QStringLiteral("Při odesílání e-mailu dluznik@firma.cz došlo k chybě: QR platba, Číslo účtu: "
                             "Číslo účtu 2000145398 nevyhovuje kontrole modulo 11."));
    EXPECT_THROW(send(reminder(ReminderRoute::Sendmail)), QrPlatbaError);
    EXPECT_TRUE(desktop.sendmailInput().isEmpty());
}

// Why a code was not made is an information box for one reminder; a bulk run collects it for its
// protocol instead of stopping at a box for every debtor.
TEST_F(QrPlatbaReminderTest, reasonsGoToTheCollectorWhenThereIsOne) {
    transport::testing::RealSmtpServer server({});
    ASSERT_TRUE(server.isRunning());
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port();
    addDocument("FV260150", "260150", 99.50, false, true, "EUR");

    QStringList notes;
    ReminderContext context{tables, settings, clients, locale, ui, {}, desktop.environment};
    context.paymentNotes = &notes;
    ASSERT_EQ(SendReminder(reminder(ReminderRoute::Smtp), context), ReminderResult::Accepted);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes.front().startsWith(QStringLiteral("Pro měnu EUR"))) << notes.front().toStdString();
    EXPECT_TRUE(ui.messages().empty());

    ASSERT_EQ(send(reminder(ReminderRoute::Smtp)), ReminderResult::Accepted);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages().front().kind, QStringLiteral("information"));
    EXPECT_EQ(ui.messages().front().text, notes.front());
    EXPECT_EQ(server.messageFiles().size(), 2);
}

TEST_F(QrPlatbaReminderTest, sendmailGetsInlineImagesAndTheComposeWindowFiles) {
    settings.ClientType = 1;
    settings.QRRezim = 2;
    ASSERT_EQ(send(reminder(ReminderRoute::Sendmail)), ReminderResult::Accepted);
    const QByteArray message = desktop.sendmailInput();
    EXPECT_TRUE(message.contains("Content-type: image/png; name=\"qr-platba.png\"")) << message.toStdString();
    EXPECT_TRUE(message.contains("Content-Disposition: inline; FileName=\"qr-platba.png\""));
    EXPECT_FALSE(message.contains("qr-platba-2.png")) << "one code for the total";

    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("posta");
    ui.queueConfirmation(true);
    ASSERT_EQ(send(reminder(ReminderRoute::MailClientWindow)), ReminderResult::Accepted);
    const QString compose =
        QUrl::fromPercentEncoding(desktop.recordedArguments(QStringLiteral("thunderbird")).value(1).toUtf8());
    EXPECT_TRUE(compose.contains(QStringLiteral("/qr-platba.png"))) << compose.toStdString();
    QFile image(desktop.file(QStringLiteral("qr-platba.png")));
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    EXPECT_EQ(test::decodeQrCodes(image.readAll()),
              QStringList({QStringLiteral("SPD*1.0*ACC:CZ6508000000192000145399+GIBACZPX*AM:52030.25*CC:CZK"
                                          "*MSG:UHRADA DOKLADU FV260101 FV260145 DB260007")}));
}

}  // namespace
