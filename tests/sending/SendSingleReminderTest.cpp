#include "sending/SendSingleReminder.h"

#include "import/BuildTables.h"
#include "import/ExportReader.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "transport/mailclient/EJclMapiError.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

const QString kStarting = QStringLiteral("Spouštění e-mailového klienta, čekejte prosím...");
const QString kOffer = QStringLiteral(
    "Tato firma (její e-mailová adresa) byla vyřazena z e-mailingu (nebo byly z e-mailingu vyřazeny "
    "všechny doklady u ní uvedené) Chcete nabídnout prázdný e-mail k odeslání ?");
const QString kNoAddress = QStringLiteral(
    "U této firmy není uvedena e-mailová adresa. Pokud ji znáte, doplňte ji příště do adresáře v Ekvan.");

// The mail client at the edge: records each request it is handed and answers from a queue, Accepted
// when the user sent the message in its compose window, NotSent when they cancelled it.
struct MailClient {
    compose::ReminderResult operator()(const compose::ReminderRequest& request, compose::ReminderContext&) {
        requests.push_back(request);
        EXPECT_FALSE(answers.empty()) << "unexpected message for " << request.recipient.toStdString();
        if (answers.empty()) {
            return compose::ReminderResult::NotSent;
        }
        const compose::ReminderResult answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::vector<compose::ReminderResult> answers;
    std::vector<compose::ReminderRequest> requests;
};

// The demo export loaded over fresh state tables, with the single reminder's context around it.
struct ReminderFixture {
    ReminderFixture() {
        test::writeDemoDefFile(dir);
        QDir().mkpath(dir.file(QStringLiteral("Temp")));
        stateTables.OpenStateTables();
        settings.StaryExportDni = 0;  // the demo export is of a fixed day; one test asks on purpose
    }
    ~ReminderFixture() {
        EXPECT_TRUE(client.answers.empty()) << "the mail client's answers were not all used";
    }

    void load() {
        QFile demo(test::demoExportPath());
        ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
        import::ExportReader::ParseExport(demo.readAll(), matrix);
        ASSERT_TRUE(import::BuildTables(
            tables, {matrix, dir.file(QStringLiteral("uhterv.def")), QLatin1Char(','), QDate(2026, 12, 10)},
            stateTables.snapshot(), ui));
    }
    void selectDebtor(const char* name) {
        ASSERT_TRUE(tables.mtFirmy.findKey(QString::fromUtf8(name))) << name;
    }
    // Through the fake mail client, or the program's own route with `real`.
    std::optional<compose::ReminderResult> send(bool real = false,
                                                const QDate& today = QDate::currentDate()) {
        sending::SingleReminderContext context{reminder, stateTables, commands,
                                               dir.file(QStringLiteral("Temp/"))};
        context.today = today;
        if (!real) {
            context.sendReminder = std::ref(client);
        }
        context.journal = journal.get();
        return sending::SendSingleReminder(context);
    }
    QDate lastSend(const QString& address) { return stateTables.readAddressNote(address).lastSend; }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    state::StateTables stateTables{dir.path(), locale};
    import::CellMatrix matrix;
    import::ExportTables tables{locale};
    test::FakeUserInterface ui;
    app::AppSettings settings;
    compose::EmailKlientTable mtEmailKlient;
    compose::ReminderContext reminder{tables, settings, mtEmailKlient, locale, ui};
    browser::BrowserCommands commands{tables, stateTables, ui, [](const QString&) {}};
    MailClient client;
    std::unique_ptr<state::SendJournal> journal;  // none unless a test opens it
};

TEST(SendSingleReminder, aSentReminderRecordsTodayForTheRecipient) {
    struct Case {
        const char* name;
        QString copy;
        bool attach;
    };
    // A copy address of blanks alone is still an address: it goes to the mail client as it is.
    const Case cases[] = {{"no_copy_attached", QString(), true},
                          {"blank_copy", QStringLiteral("   "), true},
                          {"copy_without_attachment", QStringLiteral("kopie@horak.cz"), false}};
    for (const Case& c : cases) {
        ReminderFixture f;
        f.settings.E_KopieEmailu = c.copy;
        f.settings.E_PripojitPrilohu = c.attach;
        f.settings.E_Predmet = QStringLiteral("Upomínka %ODBERATEL%");
        f.load();
        f.selectDebtor("Gastro Řehoř");
        f.client.answers = {compose::ReminderResult::Accepted};
        EXPECT_EQ(f.send(), compose::ReminderResult::Accepted) << c.name;

        ASSERT_EQ(f.client.requests.size(), 1u) << c.name;
        const compose::ReminderRequest& r = f.client.requests[0];
        EXPECT_EQ(r.recipient, QStringLiteral("rehor@gastro-rehor.cz")) << c.name;
        EXPECT_EQ(r.subjectTemplate, QStringLiteral("Upomínka %ODBERATEL%")) << c.name;
        EXPECT_EQ(r.copy, c.copy) << c.name;
        EXPECT_EQ(r.attach, c.attach) << c.name;
        EXPECT_TRUE(r.withBody) << c.name;
        EXPECT_EQ(r.route, compose::ReminderRoute::MailClientWindow) << c.name;
        // The archive of this debtor's list is named whatever the attach switch says.
        EXPECT_EQ(r.attachmentPath, f.dir.file(QStringLiteral("Temp/")) +
                                        QString::number(f.tables.mtFirmy.intValue(u"ID")) +
                                        QStringLiteral("/Doklady.zip"))
            << c.name;
        EXPECT_TRUE(QFile::exists(r.attachmentPath)) << c.name;
        EXPECT_EQ(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")), QDate::currentDate()) << c.name;
        EXPECT_EQ(f.ui.waitMessages(), (std::vector<QString>{kStarting, QString()})) << c.name;
        EXPECT_TRUE(f.ui.messages().empty()) << c.name;
    }
}

// From an export ten days old the reminder waits for the user's answer: No hands nothing over.
TEST(SendSingleReminder, anOldExportAsksFirstAndNoSendsNothing) {
    for (bool answer : {false, true}) {
        ReminderFixture f;
        f.settings.StaryExportDni = 3;
        f.load();
        f.selectDebtor("Gastro Řehoř");
        f.ui.queueConfirmation(answer);
        if (answer) {
            f.client.answers = {compose::ReminderResult::Accepted};
        }
        EXPECT_EQ(f.send(false, QDate(2026, 12, 20)),
                  answer ? std::optional(compose::ReminderResult::Accepted) : std::nullopt);
        EXPECT_EQ(f.client.requests.size(), answer ? 1u : 0u);
        ASSERT_FALSE(f.ui.messages().empty());
        EXPECT_TRUE(f.ui.messages().front().text.startsWith(
            QStringLiteral("Export je ke dni 10.12.2026, je tedy 10 dní starý. Doklady zaplacené")));
        EXPECT_EQ(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")).isValid(), answer);
    }
}

// Sent or cancelled, each reminder handed to the mail client leaves its record in the journal.
TEST(SendSingleReminder, eachReminderHandedToTheMailClientIsJournalled) {
    ReminderFixture f;
    f.journal = std::make_unique<state::SendJournal>(state::SendJournal::pathIn(f.dir.path()));
    f.settings.E_Predmet = QStringLiteral("Upomínka %ODBERATEL%");
    f.load();
    f.selectDebtor("Gastro Řehoř");
    f.client.answers = {compose::ReminderResult::Accepted, compose::ReminderResult::NotSent};
    EXPECT_EQ(f.send(), compose::ReminderResult::Accepted);
    // Reminded today, the debtor has no level due: the first is sent again only when the user says so.
    f.ui.queueConfirmation(false);
    EXPECT_EQ(f.send(), std::nullopt);
    f.ui.queueConfirmation(true);
    EXPECT_EQ(f.send(), compose::ReminderResult::NotSent);
    const QString question = QStringLiteral("Gastro Řehoř: další upomínka až ") +
                             QDate::currentDate().addDays(14).toString(QStringLiteral("dd.MM.yyyy")) +
                             QStringLiteral(". Chcete přesto odeslat upomínku úrovně \"1. upomínka\" ?");
    EXPECT_EQ(f.ui.messages(),
              (std::vector<test::FakeUserInterface::Message>{{QStringLiteral("confirmation"), question},
                                                             {QStringLiteral("confirmation"), question}}));

    const std::vector<state::JournalRecord> records = f.journal->records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].level, 1);
    EXPECT_EQ(records[0].result, state::SendResult::Refused);
    const state::JournalRecord& sent = records[1];
    EXPECT_EQ(sent.result, state::SendResult::Accepted);
    EXPECT_EQ(sent.recipient, QStringLiteral("rehor@gastro-rehor.cz"));
    EXPECT_EQ(sent.debtorName, QStringLiteral("Gastro Řehoř"));
    EXPECT_EQ(sent.debtorId, f.tables.mtFirmy.intValue(u"ID"));
    EXPECT_EQ(sent.route, QStringLiteral("mail-client"));
    EXPECT_EQ(sent.subject, QStringLiteral("Upomínka Gastro Řehoř"));
    EXPECT_TRUE(sent.runId.isEmpty());
    EXPECT_FALSE(sent.test);
    ASSERT_FALSE(sent.documents.empty());
    EXPECT_EQ(sent.time.date(), QDate::currentDate());
}

TEST(SendSingleReminder, aReminderCancelledInTheMailClientRecordsNothing) {
    ReminderFixture f;
    f.load();
    f.selectDebtor("Gastro Řehoř");
    f.client.answers = {compose::ReminderResult::NotSent};
    EXPECT_EQ(f.send(), compose::ReminderResult::NotSent);
    EXPECT_FALSE(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")).isValid());
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_FALSE(f.ui.waitWindowVisible());
}

// An excluded debtor, or one whose documents are all excluded, is offered an empty message.
TEST(SendSingleReminder, aDebtorWithNothingToSendIsOfferedAnEmptyMessage) {
    struct Case {
        const char* name;
        bool excludeDebtor;
        bool accept;
    };
    const Case cases[] = {{"excluded_declined", true, false},
                          {"excluded_accepted", true, true},
                          {"all_documents_excluded_accepted", false, true}};
    for (const Case& c : cases) {
        ReminderFixture f;
        f.settings.E_KopieEmailu = QStringLiteral("kopie@horak.cz");
        if (c.excludeDebtor) {
            f.stateTables.SetAddressExport(QStringLiteral("rehor@gastro-rehor.cz"), false);
        } else {
            for (const char* number : {"FV260150", "FV260151", "FV260188"}) {
                f.stateTables.SetDocumentExport(QString::fromLatin1(number), false);
            }
        }
        f.load();
        f.selectDebtor("Gastro Řehoř");
        f.ui.queueConfirmation(c.accept);
        if (c.accept) {
            f.client.answers = {compose::ReminderResult::Accepted};
        }
        EXPECT_EQ(f.send(), c.accept ? std::optional(compose::ReminderResult::Accepted) : std::nullopt)
            << c.name;
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("confirmation"), kOffer}}))
            << c.name;
        if (c.accept) {
            ASSERT_EQ(f.client.requests.size(), 1u) << c.name;
            const compose::ReminderRequest& r = f.client.requests[0];
            EXPECT_EQ(r.recipient, QStringLiteral("rehor@gastro-rehor.cz")) << c.name;
            EXPECT_TRUE(r.subjectTemplate.isEmpty()) << c.name;
            EXPECT_TRUE(r.attachmentPath.isEmpty()) << c.name;
            EXPECT_FALSE(r.withBody) << c.name;
            EXPECT_FALSE(r.attach) << c.name;
            EXPECT_EQ(r.route, compose::ReminderRoute::MailClientWindow) << c.name;
            EXPECT_EQ(r.copy, QStringLiteral("kopie@horak.cz")) << c.name;
            EXPECT_EQ(f.ui.waitMessages(), (std::vector<QString>{kStarting, QString()})) << c.name;
        } else {
            EXPECT_TRUE(f.ui.waitMessages().empty()) << c.name;
        }
        // No document list was built, and the empty message records nothing even when sent.
        EXPECT_FALSE(
            QDir(f.dir.file(QStringLiteral("Temp/") + QString::number(f.tables.mtFirmy.intValue(u"ID"))))
                .exists())
            << c.name;
        EXPECT_FALSE(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")).isValid()) << c.name;
    }
}

TEST(SendSingleReminder, theCatchAllGroupNeverLeadsToAMessage) {
    ReminderFixture f;
    f.load();
    f.selectDebtor("Ostatní");
    // Also with an address: the group gathers documents of several customers.
    f.tables.mtFirmy.edit();
    f.tables.mtFirmy.setText(u"OdbEmail", QStringLiteral("ostatni@firma.cz"));
    f.tables.mtFirmy.setBool(u"JeEmail", true);
    f.tables.mtFirmy.post();
    EXPECT_EQ(f.send(), std::nullopt);
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("information"));
    EXPECT_TRUE(
        f.ui.messages()[0].text.contains(QStringLiteral("nelze jí proto přiřadit jednu e-mailovou adresu.")));
    EXPECT_TRUE(f.client.requests.empty());
}

TEST(SendSingleReminder, aDebtorWithoutAddressIsAskedForOne) {
    ReminderFixture f;
    f.load();
    f.selectDebtor("Farma Úhlava");
    f.ui.queueEmailAddress(std::nullopt);  // Storno: the command ends without further messages
    EXPECT_EQ(f.send(), std::nullopt);
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), kNoAddress}}));
    EXPECT_TRUE(f.ui.waitMessages().empty());

    // The address entered is the recipient, and the send is recorded under it.
    f.ui.clearMessages();
    f.ui.queueEmailAddress(QStringLiteral("farma@uhlava.cz"));
    f.client.answers = {compose::ReminderResult::Accepted};
    EXPECT_EQ(f.send(), compose::ReminderResult::Accepted);
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), kNoAddress}}));
    ASSERT_EQ(f.client.requests.size(), 1u);
    EXPECT_EQ(f.client.requests[0].recipient, QStringLiteral("farma@uhlava.cz"));
    EXPECT_EQ(f.lastSend(QStringLiteral("farma@uhlava.cz")), QDate::currentDate());
}

TEST(SendSingleReminder, withoutTheDocumentListNothingIsSent) {
    ReminderFixture f;
    f.load();
    f.tables.NoDocuments = true;  // as the load sets it for an export without the document list
    f.selectDebtor("Gastro Řehoř");
    EXPECT_EQ(f.send(), std::nullopt);
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_TRUE(
        f.ui.messages()[0].text.startsWith(QStringLiteral("Při exportu z Ekvan nebyla aktivní volba")));
    EXPECT_TRUE(f.client.requests.empty());
}

TEST(SendSingleReminder, aFailedDocumentListSendsAndRecordsNothing) {
    ReminderFixture f;
    f.load();
    f.selectDebtor("Gastro Řehoř");
    // The debtor's temporary folder cannot be made: a file stands where Temp/ should be.
    QDir(f.dir.file(QStringLiteral("Temp"))).removeRecursively();
    f.dir.write(QStringLiteral("Temp"), "not a folder");
    EXPECT_EQ(f.send(), std::nullopt);
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("error"));
    EXPECT_TRUE(f.client.requests.empty());
    EXPECT_FALSE(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")).isValid());
    EXPECT_EQ(f.ui.waitMessages(), (std::vector<QString>{kStarting, QString()}));
}

// The mail-client route of the program itself: an error of the mail-client interface reaches the
// caller, with the waiting window hidden and nothing recorded.
TEST(SendSingleReminder, anErrorOfTheMailClientInterfaceReachesTheCaller) {
    struct Case {
        const char* name;
        bool excluded;
    };
    for (const Case& c : {Case{"reminder", false}, Case{"empty_message", true}}) {
        ReminderFixture f;
        if (c.excluded) {
            f.stateTables.SetAddressExport(QStringLiteral("rehor@gastro-rehor.cz"), false);
        }
        f.load();
        f.selectDebtor("Gastro Řehoř");
        if (c.excluded) {
            f.ui.queueConfirmation(true);
        }
        EXPECT_THROW(f.send(true), transport::EJclMapiError) << c.name;
        EXPECT_EQ(f.ui.waitMessages(), (std::vector<QString>{kStarting, QString()})) << c.name;
        EXPECT_FALSE(f.lastSend(QStringLiteral("rehor@gastro-rehor.cz")).isValid()) << c.name;
    }
}

TEST(SendSingleReminder, anEmptyListDoesNothing) {
    ReminderFixture f;
    EXPECT_EQ(f.send(), std::nullopt);
    EXPECT_TRUE(f.ui.messages().empty());
}

}  // namespace
