#include "compose/FillMailClientList.h"
#include "compose/SendReminder.h"
#include "support/CaseName.h"
#include "support/FakeUserInterface.h"
#include "support/MailDesktop.h"
#include "transport/mailclient/EJclMapiError.h"
#include "transport/mailclient/TJclSimpleMapi.h"

#include <QUrl>

#include <gtest/gtest.h>

#include <string>
#include <tuple>

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
        request.route = showDialog ? ReminderRoute::MailClientWindow : ReminderRoute::Sendmail;
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

TEST_F(SendReminderTest, composeWindowOfTheNamedClientGetsTheFilledReminderAndTheAnswerDecides) {
    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("POSTA");  // letter case does not matter
    for (const bool sent : {true, false}) {
        ui.queueConfirmation(sent);
        EXPECT_EQ(send(reminder(true)), sent ? ReminderResult::Accepted : ReminderResult::NotSent);
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

    EXPECT_EQ(send(reminder(false)), ReminderResult::Accepted);

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

    EXPECT_EQ(send(EmptyMessageRequest(QStringLiteral("dluznik@firma.cz"), settings)),
              ReminderResult::NotSent);

    const QStringList arguments = desktop.recordedArguments(QStringLiteral("jinyklient"));
    ASSERT_EQ(arguments.size(), 1);
    EXPECT_EQ(arguments[0], QStringLiteral("mailto:dluznik@firma.cz?cc=kopie%40horak.cz"));
}

const QString kNoDesktopClient = QStringLiteral(
    "Není nainstalován žádný e-mailový klient, který by zprávu zobrazil k odeslání. Nainstalujte e-mailový "
    "klient (např. Thunderbird) a nastavte ho jako výchozí pro e-mail, nebo zvolte v nastavení odesílání "
    "pomocí SMTP serveru.");
const QString kNoSendmail = QStringLiteral(
    "Pro odesílání pomocí poštovního klienta bez okna chybí systémový program pro odesílání pošty "
    "(sendmail). Nainstalujte ho (např. balíček msmtp-mta nebo postfix), nebo zvolte v nastavení "
    "odesílání pomocí SMTP serveru.");

// The route of a reminder for each ClientType, each chosen row of the client grid (none, a desktop
// client that is not the default, the system's mail submission) and with or without the compose
// window. A compose window never goes to sendmail: the chosen desktop client serves only under
// "použít vybraný", the default one otherwise. Without a window sendmail takes every reminder.
using Route = std::tuple<int, QString, bool>;

class RouteTest : public SendReminderTest, public ::testing::WithParamInterface<Route> {};

TEST_P(RouteTest, reachesTheRightProgram) {
    const auto& [clientType, chosen, showDialog] = GetParam();
    settings.ClientType = clientType;
    settings.ClientDirectName = chosen;
    if (chosen.isEmpty()) {
        clients.current = -1;
    }
    if (showDialog) {
        ui.queueConfirmation(true);
    }
    EXPECT_EQ(send(reminder(showDialog)), ReminderResult::Accepted);
    const QString expected = !showDialog ? QStringLiteral("sendmail")
                             : clientType == 3 && chosen == QStringLiteral("posta")
                                 ? QStringLiteral("thunderbird")
                                 : QStringLiteral("jinyklient");
    for (const QString& program :
         {QStringLiteral("sendmail"), QStringLiteral("thunderbird"), QStringLiteral("jinyklient")}) {
        if (program == expected) {
            EXPECT_FALSE(desktop.recordedArguments(program).isEmpty());
        } else {
            EXPECT_FALSE(desktop.ran(program)) << program.toStdString();
        }
    }
}

std::string routeName(const ::testing::TestParamInfo<Route>& route) {
    const auto& [clientType, chosen, showDialog] = route.param;
    const char* row = chosen.isEmpty()                    ? "no_row"
                      : chosen == QStringLiteral("posta") ? "desktop_row"
                                                          : "sendmail_row";
    return "type" + std::to_string(clientType) + "_" + row + (showDialog ? "_window" : "_windowless");
}

INSTANTIATE_TEST_SUITE_P(Choices, RouteTest,
                         ::testing::Combine(::testing::Values(1, 2, 3),
                                            ::testing::Values(QString(), QStringLiteral("posta"),
                                                              transport::TJclSimpleMapi::sendmailTitle()),
                                            ::testing::Bool()),
                         routeName);

// A route whose program is missing says what to install or choose, for every ClientType and before
// anything runs; the other route is unaffected.
TEST(MailClientRoutes, aMissingProgramOfTheRouteIsNamedInCzech) {
    platform::SystemLocale locale;
    import::ExportTables tables(locale);
    tables.mtFirmy.append();
    tables.mtFirmy.setInt(u"ID", 7);
    tables.mtFirmy.post();
    for (const bool withSendmail : {false, true}) {
        transport::testing::MailDesktop desktop;
        if (withSendmail) {
            desktop.addRecordingSendmail();  // and no desktop client
        } else {
            desktop.addClient(QStringLiteral("posta"), QStringLiteral("posta"));
        }
        EmailKlientTable clients;
        FillMailClientList(clients, desktop.environment);
        app::AppSettings settings;
        test::FakeUserInterface ui;
        ReminderContext context{tables, settings, clients, locale, ui, {}, desktop.environment};
        ReminderRequest request = EmptyMessageRequest(QStringLiteral("dluznik@firma.cz"), settings);
        request.route = withSendmail ? ReminderRoute::MailClientWindow : ReminderRoute::Sendmail;
        for (const int clientType : {1, 2, 3}) {
            settings.ClientType = clientType;
            settings.ClientDirectName = clients.rows.value(0).Client;
            try {
                SendReminder(request, context);
                ADD_FAILURE() << clientType << ": no error";
            } catch (const transport::EJclMapiError& e) {
                EXPECT_EQ(e.text(), withSendmail ? kNoDesktopClient : kNoSendmail);
            }
        }
        EXPECT_FALSE(desktop.ran(QStringLiteral("posta")));
        EXPECT_FALSE(desktop.ran(QStringLiteral("sendmail")));
        request.route = withSendmail ? ReminderRoute::Sendmail : ReminderRoute::MailClientWindow;
        if (request.route == ReminderRoute::MailClientWindow) {
            ui.queueConfirmation(true);
        }
        EXPECT_EQ(SendReminder(request, context), ReminderResult::Accepted);
        EXPECT_FALSE(
            desktop.recordedArguments(withSendmail ? QStringLiteral("sendmail") : QStringLiteral("posta"))
                .isEmpty());
    }
}

// The grid starts on the desktop's default client; without one no row is current, so saving the
// settings names no client, least of all the system's mail submission.
TEST(MailClientRoutes, theGridStartsOnTheDefaultClientOrOnNoRow) {
    transport::testing::MailDesktop desktop;
    desktop.addRecordingSendmail();
    EmailKlientTable clients;
    FillMailClientList(clients, desktop.environment);
    EXPECT_EQ(clients.rows.size(), 1);
    EXPECT_EQ(clients.currentClient(), QString());

    desktop.addClient(QStringLiteral("posta"), QStringLiteral("posta"));
    FillMailClientList(clients, desktop.environment);
    EXPECT_EQ(clients.rows.size(), 2);
    EXPECT_EQ(clients.currentClient(), QStringLiteral("posta"));
}

}  // namespace

TEST_F(SendReminderTest, everyAddressOfAFieldIsARecipientOfItsOwnOnEveryMailClientRoute) {
    settings.E_KopieEmailu = QStringLiteral("kopie@horak.cz; archiv@horak.cz");
    ReminderRequest request = DebtorReminderRequest(QStringLiteral("a@firma.cz, b@firma.cz"),
                                                    desktop.file(QStringLiteral("Doklady.zip")), settings);
    request.route = ReminderRoute::MailClientWindow;

    // The Thunderbird family: one "to" value, its commas encoded so that the client splits it into
    // addresses only after it has split the pairs.
    settings.ClientType = 3;
    settings.ClientDirectName = QStringLiteral("posta");
    ui.queueConfirmation(true);
    EXPECT_EQ(send(request), ReminderResult::Accepted);
    const QStringList thunderbird = desktop.recordedArguments(QStringLiteral("thunderbird"));
    ASSERT_EQ(thunderbird.size(), 2);
    EXPECT_TRUE(thunderbird[1].startsWith(
        QStringLiteral("to=a%40firma.cz%2Cb%40firma.cz,cc=kopie%40horak.cz%2Carchiv%40horak.cz,")))
        << thunderbird[1].toStdString();

    // A plain mailto client: the addresses as the URI's list, the copies in its cc field.
    settings.ClientType = 2;
    ui.queueConfirmation(true);
    EXPECT_EQ(send(request), ReminderResult::Accepted);
    const QStringList mailto = desktop.recordedArguments(QStringLiteral("jinyklient"));
    ASSERT_EQ(mailto.size(), 1);
    EXPECT_TRUE(mailto[0].startsWith(
        QStringLiteral("mailto:a@firma.cz,b@firma.cz?cc=kopie%40horak.cz%2Carchiv%40horak.cz&subject=")))
        << mailto[0].toStdString();

    // Without a window: every address an argument of the system's mail submission.
    settings.ClientType = 1;
    request.route = ReminderRoute::Sendmail;
    EXPECT_EQ(send(request), ReminderResult::Accepted);
    const QStringList sendmail = desktop.recordedArguments(QStringLiteral("sendmail"));
    EXPECT_EQ(sendmail.mid(3, 5),
              (QStringList{QStringLiteral("--"), QStringLiteral("a@firma.cz"), QStringLiteral("b@firma.cz"),
                           QStringLiteral("kopie@horak.cz"), QStringLiteral("archiv@horak.cz")}));
    const QByteArray message = desktop.sendmailInput();
    EXPECT_TRUE(message.contains("\nTo: a@firma.cz , b@firma.cz\n")) << message.toStdString();
    EXPECT_TRUE(message.contains("\nCC: kopie@horak.cz , archiv@horak.cz\n")) << message.toStdString();
}
