#include "FakeSmtpServer.h"

#include "transport/smtp/SmtpSender.h"

#include "QtPrinters.h"
#include "support/CaseName.h"

#include <gtest/gtest.h>

// The envelope as one group to a server that offers pipelining, beside the same exchange one command
// at a time to a server that does not: the same outcome, refusals included, and never a message where
// a recipient was refused.
namespace tervalo::transport {
namespace {

using testing::FakeReply;
using testing::FakeSmtpServer;
using Lines = QList<QByteArray>;

const Lines kMessage{"Subject: x", "", ".", "text"};  // SIZE 23
const QByteArray kData = "Subject: x\r\n\r\n..\r\ntext\r\n";
const FakeReply kGreeting{{"220 fake ESMTP\r\n"}};
const FakeReply kEhloPipelining{{"250-fake\r\n250-SIZE 1000000\r\n250 PIPELINING\r\n"}};
const FakeReply kEhloOneByOne{{"250-fake\r\n250 SIZE 1000000\r\n"}};
const QString kThreeRecipients = QStringLiteral("c@d.cz, Nikdo <x@y.cz>, e@f.cz");
const QByteArray kMail = "MAIL FROM:<a@b.cz> SIZE=23";
const Lines kEnvelope{"EHLO tester",      kMail, "RCPT TO:<c@d.cz>", "RCPT TO:<x@y.cz>",
                      "RCPT TO:<e@f.cz>", "DATA"};

struct GroupCase {
    std::string name;
    QList<FakeSmtpServer::Rule> rules;
    bool delivered;
    SmtpStage stage;
    QString reply;
    Lines grouped;   // what the pipelining server receives
    Lines oneByOne;  // what the server without pipelining receives
};

class PipeliningTest : public ::testing::TestWithParam<GroupCase> {};

TEST_P(PipeliningTest, endsAsTheExchangeOneCommandAtATime) {
    const GroupCase& c = GetParam();
    for (const bool pipelining : {true, false}) {
        SCOPED_TRACE(pipelining ? "pipelining server" : "server without pipelining");
        FakeSmtpServer::Session session{
            kGreeting,
            QList<FakeSmtpServer::Rule>{{"EHLO", pipelining ? kEhloPipelining : kEhloOneByOne}} + c.rules};
        // A client that waited for each reply would wait in vain here.
        session.repliesAfterData = pipelining;
        FakeSmtpServer server({session});
        SmtpSessionOptions options;
        options.replyTimeoutMs = 2000;
        options.localHostName = QStringLiteral("tester");

        const SmtpOutcome outcome =
            SendBySmtp(QStringLiteral("a@b.cz"), kThreeRecipients,
                       QStringLiteral("127.0.0.1:%1").arg(server.port()), kMessage, {}, {}, options);
        server.finish();

        EXPECT_EQ(outcome.delivered, c.delivered);
        EXPECT_EQ(stageName(outcome.stage), stageName(c.stage));
        EXPECT_EQ(outcome.reply, c.reply);
        EXPECT_FALSE(outcome.sessionError);
        EXPECT_EQ(server.commands(), pipelining ? c.grouped : c.oneByOne);
        EXPECT_EQ(server.data(), server.commands().contains(".") ? kData : QByteArray());
    }
}

const FakeReply kRefused{{"550-5.1.1 <x@y.cz>: unknown\r\n550 5.1.1 mailbox gone\r\n"}};
const QString kRefusal = QStringLiteral("550-5.1.1 <x@y.cz>: unknown\n550 5.1.1 mailbox gone");

INSTANTIATE_TEST_SUITE_P(
    Servers, PipeliningTest,
    ::testing::Values(
        GroupCase{"all_accepted",
                  {},
                  true,
                  SmtpStage::Data,
                  QStringLiteral("250 OK"),
                  kEnvelope + Lines{".", "QUIT"},
                  kEnvelope + Lines{".", "QUIT"}},
        // DATA is already accepted for the other two: a lone "." would hand them an empty message, so
        // the connection is closed inside the text and the server drops the transaction.
        GroupCase{"recipient_in_the_middle_refused",
                  {{"RCPT TO:<x@y.cz>", kRefused}},
                  false,
                  SmtpStage::Recipient,
                  kRefusal,
                  kEnvelope,
                  {"EHLO tester", kMail, "RCPT TO:<c@d.cz>", "RCPT TO:<x@y.cz>", "QUIT"}},
        GroupCase{"every_recipient_refused_and_data_refused",
                  {{"RCPT", kRefused}, {"DATA", {{"554 5.5.1 no valid recipients\r\n"}}}},
                  false,
                  SmtpStage::Recipient,
                  kRefusal,
                  kEnvelope + Lines{"QUIT"},
                  {"EHLO tester", kMail, "RCPT TO:<c@d.cz>", "QUIT"}},
        GroupCase{"every_recipient_refused_yet_data_accepted",
                  {{"RCPT", kRefused}},
                  false,
                  SmtpStage::Recipient,
                  kRefusal,
                  kEnvelope,
                  {"EHLO tester", kMail, "RCPT TO:<c@d.cz>", "QUIT"}},
        GroupCase{"sender_refused",
                  {{"MAIL", {{"550 5.7.1 who are you\r\n"}}},
                   {"RCPT", {{"503 5.5.1 MAIL first\r\n"}}},
                   {"DATA", {{"503 5.5.1 MAIL first\r\n"}}}},
                  false,
                  SmtpStage::Sender,
                  QStringLiteral("550 5.7.1 who are you"),
                  kEnvelope + Lines{"QUIT"},
                  {"EHLO tester", kMail, "QUIT"}},
        GroupCase{"data_refused",
                  {{"DATA", {{"451 4.3.0 later\r\n"}}}},
                  false,
                  SmtpStage::Data,
                  QStringLiteral("451 4.3.0 later"),
                  kEnvelope + Lines{"QUIT"},
                  kEnvelope + Lines{"QUIT"}},
        GroupCase{"message_refused_after_its_end_mark",
                  {{".", {{"554 5.7.1 spam\r\n"}}}},
                  false,
                  SmtpStage::Data,
                  QStringLiteral("554 5.7.1 spam"),
                  kEnvelope + Lines{".", "QUIT"},
                  kEnvelope + Lines{".", "QUIT"}}),
    test::CaseName());

// On a kept session the group goes before the caller's go-ahead, which only the end mark waits for.
// A temporary refusal of the second message's recipient, its DATA accepted all the same, leaves that
// connection inside the message text without an end mark, and the message is tried on a new one.
TEST(PipelinedKeptSession, holdsOnlyTheEndMarkAndTriesATemporaryRefusalAgain) {
    const QList<FakeSmtpServer::Rule> rules{
        {"EHLO", kEhloPipelining}, {"RCPT", {{"452 4.5.3 too many recipients this session\r\n"}}, 1}};
    FakeSmtpServer::Session first{kGreeting, rules};
    FakeSmtpServer::Session second{kGreeting, {{"EHLO", kEhloPipelining}}};
    first.repliesAfterData = true;
    second.repliesAfterData = true;
    FakeSmtpServer server({first, second});
    SmtpSessionOptions options;
    options.replyTimeoutMs = 2000;
    options.localHostName = QStringLiteral("tester");
    SmtpSender sender(QStringLiteral("127.0.0.1:%1").arg(server.port()), {}, {}, options);
    int asked = 0;
    const auto goAhead = [&asked] {
        ++asked;
        return true;
    };

    EXPECT_TRUE(sender.send(QStringLiteral("a@b.cz"), QStringLiteral("c@d.cz"), kMessage, goAhead).delivered);
    EXPECT_TRUE(sender.send(QStringLiteral("a@b.cz"), QStringLiteral("c@d.cz"), kMessage, goAhead).delivered);
    sender.close();
    server.finish();

    EXPECT_EQ(asked, 4);  // before each session opens and before each end mark that went
    const Lines message{kMail, "RCPT TO:<c@d.cz>", "DATA", "."};
    EXPECT_EQ(server.sessionCommands(),
              (QList<Lines>{Lines{"EHLO tester"} + message + Lines{kMail, "RCPT TO:<c@d.cz>", "DATA"},
                            Lines{"EHLO tester"} + message + Lines{"QUIT"}}));
}

}  // namespace
}  // namespace tervalo::transport
