#include "BulkFixture.h"

#include "FakeSmtpServer.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

// A bulk run against a server that misbehaves with the first debtor: the debtor is reported as
// failed, nothing is recorded as sent to it, and the run goes on or stops as the user answers.
using namespace tervalo;
using Message = test::FakeUserInterface::Message;
using transport::testing::FakeReply;
using transport::testing::FakeSmtpServer;
using Lines = QList<QByteArray>;

namespace {

constexpr int kTimeoutMs = 500;

QString sendingLine(const QString& name, const QString& address) {
    return QStringLiteral("Odesílání e-mailu na ") + name + QStringLiteral(" (") + address +
           QStringLiteral(") - 1. upomínka");
}

const FakeReply kGreeting{{"220 ok\r\n"}};
const Lines kAlfaUpToData{"EHLO tester", "MAIL FROM:<upominky@horak.cz>", "RCPT TO:<alfa@alfa.cz>",
                          "RCPT TO:<kopie@horak.cz>", "DATA"};

struct HostileRunCase {
    std::string name;
    FakeSmtpServer::Session firstSession;
    Lines firstCommands;
    QString sessionError;  // what the session reported before the failure; empty: nothing
    bool goOn;
    QString failure = {};  // without a session error: the stage and the reason the failure ends with
};

class BulkHostileServerTest : public ::testing::TestWithParam<HostileRunCase> {};

TEST_P(BulkHostileServerTest, reportsTheDebtorAsFailedAndFollowsTheAnswer) {
    const HostileRunCase& c = GetParam();
    QList<FakeSmtpServer::Session> sessions{c.firstSession};
    if (c.goOn) {
        sessions.append({kGreeting, {}});
    }
    FakeSmtpServer server(sessions);
    test::BulkFixture f;
    f.session.settings.SMTPHost = QStringLiteral("127.0.0.1");
    f.session.settings.SMTPPort = server.port();
    f.session.settings.SMTPAuth = false;
    f.smtpOptions.replyTimeoutMs = kTimeoutMs;
    f.smtpOptions.localHostName = QStringLiteral("tester");
    f.load();
    f.ui.queueConfirmation(c.goOn);

    EXPECT_EQ(f.run(), 0);
    server.finish();

    std::vector<Message> expected;
    if (!c.sessionError.isEmpty()) {
        expected.push_back(
            {QStringLiteral("error"),
             QStringLiteral("Při odesílání e-mailu alfa@alfa.cz došlo k chybě: ") + c.sessionError});
    }
    expected.push_back(
        {QStringLiteral("error"), QStringLiteral("Odeslání e-mailu na adresu alfa@alfa.cz se nezdařilo") +
                                      (c.failure.isEmpty() ? QStringLiteral(".") : c.failure)});
    expected.push_back(
        {QStringLiteral("confirmation"), QStringLiteral("Pokračovat dále v odesílání dalších e-mailů ?")});
    EXPECT_EQ(f.ui.messages(), expected);

    ASSERT_EQ(server.sessionCommands().size(), c.goOn ? 2 : 1);
    EXPECT_EQ(server.sessionCommands()[0], c.firstCommands);
    if (c.goOn) {
        EXPECT_EQ(server.sessionCommands()[1],
                  (Lines{"EHLO tester", "MAIL FROM:<upominky@horak.cz>", "RCPT TO:<ema@ema.cz>",
                         "RCPT TO:<kopie@horak.cz>", "DATA", ".", "QUIT"}));
    }

    // The protocol line ends with the reason, whichever told it.
    const QString reason =
        c.sessionError.isEmpty() ? c.failure.mid(c.failure.indexOf(u':') + 2) : c.sessionError;
    QStringList middle{sendingLine(QStringLiteral("Alfa"), QStringLiteral("alfa@alfa.cz")),
                       QStringLiteral("... došlo k chybě: ") + reason};
    if (c.goOn) {
        middle.append(sendingLine(QStringLiteral("Ema"), QStringLiteral("ema@ema.cz")));
    }
    EXPECT_EQ(f.protocolLines(),
              test::runLines(QStringLiteral("9:05:07"), middle, c.goOn ? 1 : 0, c.goOn ? 5 : 0, {}, 1));
    EXPECT_EQ(f.view.generatedCount, c.goOn ? QStringLiteral("1") : QStringLiteral("0"));
    EXPECT_EQ(f.view.skippedCount, c.goOn ? QStringLiteral("5") : QStringLiteral("0"));
    EXPECT_FALSE(f.session.stateTables->readAddressNote(QStringLiteral("alfa@alfa.cz")).lastSend.isValid());
    EXPECT_EQ(f.session.stateTables->readAddressNote(QStringLiteral("ema@ema.cz")).lastSend.isValid(),
              c.goOn);
}

FakeReply trickled(const QByteArray& text) {
    FakeReply reply{{}, 150, 0, true};
    for (char ch : text) {
        reply.chunks.append(QByteArray(1, ch));
    }
    return reply;
}

INSTANTIATE_TEST_SUITE_P(
    Servers, BulkHostileServerTest,
    ::testing::Values(
        HostileRunCase{"reply_to_the_message_trickled_then_yes",
                       {kGreeting, {{".", trickled("250 queued")}}},
                       kAlfaUpToData + Lines{"."},
                       QStringLiteral("Server SMTP posílá odpověď příliš pomalu: nepřišla celá ani za 1 s, "
                                      "spojení bylo ukončeno."),
                       true},
        HostileRunCase{"endless_reply_line_then_no",
                       {kGreeting, {{"MAIL", {{QByteArray(65536, 'x')}, 0, 0, true}}}},
                       {"EHLO tester", "MAIL FROM:<upominky@horak.cz>"},
                       QStringLiteral("Server SMTP poslal řádek odpovědi delší než 65536 bajtů."),
                       false},
        HostileRunCase{"stops_answering_in_the_message_then_yes",
                       {kGreeting, {}, 100, 10000},
                       kAlfaUpToData,
                       {},
                       true,
                       QStringLiteral(" (přenos zprávy): server neodpověděl včas.")},
        HostileRunCase{"hangs_up_after_the_recipient_then_no",
                       {kGreeting, {{"RCPT", {{""}, 0, 1}}}},
                       {"EHLO tester", "MAIL FROM:<upominky@horak.cz>", "RCPT TO:<alfa@alfa.cz>"},
                       {},
                       false,
                       QStringLiteral(" (adresa příjemce): server ukončil spojení.")}),
    test::CaseName());

}  // namespace
