#include "BulkFixture.h"

#include "browser/BrowserCommands.h"
#include "sending/SendSingleReminder.h"
#include "transport/mailclient/TJclSimpleMapi.h"

#include <QJsonArray>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;
using transport::testing::RealSmtpServer;

namespace {

const QString kPreparing = QStringLiteral("Příprava e-mailu, čekejte prosím...");
const QString kSending = QStringLiteral("Odesílání e-mailu, čekejte prosím...");
const QString kOffer = QStringLiteral(
    "Na tomto počítači nebyl nalezen žádný e-mailový klient. Chcete upomínku napsat a odeslat přímo v "
    "tomto programu přes SMTP server nastavený pro hromadný e-mailing?");
const QString kHotel = QStringLiteral("recepce hotel-dablice");
const QString kHotelWarning = QStringLiteral(
    "„recepce hotel-dablice“ není platná e-mailová adresa. Zadejte adresu ve tvaru "
    "jmeno@domena.cz, více adres oddělte čárkou nebo středníkem.");

// The single reminder to the current debtor of the fixture's session; `mailClient` stands in for the
// mail client's route and counts its reminders.
struct SingleReminder {
    explicit SingleReminder(test::BulkFixture& fixture) : f(fixture) {}

    std::optional<compose::ReminderResult> send(bool smtpWithoutWindow = false) {
        compose::ReminderContext reminder = app::ReminderContextOf(f.session, f.ui);
        browser::BrowserCommands commands(f.session.tables, *f.session.stateTables, f.ui, {});
        sending::SingleReminderContext context{reminder, *f.session.stateTables, commands, f.session.TempDir};
        context.sendReminder = [this](const compose::ReminderRequest&, compose::ReminderContext&) {
            ++mailClientReminders;
            return compose::ReminderResult::NotSent;
        };
        context.smtpWithoutWindow = smtpWithoutWindow;
        context.ownWindowAnswer = &f.session.OwnComposeWindowAnswer;
        return sending::SendSingleReminder(context);
    }
    QDate lastSend(const QString& address) const {
        return f.session.stateTables->readAddressNote(address).lastSend;
    }

    test::BulkFixture& f;
    int mailClientReminders = 0;
};

// Alfa current, with only the system's mail submission listed, or a desktop client too.
void prepare(test::BulkFixture& f, bool desktopClient) {
    f.load();
    f.session.tables.mtFirmy.moveTo(0);
    compose::EmailKlientTable& clients = f.session.mtEmailKlient;
    clients.reopen();
    clients.append(transport::TJclSimpleMapi::sendmailTitle(), QStringLiteral("/usr/sbin/sendmail"));
    if (desktopClient) {
        clients.append(QStringLiteral("Posta"), QStringLiteral("/usr/bin/posta"));
    }
}

TEST(OwnComposeWindow, sendsTheEditedReminderBySmtpAsTheBulkRunBuildsItAndRecordsIt) {
    RealSmtpServer server(test::authenticatingServerArguments());
    test::BulkFixture f;
    f.useServer(server);
    f.session.settings.SMTPJednotlive = true;
    prepare(f, true);
    SingleReminder single(f);

    // The first "Odeslat" names no mailbox: refused, the user corrects the draft.
    ReminderDraft refused;
    refused.to = kHotel;
    f.ui.queueReminderDraft(refused);
    ReminderDraft edited;
    edited.to = QStringLiteral(" alfa@alfa.cz; ucetni@alfa.cz ");
    edited.copy = QStringLiteral("kopie@horak.cz");
    edited.subject = QStringLiteral("Upomínka: připomenutí");
    edited.body = QStringLiteral("Dobrý den,\nprosíme o úhradu.\n");
    f.ui.queueReminderDraft(edited);

    EXPECT_EQ(single.send(), compose::ReminderResult::Accepted);

    ASSERT_EQ(f.ui.shownDrafts().size(), 1u);
    const ReminderDraft& shown = f.ui.shownDrafts()[0];
    EXPECT_EQ(shown.sender, QStringLiteral("Horák <upominky@horak.cz>"));
    EXPECT_EQ(shown.to, QStringLiteral("alfa@alfa.cz"));
    EXPECT_EQ(shown.copy, QStringLiteral("kopie@horak.cz"));
    EXPECT_EQ(shown.subject, QStringLiteral("Upomínka pro Alfa"));
    EXPECT_TRUE(shown.body.startsWith(QStringLiteral("Dobrý den,\r\n"))) << shown.body.toStdString();
    EXPECT_TRUE(shown.body.contains(QStringLiteral("FV2"))) << shown.body.toStdString();
    EXPECT_EQ(shown.attachments, QStringList{QStringLiteral("Doklady.zip")});
    EXPECT_TRUE(shown.paymentCodes.isEmpty());
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("warning"), kHotelWarning}}));
    const std::vector<QString>& waits = f.ui.waitMessages();
    ASSERT_GE(waits.size(), 4u);
    EXPECT_EQ(std::vector<QString>(waits.end() - 4, waits.end()),
              (std::vector<QString>{kPreparing, QString(), kSending, QString()}));
    EXPECT_EQ(single.mailClientReminders, 0);

    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{QStringLiteral("alfa@alfa.cz"), QStringLiteral("ucetni@alfa.cz"),
                          QStringLiteral("kopie@horak.cz")}));
    const QJsonObject message = test::readReminder(files[0]);
    EXPECT_EQ(message.value(QStringLiteral("defects")).toArray(), QJsonArray());
    EXPECT_EQ(message.value(QStringLiteral("to")).toString(), QStringLiteral("alfa@alfa.cz, ucetni@alfa.cz"));
    EXPECT_EQ(message.value(QStringLiteral("cc")).toString(), QStringLiteral("kopie@horak.cz"));
    EXPECT_EQ(message.value(QStringLiteral("subject")).toString(), QStringLiteral("Upomínka: připomenutí"));
    const QJsonArray parts = message.value(QStringLiteral("parts")).toArray();
    ASSERT_EQ(parts.size(), 2);
    EXPECT_EQ(parts[0].toObject().value(QStringLiteral("text")).toString(),
              QStringLiteral("Dobrý den,\nprosíme o úhradu."));
    EXPECT_TRUE(message.value(QStringLiteral("archive")).toString().contains(QStringLiteral("FV1")));
    // Recorded for the debtor's address, as every single reminder is.
    EXPECT_EQ(single.lastSend(QStringLiteral("alfa@alfa.cz")), QDate::currentDate());
}

TEST(OwnComposeWindow, stornoAndAFailedSendRecordNothing) {
    quint16 closedPort = 0;
    {
        RealSmtpServer gone(test::authenticatingServerArguments());
        closedPort = gone.port();
    }
    test::BulkFixture f;
    f.session.settings.SMTPHost = QStringLiteral("127.0.0.1");
    f.session.settings.SMTPPort = closedPort;
    f.session.settings.SMTPJednotlive = true;
    prepare(f, true);
    SingleReminder single(f);

    f.ui.queueReminderDraft(std::nullopt);
    EXPECT_EQ(single.send(), compose::ReminderResult::NotSent);
    EXPECT_TRUE(f.ui.messages().empty());

    ReminderDraft unchanged;
    unchanged.to = QStringLiteral("alfa@alfa.cz");
    f.ui.queueReminderDraft(unchanged);
    EXPECT_EQ(single.send(), compose::ReminderResult::NotSent);
    // No server: the connection fails, as a single reminder by SMTP reports it.
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{{QStringLiteral("error"),
                               QStringLiteral("Odeslání e-mailu na adresu alfa@alfa.cz se nezdařilo "
                                              "(připojení k serveru): server odmítl spojení (na zadaném "
                                              "portu nic neběží).")}}));
    EXPECT_FALSE(f.ui.waitWindowVisible());
    EXPECT_FALSE(single.lastSend(QStringLiteral("alfa@alfa.cz")).isValid());
}

TEST(OwnComposeWindow, withoutADesktopMailClientItIsOfferedOncePerRunWhenSmtpIsSetUp) {
    struct Case {
        const char* name;
        bool desktopClient;
        bool smtpSetUp;
        std::optional<bool> answer;  // the offer's answer; none: not offered
    };
    const Case cases[] = {{"taken", false, true, true},
                          {"declined", false, true, false},
                          {"desktop_client_listed", true, true, std::nullopt},
                          {"smtp_not_set_up", false, false, std::nullopt}};
    for (const Case& c : cases) {
        test::BulkFixture f;
        if (!c.smtpSetUp) {
            f.session.settings.SMTPFromAddress.clear();
        } else {
            f.session.settings.SMTPHost = QStringLiteral("127.0.0.1");
        }
        prepare(f, c.desktopClient);
        SingleReminder single(f);
        if (c.answer) {
            f.ui.queueConfirmation(*c.answer);
        }
        const bool ownWindow = c.answer.value_or(false);
        // Twice in one run: the second reminder takes the same way without a question.
        for (int time = 0; time < 2; ++time) {
            if (ownWindow) {
                f.ui.queueReminderDraft(std::nullopt);
            }
            EXPECT_EQ(single.send(), compose::ReminderResult::NotSent) << c.name;
        }
        EXPECT_EQ(f.ui.shownDrafts().size(), ownWindow ? 2u : 0u) << c.name;
        EXPECT_EQ(single.mailClientReminders, ownWindow ? 0 : 2) << c.name;
        const std::vector<Message> offered =
            c.answer ? std::vector<Message>{{QStringLiteral("confirmation"), kOffer}}
                     : std::vector<Message>();
        EXPECT_EQ(f.ui.messages(), offered) << c.name;
    }
}

// Whatever the route, a field that is not a list of mailboxes stops the reminder before anything
// is built, started or sent.
TEST(OwnComposeWindow, anInvalidAddressFromTheExportStopsEveryRouteWithItsWarning) {
    for (const bool smtpWithoutWindow : {false, true}) {
        RealSmtpServer server(test::authenticatingServerArguments());
        test::BulkFixture f;
        f.useServer(server);
        prepare(f, true);
        memtable::MemTable& firmy = f.session.tables.mtFirmy;
        firmy.edit();
        firmy.setText(u"OdbEmail", QStringLiteral("alfa@alfa.cz, ") + kHotel);
        firmy.post();
        SingleReminder single(f);
        const std::size_t waitsBefore = f.ui.waitMessages().size();
        EXPECT_EQ(single.send(smtpWithoutWindow), std::nullopt);
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("warning"), kHotelWarning}}));
        EXPECT_EQ(f.ui.waitMessages().size(), waitsBefore);
        EXPECT_EQ(single.mailClientReminders, 0);
        EXPECT_TRUE(server.messageFiles().isEmpty());
    }
}

TEST(OwnComposeWindow, aBulkRunFailsAnInvalidAddressWithoutSendingToIt) {
    RealSmtpServer server(test::authenticatingServerArguments());
    test::BulkFixture f;
    f.useServer(server);
    f.load();
    memtable::MemTable& firmy = f.session.tables.mtFirmy;
    firmy.moveTo(0);
    firmy.edit();
    firmy.setText(u"OdbEmail", kHotel);
    firmy.post();
    f.ui.queueConfirmation(true);  // go on after the failed reminder

    EXPECT_EQ(f.run(), 0);

    const QStringList lines = f.protocolLines();
    const qsizetype at =
        lines.indexOf(QStringLiteral("Odesílání e-mailu na Alfa (recepce hotel-dablice) - 1. upomínka"));
    ASSERT_GE(at, 0) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.value(at + 1), QStringLiteral("... došlo k chybě: ") + kHotelWarning);
    // Only Ema's reminder reached the server.
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{QStringLiteral("ema@ema.cz"), QStringLiteral("kopie@horak.cz")}));
    EXPECT_FALSE(f.session.stateTables->readAddressNote(kHotel).lastSend.isValid());
}

}  // namespace
