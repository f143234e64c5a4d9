#include "BulkFixture.h"

#include "compose/FillMailClientList.h"
#include "sending/BulkRunPlan.h"
#include "sending/ReminderEvidence.h"

#include "support/CaseName.h"
#include "support/MailDesktop.h"
#include "transport/mailclient/CheckMapiResult.h"
#include "transport/mailclient/EJclMapiError.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSet>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::sending;
using test::BulkFixture;
using Message = test::FakeUserInterface::Message;
using transport::testing::RealSmtpServer;

namespace {

const QString kTime = QStringLiteral("9:05:07");
const QString kTestAddress = QStringLiteral("test@horak.cz");
// What the server answers to Alfa, whom it refuses, in the message and the protocol.
const QString kAlfaReply =
    QStringLiteral("550 5.1.1 <alfa@alfa.cz>: Recipient address rejected: User unknown");
const QString kAlfaRefused =
    QStringLiteral("Odeslání e-mailu na adresu alfa@alfa.cz se nezdařilo (adresa příjemce): ") + kAlfaReply;
const QString kAlfaFailedLine = QStringLiteral("... došlo k chybě: ") + kAlfaReply;

QString sendingLine(const QString& name, const QString& address) {
    return QStringLiteral("Odesílání e-mailu na ") + name + QStringLiteral(" (") + address +
           QStringLiteral(") - 1. upomínka");
}

// One reminder as the server received it.
struct Received {
    QJsonArray recipients;  // the envelope
    QString subject;
    QString cc;
    QStringList documents;  // the document numbers of the archived list
    bool operator==(const Received&) const = default;
};

void PrintTo(const Received& r, std::ostream* os) {
    *os << QJsonDocument(r.recipients).toJson(QJsonDocument::Compact).toStdString() << " "
        << r.subject.toStdString() << " cc=" << r.cc.toStdString()
        << " docs=" << r.documents.join(u',').toStdString();
}

std::vector<Received> received(const RealSmtpServer& server) {
    std::vector<Received> all;
    for (const QString& file : server.messageFiles()) {
        const QJsonObject summary = test::readReminder(file);
        EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
        EXPECT_EQ(server.envelope(file).value(QStringLiteral("login")).toString(), QStringLiteral("ucet"));
        const QString archive = summary.value(QStringLiteral("archive")).toString();
        EXPECT_TRUE(archive.startsWith(QStringLiteral("Doklady.txt\n"))) << archive.toStdString();
        QStringList documents;
        for (const QString& line : archive.split(QStringLiteral("\r\n"))) {
            if (line.startsWith(QStringLiteral("FV"))) {
                documents.append(line.section(u' ', 0, 0));
            }
        }
        all.push_back({server.envelope(file).value(QStringLiteral("rcpt_tos")).toArray(),
                       summary.value(QStringLiteral("subject")).toString(),
                       summary.value(QStringLiteral("cc")).toString(), documents});
    }
    return all;
}

// The first envelope recipient of every reminder received, in order.
QStringList firstRecipients(const RealSmtpServer& server) {
    QStringList recipients;
    for (const Received& r : received(server)) {
        recipients.append(r.recipients.first().toString());
    }
    return recipients;
}

Received reminder(const QString& name, const QString& to, const QStringList& documents) {
    return {QJsonArray{to, QStringLiteral("kopie@horak.cz")}, QStringLiteral("Upomínka pro ") + name,
            QStringLiteral("kopie@horak.cz"), documents};
}

// ---- Which debtors a run takes

struct RunCase {
    std::string name;
    bool onlyWithEmail;
    std::optional<TestMode> testMode;
    std::vector<std::pair<QString, QStringList>> sent;  // debtor name and its listed documents, in order
    int skipped;
    QString lastDebtor;  // where the run leaves mtFirmy
};

class BulkRunTest : public ::testing::TestWithParam<RunCase> {};

TEST_P(BulkRunTest, sendsToTheDebtorsThatQualifyAndWritesTheProtocol) {
    const RunCase& c = GetParam();
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load(c.onlyWithEmail);

    EXPECT_EQ(f.run(c.testMode), 0);

    std::vector<Received> expected;
    QStringList middle;
    for (const auto& [name, documents] : c.sent) {
        const QString address =
            c.testMode ? kTestAddress
                       : name.toLower() + QLatin1Char('@') + name.toLower() + QStringLiteral(".cz");
        expected.push_back(reminder(name, address, documents));
        middle.append(sendingLine(name, address));
    }
    EXPECT_EQ(received(server), expected);
    // One connection and one login serve the whole run.
    QSet<int> connections;
    for (const QString& file : server.messageFiles()) {
        const int clientPort = server.envelope(file).value(QStringLiteral("connection")).toInt();
        EXPECT_GT(clientPort, 0);
        connections.insert(clientPort);
    }
    EXPECT_EQ(connections.size(), c.sent.empty() ? 0 : 1);
    const int generated = int(c.sent.size());
    const QString testLine =
        c.testMode ? QStringLiteral("[testovací režim na adresu test@horak.cz, odeslat jen prvních ") +
                         c.testMode->countText + QLatin1Char(']')
                   : QString();
    EXPECT_EQ(f.protocolLines(), test::runLines(kTime, middle, generated, c.skipped, testLine));
    EXPECT_EQ(f.ui.messages(), std::vector<Message>());

    EXPECT_EQ(f.view.generatedCount,
              QString::number(generated) +
                  (c.testMode ? QStringLiteral(" [odesláno na testovací adresu]") : QString()));
    EXPECT_EQ(f.view.skippedCount, QString::number(c.skipped));
    EXPECT_EQ(f.view.progress, f.session.tables.mtFirmy.recordCount());
    EXPECT_EQ(f.view.progressMaximum, f.session.tables.mtFirmy.recordCount());
    EXPECT_EQ(f.view.statusText, QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde)"));
    EXPECT_TRUE(f.view.linkVisible);
    EXPECT_FALSE(f.view.debtorLinesVisible);
    EXPECT_TRUE(f.view.informationVisible);
    EXPECT_EQ(f.currentDebtor(), c.lastDebtor);

    // Only a normal run records the sending date, and only for the addresses it sent to.
    for (const QString& name :
         {QStringLiteral("Alfa"), QStringLiteral("Delta"), QStringLiteral("Ema"), QStringLiteral("Gama")}) {
        const bool sentTo = !c.testMode && std::any_of(c.sent.begin(), c.sent.end(),
                                                       [&](const auto& s) { return s.first == name; });
        const QString address = name.toLower() + QLatin1Char('@') + name.toLower() + QStringLiteral(".cz");
        EXPECT_EQ(f.session.stateTables->readAddressNote(address).lastSend,
                  sentTo ? QDate::currentDate() : QDate())
            << name.toStdString();
    }
}

const QStringList kAlfaDocuments{QStringLiteral("FV1"), QStringLiteral("FV2")};
const QStringList kEmaDocuments{QStringLiteral("FV7")};

INSTANTIATE_TEST_SUITE_P(
    Runs, BulkRunTest,
    ::testing::Values(
        // Beta and Ostatní have no address, Delta no included document, Gama is excluded.
        RunCase{"normal_run_takes_included_debtors_with_documents",
                false,
                std::nullopt,
                {{QStringLiteral("Alfa"), kAlfaDocuments}, {QStringLiteral("Ema"), kEmaDocuments}},
                4,
                QStringLiteral("Ostatní")},
        RunCase{"email_filter_visits_only_the_visible_rows",
                true,
                std::nullopt,
                {{QStringLiteral("Alfa"), kAlfaDocuments}, {QStringLiteral("Ema"), kEmaDocuments}},
                2,
                QStringLiteral("Gama")},
        RunCase{"test_count_3_takes_excluded_and_addressless_debtors_too",
                false,
                TestMode{kTestAddress, QStringLiteral("3"), 3},
                {{QStringLiteral("Alfa"), kAlfaDocuments},
                 {QStringLiteral("Beta"), {QStringLiteral("FV3")}},
                 {QStringLiteral("Delta"), {}}},
                0,
                QStringLiteral("Delta")},
        RunCase{"test_count_1_visits_one_debtor",
                false,
                TestMode{kTestAddress, QStringLiteral("1"), 1},
                {{QStringLiteral("Alfa"), kAlfaDocuments}},
                0,
                QStringLiteral("Alfa")},
        RunCase{"test_count_0_visits_one_debtor",
                false,
                TestMode{kTestAddress, QStringLiteral("0"), 0},
                {{QStringLiteral("Alfa"), kAlfaDocuments}},
                0,
                QStringLiteral("Alfa")},
        RunCase{"negative_test_count_visits_one_debtor",
                false,
                TestMode{kTestAddress, QStringLiteral("-3"), -3},
                {{QStringLiteral("Alfa"), kAlfaDocuments}},
                0,
                QStringLiteral("Alfa")}),
    test::CaseName());

// ---- A refused recipient

struct RefusalCase {
    std::string name;
    bool goOn;
    QStringList sent;
    QStringList middle;
    int generated;
    int skipped;
};

class BulkRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(BulkRefusalTest, asksWhetherToGoOnAndCountsByTheAnswer) {
    const RefusalCase& c = GetParam();
    RealSmtpServer server(
        test::authenticatingServerArguments({QStringLiteral("--refuse"), QStringLiteral("alfa@alfa.cz")}));
    BulkFixture f;
    f.useServer(server);
    f.load();
    f.ui.queueConfirmation(c.goOn);

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(firstRecipients(server), c.sent);
    EXPECT_EQ(f.protocolLines(), test::runLines(kTime, c.middle, c.generated, c.skipped, {}, 1));
    ASSERT_GE(f.ui.messages().size(), 2u);
    EXPECT_EQ(f.ui.messages().back(),
              (Message{QStringLiteral("confirmation"),
                       QStringLiteral("Pokračovat dále v odesílání dalších e-mailů ?")}));
    EXPECT_EQ(f.ui.messages()[f.ui.messages().size() - 2], (Message{QStringLiteral("error"), kAlfaRefused}));
    EXPECT_FALSE(f.session.stateTables->readAddressNote(QStringLiteral("alfa@alfa.cz")).lastSend.isValid());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, BulkRefusalTest,
    ::testing::Values(
        RefusalCase{"yes_goes_on_counting_the_debtor_as_skipped",
                    true,
                    {QStringLiteral("ema@ema.cz")},
                    {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")), kAlfaFailedLine,
                     sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                    1,
                    5},
        RefusalCase{"no_stops_without_counting_the_debtor",
                    false,
                    {},
                    {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")), kAlfaFailedLine},
                    0,
                    0}),
    test::CaseName());

// ---- The next debtor made ready while the server takes the last reminder

// Gives Beta an address, so it follows Alfa directly; Beta is left current.
void giveBetaAnAddress(BulkFixture& f) {
    memtable::MemTable& firmy = f.session.tables.mtFirmy;
    ASSERT_TRUE(firmy.moveTo(1));
    ASSERT_EQ(f.currentDebtor(), QStringLiteral("Beta"));
    firmy.edit();
    firmy.setText(u"OdbEmail", QStringLiteral("beta@beta.cz"));
    firmy.setBool(u"JeEmail", true);
    firmy.post();
}

// Beta gets an address, so it follows Alfa directly; the server refuses Alfa.
struct AheadCase {
    std::string name;
    bool goOn;       // the answer after Alfa's failure
    bool blockBeta;  // Beta's folder cannot be made
    bool toldOfBeta;
    QStringList sent;
    QStringList middle;
    int generated;
    int skipped;
    QString lastDebtor;
};

class BulkAheadTest : public ::testing::TestWithParam<AheadCase> {};

TEST_P(BulkAheadTest, theUserHearsOfEachDebtorInItsTurn) {
    const AheadCase& c = GetParam();
    RealSmtpServer server(
        test::authenticatingServerArguments({QStringLiteral("--refuse"), QStringLiteral("alfa@alfa.cz")}));
    BulkFixture f;
    f.useServer(server);
    f.load();
    ASSERT_NO_FATAL_FAILURE(giveBetaAnAddress(f));
    memtable::MemTable& firmy = f.session.tables.mtFirmy;
    const QString betaList = firmy.text(u"TextNeuhrDokl");
    const QString betaFolder = f.session.TempDir + QString::number(firmy.intValue(u"ID"));
    if (c.blockBeta) {
        QFile blocker(betaFolder);
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    firmy.first();
    f.ui.queueConfirmation(c.goOn);

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(firstRecipients(server), c.sent);
    std::vector<Message> expected{
        {QStringLiteral("error"), kAlfaRefused},
        {QStringLiteral("confirmation"), QStringLiteral("Pokračovat dále v odesílání dalších e-mailů ?")}};
    if (c.toldOfBeta) {
        expected.push_back({QStringLiteral("error"),
                            QStringLiteral("Chyba : nelze vytvořit dočasný adresář ") + betaFolder + u'/'});
    }
    EXPECT_EQ(f.ui.messages(), expected);
    EXPECT_EQ(f.protocolLines(), test::runLines(kTime, c.middle, c.generated, c.skipped, {}, 1));
    EXPECT_EQ(f.currentDebtor(), c.lastDebtor);
    if (!c.goOn) {
        // The run ended before Beta's turn: Beta keeps what it had.
        ASSERT_TRUE(firmy.moveTo(1));
        EXPECT_EQ(firmy.text(u"TextNeuhrDokl"), betaList);
    }
}

const QString kAlfaLine = sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz"));
const QString kFailed = kAlfaFailedLine;

INSTANTIATE_TEST_SUITE_P(
    Answers, BulkAheadTest,
    ::testing::Values(
        AheadCase{"no_leaves_the_next_debtor_as_it_was",
                  false,
                  false,
                  false,
                  {},
                  {kAlfaLine, kFailed},
                  0,
                  0,
                  QStringLiteral("Alfa")},
        AheadCase{"yes_sends_the_next_debtor_made_ready",
                  true,
                  false,
                  false,
                  {QStringLiteral("beta@beta.cz"), QStringLiteral("ema@ema.cz")},
                  {kAlfaLine, kFailed, sendingLine(QStringLiteral("Beta"), QStringLiteral("beta@beta.cz")),
                   sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                  2,
                  4,
                  QStringLiteral("Ostatní")},
        AheadCase{"what_the_next_debtor_has_to_say_comes_after_the_answer",
                  true,
                  true,
                  true,
                  {QStringLiteral("ema@ema.cz")},
                  {kAlfaLine, kFailed, sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                  1,
                  5,
                  QStringLiteral("Ostatní")},
        AheadCase{"no_never_tells_of_the_next_debtor",
                  false,
                  true,
                  false,
                  {},
                  {kAlfaLine, kFailed},
                  0,
                  0,
                  QStringLiteral("Alfa")}),
    test::CaseName());

// A reminder handed to the server while the one before it is still with the server is committed
// (its end mark sent) only once that one has its send date: a kill never leaves two accepted
// reminders without one. The dates are read from the files, as another program would see them.
TEST(BulkRun, aReminderHandedOverEarlyIsCommittedOnlyAfterThePreviousOneIsDated) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();
    ASSERT_NO_FATAL_FAILURE(giveBetaAnAddress(f));
    f.session.tables.mtFirmy.first();

    // Used on the delivery thread only, where every transmission runs.
    state::StateTables reader(f.dir.path(), f.session.locale);
    reader.OpenStateTables();
    QStringList delivered;
    QStringList undatedAtCommit;
    int heldBack = 0;
    f.transmitSmtpReminder = [&](const transport::TMimeMess& message, const compose::ReminderRequest& request,
                                 transport::SmtpSender& smtp, const app::AppSettings& settings,
                                 const std::function<bool()>& mayCommit) {
        if (mayCommit) {
            // Asked at once, not after the envelope: the go-ahead must wait for the date even when
            // the previous reminder has only just been accepted.
            mayCommit();
            ++heldBack;
            for (const QString& address : delivered) {
                if (reader.readAddressNote(address).lastSend != QDate::currentDate()) {
                    undatedAtCommit << address;
                }
            }
        }
        const transport::SmtpOutcome outcome =
            compose::TransmitSmtpReminder(message, request, smtp, settings, mayCommit);
        if (outcome.delivered) {
            delivered << request.recipient;
        }
        return outcome;
    };

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(delivered, (QStringList{QStringLiteral("alfa@alfa.cz"), QStringLiteral("beta@beta.cz"),
                                      QStringLiteral("ema@ema.cz")}));
    EXPECT_GT(heldBack, 0);  // Beta was handed over while Alfa was with the server
    EXPECT_EQ(undatedAtCommit, QStringList{});
}

// ---- Before and after the debtors

TEST(BulkRun, withoutAConnectionToTheSmtpServerSendsNothing) {
    BulkFixture f;
    f.session.settings.SMTPHost = QStringLiteral("nonexistent.invalid");
    f.load();

    EXPECT_EQ(f.run(), -1);

    const QString warning = QStringLiteral(
        "Nejprve se musíte připojit k internetu (hromadný e-mailing je nastaven pomocí SMTP, který vyžaduje "
        "připojení na internet).");
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("warning"), warning}}));
    EXPECT_EQ(f.protocolLines(),
              (QStringList{QString(), QString(),
                           QStringLiteral("Hromadný e-mailing dlužníků - 10.12.2026 v 9:05:07 hod"),
                           QStringLiteral("..."), warning}));
    EXPECT_EQ(f.view.statusText, QStringLiteral("Připraven"));
    EXPECT_FALSE(f.view.linkVisible);
    EXPECT_EQ(f.view.generatedCount, QStringLiteral("0"));
    EXPECT_EQ(f.currentDebtor(), QStringLiteral("Alfa"));
}

// A server that takes nothing but EHLO before STARTTLS, and the account only after it.
// A security value the program does not know is never taken for plain text: the run does not start.
TEST(BulkRun, anUnknownSecurityValueStopsTheRunBeforeAnythingIsSent) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.session.settings.SMTPSecurity = 3;
    f.load();

    EXPECT_EQ(f.run(), -1);

    const QString error = QStringLiteral(
        "Hromadný e-mailing nelze spustit: nastavení SMTPSecurity má neplatnou hodnotu 3 (platné jsou 0 "
        "bez šifrování, 1 STARTTLS, 2 TLS). Nic nebylo odesláno; zvolte v nastavení zabezpečení spojení.");
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("error"), error}}));
    EXPECT_EQ(f.protocolLines().mid(3), (QStringList{QStringLiteral("..."), error}));
    EXPECT_TRUE(server.messageFiles().isEmpty());
}

TEST(BulkRun, overStartTlsWithAuthenticationSendsToTheDebtorsThatQualify) {
    const transport::testing::TestCertificates certificates;
    ASSERT_TRUE(certificates.isValid());
    RealSmtpServer server(test::authenticatingServerArguments(
        certificates.serverArguments(QStringLiteral("starttls"), QStringLiteral("server"))));
    BulkFixture f;
    f.useServer(server);
    f.session.settings.SMTPHost = QStringLiteral("localhost");  // the name the certificate is for
    f.session.settings.SMTPSecurity = 1;
    f.session.settings.SMTPCAFile = certificates.caFile();
    f.load();

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(received(server),
              (std::vector<Received>{
                  reminder(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz"), kAlfaDocuments),
                  reminder(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"), kEmaDocuments)}));
    EXPECT_EQ(f.ui.messages(), std::vector<Message>());
    EXPECT_EQ(f.protocolLines(),
              test::runLines(kTime,
                             {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")),
                              sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                             2, 4));
}

// ---- Through the mail client without a window: the system's sendmail of a desktop of our own

// A sendmail that keeps every call: N.args (NUL-terminated arguments) and N.eml (its input), N
// counting from 1; it exits with the status in exit.N when that file exists.
class CountingSendmail {
public:
    CountingSendmail() {
        const QByteArray out = QFile::encodeName(desktop.file(QStringLiteral("out")));
        desktop.addSendmail("n=$(( $(cat '" + out + "/count' 2>/dev/null || echo 0) + 1 ))\n" +
                            "echo $n > '" + out + "/count'\n" + "cat > '" + out + "/'$n.eml\n" +
                            "printf '%s\\0' \"$@\" > '" + out + "/'$n.args\n" + "exit $(cat '" + out +
                            "/'exit.$n 2>/dev/null || echo 0)\n");
    }
    void failCall(int n, const QByteArray& status) const {
        desktop.write(QStringLiteral("out/exit.%1").arg(n), status);
    }
    int calls() const {
        return QDir(desktop.file(QStringLiteral("out"))).entryList({QStringLiteral("*.eml")}).size();
    }
    QStringList arguments(int n) const {
        QFile file(desktop.file(QStringLiteral("out/%1.args").arg(n)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        QStringList all = QString::fromUtf8(file.readAll()).split(QChar(0));
        all.removeLast();
        return all;
    }
    // The message as the debtor's mail reader sees it.
    Received message(int n) const {
        const QJsonObject summary = test::readReminder(desktop.file(QStringLiteral("out/%1.eml").arg(n)));
        EXPECT_EQ(summary.value(QStringLiteral("defects")).toArray(), QJsonArray());
        QStringList documents;
        for (const QString& line :
             summary.value(QStringLiteral("archive")).toString().split(QStringLiteral("\r\n"))) {
            if (line.startsWith(QStringLiteral("FV"))) {
                documents.append(line.section(u' ', 0, 0));
            }
        }
        return {QJsonArray{summary.value(QStringLiteral("to")).toString(),
                           summary.value(QStringLiteral("cc")).toString()},
                summary.value(QStringLiteral("subject")).toString(),
                summary.value(QStringLiteral("cc")).toString(), documents};
    }

    transport::testing::MailDesktop desktop;
};

QStringList sendmailArguments(const QString& to) {
    return {QStringLiteral("-i"),
            QStringLiteral("-f"),
            QStringLiteral("upominky@horak.cz"),
            QStringLiteral("--"),
            to,
            QStringLiteral("kopie@horak.cz")};
}

struct MailClientFixture : BulkFixture {
    MailClientFixture() {
        session.settings.DefaultSendMail = true;
        session.mailClients = sendmail.desktop.environment;
        // The list start-up fills, now from this desktop.
        compose::FillMailClientList(session.mtEmailKlient, session.mailClients);
        isInternetConnected = [](const QString&, int) {
            ADD_FAILURE() << "no connection check for the mail client";
            return false;
        };
        load();
    }
    CountingSendmail sendmail;
};

TEST(BulkRun, throughTheMailClientHandsEachReminderToSendmailAndNamesItInTheStatus) {
    MailClientFixture f;

    EXPECT_EQ(f.run(), 0);

    ASSERT_EQ(f.sendmail.calls(), 2);
    EXPECT_EQ(f.sendmail.arguments(1), sendmailArguments(QStringLiteral("alfa@alfa.cz")));
    EXPECT_EQ(f.sendmail.message(1),
              reminder(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz"), kAlfaDocuments));
    EXPECT_EQ(f.sendmail.arguments(2), sendmailArguments(QStringLiteral("ema@ema.cz")));
    EXPECT_EQ(f.sendmail.message(2),
              reminder(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"), kEmaDocuments));
    EXPECT_EQ(f.protocolLines(),
              test::runLines(kTime,
                             {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")),
                              sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                             2, 4));
    EXPECT_EQ(f.ui.messages(), std::vector<Message>());
    // A program the note does not recognise is named by its path.
    EXPECT_EQ(
        f.view.statusText,
        QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde) Poznámka: zprávy byly předány "
                       "systémovému programu pro odesílání pošty (") +
            f.sendmail.desktop.file(QStringLiteral("sbin/sendmail")) +
            QStringLiteral("); ten je odešle sám, pokud zprávy jen řadí do fronty, zobrazíte ji obvykle "
                           "příkazem mailq."));
    EXPECT_EQ(f.session.stateTables->readAddressNote(QStringLiteral("alfa@alfa.cz")).lastSend,
              QDate::currentDate());
    EXPECT_EQ(f.session.stateTables->readAddressNote(QStringLiteral("ema@ema.cz")).lastSend,
              QDate::currentDate());
}

// sendmail's refusal is an error of the mail-client interface, not a failed send: the run ends at
// that debtor without the continue question or totals, and the error goes to the caller's boundary.
TEST(BulkRun, aSendmailRefusalEndsTheRunAtThatDebtorWithoutTotals) {
    MailClientFixture f;
    f.sendmail.failCall(2, "67");  // EX_NOUSER at Ema

    try {
        f.run();
        ADD_FAILURE() << "no error";
    } catch (const transport::EJclMapiError& e) {
        EXPECT_EQ(e.text(), transport::MapiErrorText(14));
    }

    EXPECT_EQ(f.sendmail.calls(), 2);
    EXPECT_EQ(f.ui.messages(), std::vector<Message>());
    EXPECT_EQ(
        f.protocolLines(),
        (QStringList{
            QString(), QString(), QStringLiteral("Hromadný e-mailing dlužníků - 10.12.2026 v 9:05:07 hod"),
            QStringLiteral("..."), sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")),
            sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))}));
    EXPECT_EQ(f.view.generatedCount, QStringLiteral("1"));
    EXPECT_EQ(f.session.stateTables->readAddressNote(QStringLiteral("alfa@alfa.cz")).lastSend,
              QDate::currentDate());
    EXPECT_FALSE(f.session.stateTables->readAddressNote(QStringLiteral("ema@ema.cz")).lastSend.isValid());
    EXPECT_EQ(f.currentDebtor(), QStringLiteral("Ema"));
}

TEST(BulkRun, twoRunsShareOneProtocolEachStartedByTwoEmptyLines) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();

    ASSERT_EQ(f.run(), 0);
    f.session.tables.mtFirmy.first();
    ASSERT_EQ(f.run(TestMode{kTestAddress, QStringLiteral("1"), 1}), 0);

    const QStringList first =
        test::runLines(kTime,
                       {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")),
                        sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))},
                       2, 4);
    const QStringList second =
        test::runLines(kTime, {sendingLine(QStringLiteral("Alfa"), kTestAddress)}, 1, 0,
                       QStringLiteral("[testovací režim na adresu test@horak.cz, odeslat jen prvních 1]"));
    EXPECT_EQ(f.protocolLines(), first + second);
    EXPECT_TRUE(f.protocol.text().endsWith(QStringLiteral("Dokončeno\r\n")));
    EXPECT_EQ(server.messageFiles().size(), 3);
}

// A debtor whose list cannot be written is skipped after its message, without a protocol line.
TEST(BulkRun, aDocumentListThatCannotBeMadeSkipsTheDebtor) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();
    // A folder where Alfa's folder should be created: ID 1 is Alfa, the first debtor loaded.
    f.dir.write(QStringLiteral("Temp/1"), "a file, not a folder");

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{
                  {QStringLiteral("error"), QStringLiteral("Chyba : nelze vytvořit dočasný adresář ") +
                                                f.session.TempDir + QStringLiteral("1/")}}));
    EXPECT_EQ(
        f.protocolLines(),
        test::runLines(kTime, {sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz"))}, 1, 5));
}

}  // namespace

// ---- The send journal, the debtors reminded today, and the user's stop

namespace {

const QDateTime kRunTime(QDate(2026, 12, 10), QTime(9, 5, 7));

state::JournalRecord journalled(const QString& recipient) {
    state::JournalRecord record;
    record.time = kRunTime.addSecs(-3600);
    record.recipient = recipient;
    record.route = QStringLiteral("smtp");
    return record;
}

TEST(BulkRun, debtorsRemindedTodayAreSkippedUnlessTheUserAsksToSendAgain) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();
    state::SendJournal& journal = f.openJournal();
    // Alfa got its reminder this morning; Ema's run was killed with its reminder in flight.
    journal.finish(journal.begin(journalled(QStringLiteral("alfa@alfa.cz"))), state::SendResult::Accepted,
                   QStringLiteral("250 OK"));
    journal.begin(journalled(QStringLiteral("EMA@ema.cz")));
    QStringList questions;
    bool answer = false;
    f.confirmResend = [&](const QString& question) {
        questions << question;
        return answer;
    };

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(questions, QStringList{QStringLiteral(
                             "Dlužníkům, kterým byla dnes již upomínka odeslána: 2.\n"
                             "U těchto není jisté, zda server upomínku přijal: Ema (ema@ema.cz).\n"
                             "Chcete jim upomínku odeslat znovu?")});
    EXPECT_TRUE(server.messageFiles().isEmpty());
    EXPECT_EQ(
        f.protocolLines(),
        test::runLines(kTime,
                       {QStringLiteral("Vynecháno: Alfa (alfa@alfa.cz) - upomínka již dnes odeslána"),
                        QStringLiteral("Vynecháno: Ema (ema@ema.cz) - dnešní upomínka má nejistý výsledek")},
                       0, 6));
    EXPECT_EQ(journal.records().size(), 2u);

    // Yes sends them again, each recorded with what it listed and what the server answered.
    f.session.tables.mtFirmy.first();
    answer = true;
    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(firstRecipients(server),
              (QStringList{QStringLiteral("alfa@alfa.cz"), QStringLiteral("ema@ema.cz")}));
    const std::vector<state::JournalRecord> records = journal.records(QStringLiteral("alfa@alfa.cz"));
    ASSERT_EQ(records.size(), 2u);
    const state::JournalRecord& alfa = records.front();
    EXPECT_EQ(alfa.result, state::SendResult::Accepted);
    EXPECT_EQ(alfa.time, kRunTime);
    EXPECT_EQ(alfa.debtorName, QStringLiteral("Alfa"));
    EXPECT_EQ(alfa.copy, f.session.settings.E_KopieEmailu);
    EXPECT_EQ(alfa.route, QStringLiteral("smtp"));
    EXPECT_FALSE(alfa.test);
    EXPECT_TRUE(alfa.reply.startsWith(QStringLiteral("250"))) << alfa.reply.toStdString();
    EXPECT_TRUE(alfa.messageId.contains(u'@')) << alfa.messageId.toStdString();
    ASSERT_EQ(alfa.documents.size(), 2u);
    EXPECT_EQ(alfa.documents[0].number, QStringLiteral("FV1"));
    EXPECT_EQ(alfa.documents[1].number, QStringLiteral("FV2"));
    EXPECT_EQ(journal.records(QStringLiteral("ema@ema.cz")).front().runId, alfa.runId);
}

// Each debtor gets the level the journal gives him: Alfa, reminded 20 days ago and 86 days late, the
// second reminder with its own texts; Ema, reminded 3 days ago, nothing yet. A test reminder does not
// count. The journal keeps the level; a forced level overrides the journal.
TEST(BulkRun, eachDebtorGetsTheTextsOfHisLevelAndOneNotYetDueIsSkipped) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();
    state::SendJournal& journal = f.openJournal();
    for (const auto& [address, daysAgo, test] :
         {std::tuple{"alfa@alfa.cz", 20, false}, std::tuple{"ema@ema.cz", 3, false},
          std::tuple{"alfa@alfa.cz", 1, true}}) {
        state::JournalRecord record = journalled(QString::fromLatin1(address));
        record.time = kRunTime.addDays(-daysAgo);
        record.test = test;
        journal.finish(journal.begin(record), state::SendResult::Accepted, QStringLiteral("250 OK"));
    }
    const sending::DebtorLevels levels(f.session.settings, &journal, kRunTime.date());
    EXPECT_EQ(sending::BulkRunPlanText(sending::PlanBulkRun(f.session.tables, *f.session.stateTables,
                                                            &journal, kRunTime.date(), &levels)),
              QStringLiteral("Bude odesláno upomínek: 1. Vynecháno bude dlužníků: 5 (bez e-mailové adresy 2, "
                             "vyřazeno z e-mailingu 1, nic k odeslání 1, upomenuto již dnes 0, na další "
                             "upomínku je ještě brzy 1)."));

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(f.protocolLines(),
              test::runLines(kTime,
                             {QStringLiteral("Odesílání e-mailu na Alfa (alfa@alfa.cz) - 2. upomínka"),
                              QStringLiteral("Vynecháno: Ema (ema@ema.cz): další upomínka až 21.12.2026")},
                             1, 5));
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject alfa = test::readReminder(files[0]);
    EXPECT_EQ(alfa.value(QStringLiteral("defects")).toArray(), QJsonArray());
    EXPECT_EQ(alfa.value(QStringLiteral("subject")).toString(),
              QStringLiteral("2. upomínka: neuhrazené doklady ke dni 10.12.2026"));
    const QString body = test::bodyOf(alfa);
    EXPECT_TRUE(body.contains(QStringLiteral("celkem 300,00 CZK."))) << body.toStdString();
    EXPECT_TRUE(body.contains(QStringLiteral("nejpozději do 17.12.2026."))) << body.toStdString();
    EXPECT_EQ(journal.records(QStringLiteral("alfa@alfa.cz")).front().level, 2);

    // Level 3 forced for the run (Alfa sent to again): Ema too, with the pre-litigation notice.
    f.session.tables.mtFirmy.first();
    f.confirmResend = [](const QString&) { return true; };
    f.forcedLevel = 3;
    EXPECT_EQ(f.run(), 0);
    const QStringList all = server.messageFiles();
    ASSERT_EQ(all.size(), 3);
    for (const QString& file : all.mid(1)) {
        const QJsonObject notice = test::readReminder(file);
        EXPECT_EQ(notice.value(QStringLiteral("subject")).toString(),
                  QStringLiteral("Předžalobní výzva k úhradě dlužné částky"));
        const QString text = test::bodyOf(notice);
        EXPECT_TRUE(text.contains(QStringLiteral("§ 142a občanského soudního řádu"))) << text.toStdString();
    }
    const state::JournalRecord notice = journal.records(QStringLiteral("ema@ema.cz")).front();
    EXPECT_EQ(notice.level, 3);
    // The notice saved as evidence from the journal is the message the server received.
    f.ui.queueFile(f.dir.file(QStringLiteral("dukaz")));
    sending::SaveReminderEvidence(journal, notice, f.dir.path(), f.ui);
    EXPECT_EQ(test::fileBytes(f.dir.file(QStringLiteral("dukaz.eml"))), test::fileBytes(all[2]));
}

// Only overdue documents, the export's 14 days of tolerance counted: on 30.9. Alfa's FV1 (due 15.9.)
// goes and FV2 (due 16.9.) does not; Ema's only included document (due 21.9.) is not yet overdue.
TEST(BulkRun, onlyOverdueDocumentsGoAndADebtorWithNoneIsSkipped) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.session.settings.EText = QStringLiteral("Celkem %CELKEM%\r\n%DOKLADY%");
    f.load();
    f.session.tables.OverdueOnlyOn = QDate(2026, 9, 30);
    state::SendJournal& journal = f.openJournal();
    EXPECT_EQ(sending::PlanBulkRun(f.session.tables, *f.session.stateTables, &journal, kRunTime.date())
                  .nothingToSend,
              2);

    EXPECT_EQ(f.run(), 0);

    EXPECT_EQ(f.protocolLines(),
              test::runLines(kTime,
                             {QStringLiteral("Odesílání e-mailu na Alfa (alfa@alfa.cz) - 1. upomínka"),
                              QStringLiteral("Vynecháno: Ema (ema@ema.cz): žádný doklad po splatnosti")},
                             1, 5));
    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    const QJsonObject alfa = test::readReminder(files[0]);
    const QString body = test::bodyOf(alfa);
    EXPECT_TRUE(body.startsWith(QStringLiteral("Celkem 100,00 CZK"))) << body.toStdString();
    for (const QString& text : {body, alfa.value(QStringLiteral("archive")).toString()}) {
        EXPECT_TRUE(text.contains(QStringLiteral("FV1"))) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("FV2"))) << text.toStdString();
    }
    const std::vector<state::JournalRecord> records = journal.records(QStringLiteral("alfa@alfa.cz"));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records.front().documents,
              (std::vector<state::JournalDocument>{{QStringLiteral("FV1"), 100, QStringLiteral("CZK")}}));
}

TEST(BulkRun, theUserStopsTheRunAfterTheReminderBeingSent) {
    RealSmtpServer server(test::authenticatingServerArguments());
    BulkFixture f;
    f.useServer(server);
    f.load();
    state::SendJournal& journal = f.openJournal();
    // Asked to stop while Alfa's reminder is with the server.
    int asked = 0;
    f.stopWanted = [&] {
        ++asked;
        return !f.view.debtorName.isEmpty() || f.view.generatedCount == QStringLiteral("1");
    };

    EXPECT_EQ(f.run(), 0);

    EXPECT_GT(asked, 0);
    EXPECT_EQ(firstRecipients(server), QStringList{QStringLiteral("alfa@alfa.cz")});
    QStringList expected =
        test::runLines(kTime, {sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz"))}, 1, 0);
    expected.insert(expected.indexOf(QStringLiteral("Vygenerovaných e-mailů celkem: 1")),
                    QStringLiteral("Hromadný e-mailing zastavil uživatel."));
    EXPECT_EQ(f.protocolLines(), expected);
    EXPECT_EQ(journal.records().size(), 1u);
    EXPECT_FALSE(f.session.stateTables->readAddressNote(QStringLiteral("ema@ema.cz")).lastSend.isValid());
}

}  // namespace
