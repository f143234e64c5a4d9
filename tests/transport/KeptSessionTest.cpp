#include "FakeSmtpServer.h"

#include "transport/smtp/SmtpSender.h"

#include "QtPrinters.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

// Two messages on one kept session against servers that end it in different ways: what may be tried
// again on a new session, and what never, because the server may already hold the message.
namespace tervalo::transport {
namespace {

using testing::FakeReply;
using testing::FakeSmtpServer;
using Lines = QList<QByteArray>;

const Lines kMessage{"Subject: x", "", "text"};
const FakeReply kGreeting{{"220 ok\r\n"}};
const FakeReply kClosedWithoutReply{{""}, 0, 1};
const Lines kFirstMessage{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", "."};
const Lines kOneMessage = kFirstMessage + Lines{"QUIT"};

struct KeptSessionCase {
    std::string name;
    QList<FakeSmtpServer::Rule> firstSessionRules;  // the second message meets these
    bool secondDelivered;
    QString secondReply;  // when not delivered
    QList<Lines> sessions;
};

class KeptSessionTest : public ::testing::TestWithParam<KeptSessionCase> {};

TEST_P(KeptSessionTest, triesAgainOnlyWhatTheServerCannotHold) {
    const KeptSessionCase& c = GetParam();
    QList<FakeSmtpServer::Session> sessions{{kGreeting, c.firstSessionRules}};
    if (c.sessions.size() > 1) {
        sessions.append({kGreeting, {}});
    }
    FakeSmtpServer server(sessions);
    SmtpSessionOptions options;
    options.replyTimeoutMs = 1000;
    options.localHostName = QStringLiteral("tester");
    SmtpSender sender(QStringLiteral("127.0.0.1:%1").arg(server.port()), {}, {}, options);

    EXPECT_TRUE(sender.send(QStringLiteral("a@b.cz"), QStringLiteral("c@d.cz"), kMessage).delivered);
    const SmtpOutcome second = sender.send(QStringLiteral("a@b.cz"), QStringLiteral("c@d.cz"), kMessage);
    sender.close();
    server.finish();

    EXPECT_EQ(second.delivered, c.secondDelivered);
    if (!c.secondDelivered) {
        EXPECT_EQ(second.reply, c.secondReply);
        EXPECT_FALSE(second.sessionError);
    }
    EXPECT_EQ(server.sessionCommands(), c.sessions);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, KeptSessionTest,
    ::testing::Values(
        KeptSessionCase{
            "working_server_takes_both_on_one_connection",
            {},
            true,
            {},
            {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}}},
        KeptSessionCase{"limit_of_messages_per_connection_gets_a_new_one",
                        {{"MAIL", {{"421 4.7.0 too many messages, reconnect\r\n"}}, 1}},
                        true,
                        {},
                        {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "QUIT"}, kOneMessage}},
        KeptSessionCase{"connection_closed_while_kept_gets_a_new_one",
                        {{"MAIL", kClosedWithoutReply, 1}},
                        true,
                        {},
                        {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>"}, kOneMessage}},
        KeptSessionCase{
            "temporary_refusal_of_the_recipient_gets_a_new_one",
            {{"RCPT", {{"452 4.5.3 too many recipients this session\r\n"}}, 1}},
            true,
            {},
            {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "QUIT"}, kOneMessage}},
        KeptSessionCase{"permanent_refusal_is_not_tried_again",
                        {{"RCPT", {{"550 5.1.1 no such user\r\n"}}, 1}},
                        false,
                        QStringLiteral("550 5.1.1 no such user"),
                        {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "QUIT"}}},
        // The text went out: the server may have stored the message before the connection broke.
        KeptSessionCase{"connection_lost_after_the_text_is_not_tried_again",
                        {{".", kClosedWithoutReply, 1}},
                        false,
                        QStringLiteral("server ukončil spojení."),
                        {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", "."}}},
        KeptSessionCase{
            "temporary_refusal_of_the_text_is_not_tried_again",
            {{".", {{"451 4.3.0 try later\r\n"}}, 1}},
            false,
            QStringLiteral("451 4.3.0 try later"),
            {kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}}}),
    test::CaseName());

// A message held back until the caller lets it be committed: on a kept session the envelope goes
// first and only the end mark waits; a session is never opened just to wait; a withdrawn message
// leaves the server without its end mark, and the next message starts afresh.
TEST(HeldMessage, waitsOnlyForTheEndMarkAndLeavesNoMessageWhenWithdrawn) {
    FakeSmtpServer server({{kGreeting, {}}, {kGreeting, {}}});
    SmtpSessionOptions options;
    options.replyTimeoutMs = 1000;
    options.localHostName = QStringLiteral("tester");
    SmtpSender sender(QStringLiteral("127.0.0.1:%1").arg(server.port()), {}, {}, options);
    const auto send = [&](bool go, int& asked) {
        return sender.send(QStringLiteral("a@b.cz"), QStringLiteral("c@d.cz"), kMessage, [go, &asked] {
            ++asked;
            return go;
        });
    };

    int askedBeforeOpening = 0;
    const SmtpOutcome unopened = send(false, askedBeforeOpening);
    EXPECT_EQ(askedBeforeOpening, 1);
    EXPECT_TRUE(unopened.withdrawn);
    EXPECT_FALSE(unopened.delivered);

    int asked = 0;
    EXPECT_TRUE(send(true, asked).delivered);
    const SmtpOutcome withdrawn = send(false, asked);
    EXPECT_TRUE(withdrawn.withdrawn);
    EXPECT_FALSE(withdrawn.delivered);
    EXPECT_TRUE(send(true, asked).delivered);
    EXPECT_EQ(asked, 5);  // before each session it opens and before each end mark
    sender.close();
    server.finish();

    EXPECT_EQ(
        server.sessionCommands(),
        (QList<Lines>{kFirstMessage + Lines{"MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA"}, kOneMessage}));
}

}  // namespace
}  // namespace tervalo::transport
