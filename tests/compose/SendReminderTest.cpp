#include "compose/FillMailClientList.h"
#include "compose/SendReminder.h"
#include "support/CaseName.h"
#include "support/FakeUserInterface.h"
#include "support/MailDesktop.h"
#include "transport/EJclMapiError.h"

#include <QUrl>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::compose;

namespace {

// One debtor current in mtFirmy, the settings of a reminder, and a desktop with a recording
// Thunderbird-family client, a recording plain mailto client and a recording sendmail.
class SendReminderTest : public ::testing::Test {
protected:
    SendReminderTest() : tables(locale) {
        tables.AsOfDate = QStringLiteral("10.12.2026");
        tables.SupplierName = QStringLiteral("Horák s.r.o.");
        tables.mtFirmy.append();
        tables.mtFirmy.setText(u"OdbNazev", QStringLiteral("Žluťák a.s."));
        tables.mtFirmy.setText(u"TextNeuhrDokl", QStringLiteral("FV0001 1000,00\r\n"));
        tables.mtFirmy.setInt(u"ID", 7);
        tables.mtFirmy.post();

        desktop.addClient(QStringLiteral("posta"), QStringLiteral("thunderbird"));
        desktop.addClient(QStringLiteral("jiny"), QStringLiteral("jinyklient"));
        desktop.makeDefault(QStringLiteral("jiny"));
        desktop.addRecordingSendmail();
        FillMailClientList(clients, desktop.environment);

        settings.E_Predmet = QStringLiteral("Upomínka pro %odberatel%");
        settings.EText = QStringLiteral("Dobrý den,\r\n%DOKLADY%S pozdravem %DODAVATEL%");
        settings.E_KopieEmailu = QStringLiteral("kopie@horak.cz");
        settings.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
        settings.SMTPFromName = QStringLiteral("Účtárna");
        desktop.write(QStringLiteral("Doklady.zip"), QByteArray("PK archive"));
    }

    ReminderRequest reminder(bool showDialog) const {
        ReminderRequest request = DebtorReminderRequest(
            QStringLiteral("dluznik@firma.cz"), desktop.file(QStringLiteral("Doklady.zip")), settings);
        request.showDialog = showDialog;
        request.smtp = false;
        return request;
    }

    int send(const ReminderRequest& request) {
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

TEST_F(SendReminderTest, composeWindowOfTheNamedClientGetsTheFilledReminderAndTheAnswerDecides) {
    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("POSTA");  // letter case does not matter
    for (const bool sent : {true, false}) {
        ui.queueConfirmation(sent);
        EXPECT_EQ(send(reminder(true)), sent ? 0 : -2);
    }
    EXPECT_EQ(clients.currentClient(), QStringLiteral("posta"));
    const QStringList arguments = desktop.recordedArguments(QStringLiteral("thunderbird"));
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0], QStringLiteral("-compose"));
    // Every value is percent-encoded, so the decoded argument shows each field whole.
    const QString compose = QUrl::fromPercentEncoding(arguments[1].toUtf8());
    for (const QString& field :
         {QStringLiteral("to=dluznik@firma.cz,"), QStringLiteral("cc=kopie@horak.cz,"),
          QStringLiteral("subject=Upomínka pro Žluťák a.s.,"),
          QStringLiteral("body=Dobrý den,\r\nFV0001 1000,00\r\nS pozdravem Horák s.r.o.\r\n,"),
          QStringLiteral("/Doklady.zip'")}) {
        EXPECT_TRUE(compose.contains(field)) << compose.toStdString() << "\nlacks " << field.toStdString();
    }
    EXPECT_FALSE(desktop.ran(QStringLiteral("jinyklient")));
}

TEST_F(SendReminderTest, windowlessSendGoesToSendmailWithTheSenderOfTheSmtpSettings) {
    settings.ClientType = 1;
    settings.E_PripojitPrilohu = false;

    EXPECT_EQ(send(reminder(false)), 0);

    const QStringList arguments = desktop.recordedArguments(QStringLiteral("sendmail"));
    EXPECT_EQ(arguments.mid(0, 6),
              (QStringList{QStringLiteral("-i"), QStringLiteral("-f"), QStringLiteral("upominky@horak.cz"),
                           QStringLiteral("--"), QStringLiteral("dluznik@firma.cz"),
                           QStringLiteral("kopie@horak.cz")}));
    const QByteArray message = desktop.sendmailInput();
    EXPECT_TRUE(message.contains("Return-Path: <upominky@horak.cz>"));
    EXPECT_FALSE(message.contains("Doklady.zip")) << "the attach switch is off";
    EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SendReminderTest, emptyMessageOffersOnlyTheAddressesInTheDefaultClient) {
    settings.ClientType = 2;
    ui.queueConfirmation(false);

    EXPECT_EQ(send(EmptyMessageRequest(QStringLiteral("dluznik@firma.cz"), settings)), -2);

    const QStringList arguments = desktop.recordedArguments(QStringLiteral("jinyklient"));
    ASSERT_EQ(arguments.size(), 1);
    EXPECT_EQ(arguments[0], QStringLiteral("mailto:dluznik@firma.cz?cc=kopie%40horak.cz"));
}

TEST_F(SendReminderTest, noMailClientAtAllEndsWithTheIndexErrorBeforeAnythingRuns) {
    clients.reopen();
    EXPECT_THROW(send(reminder(true)), transport::EJclMapiError);
    EXPECT_FALSE(desktop.ran(QStringLiteral("thunderbird")));
}

}  // namespace

TEST_F(SendReminderTest, everyAddressOfAFieldIsARecipientOfItsOwnOnEveryMailClientRoute) {
    settings.E_KopieEmailu = QStringLiteral("kopie@horak.cz; archiv@horak.cz");
    ReminderRequest request = DebtorReminderRequest(QStringLiteral("a@firma.cz, b@firma.cz"),
                                                    desktop.file(QStringLiteral("Doklady.zip")), settings);
    request.smtp = false;
    request.showDialog = true;

    // The Thunderbird family: one "to" value, its commas encoded so that the client splits it into
    // addresses only after it has split the pairs.
    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("posta");
    ui.queueConfirmation(true);
    EXPECT_EQ(send(request), 0);
    const QStringList thunderbird = desktop.recordedArguments(QStringLiteral("thunderbird"));
    ASSERT_EQ(thunderbird.size(), 2);
    EXPECT_TRUE(thunderbird[1].startsWith(
        QStringLiteral("to=a%40firma.cz%2Cb%40firma.cz,cc=kopie%40horak.cz%2Carchiv%40horak.cz,")))
        << thunderbird[1].toStdString();

    // A plain mailto client: the addresses as the URI's list, the copies in its cc field.
    settings.ClientType = 2;
    ui.queueConfirmation(true);
    EXPECT_EQ(send(request), 0);
    const QStringList mailto = desktop.recordedArguments(QStringLiteral("jinyklient"));
    ASSERT_EQ(mailto.size(), 1);
    EXPECT_TRUE(mailto[0].startsWith(
        QStringLiteral("mailto:a@firma.cz,b@firma.cz?cc=kopie%40horak.cz%2Carchiv%40horak.cz&subject=")))
        << mailto[0].toStdString();

    // Without a window: every address an argument of the system's mail submission.
    settings.ClientType = 1;
    request.showDialog = false;
    EXPECT_EQ(send(request), 0);
    const QStringList sendmail = desktop.recordedArguments(QStringLiteral("sendmail"));
    EXPECT_EQ(sendmail.mid(3, 5),
              (QStringList{QStringLiteral("--"), QStringLiteral("a@firma.cz"), QStringLiteral("b@firma.cz"),
                           QStringLiteral("kopie@horak.cz"), QStringLiteral("archiv@horak.cz")}));
    const QByteArray message = desktop.sendmailInput();
    EXPECT_TRUE(message.contains("\nTo: a@firma.cz , b@firma.cz\n")) << message.toStdString();
    EXPECT_TRUE(message.contains("\nCC: kopie@horak.cz , archiv@horak.cz\n")) << message.toStdString();
}
