#include "FakeSmtpServer.h"

#include "transport/smtp/SmtpSender.h"

#include "QtPrinters.h"
#include "support/CaseName.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <optional>

// Servers that misbehave on purpose: every one must end the session with a message the user can act
// on, within the session's time limit, holding no more than the reply caps allow.
namespace tervalo::transport {
namespace {

using testing::FakeReply;
using testing::FakeSmtpServer;
using Lines = QList<QByteArray>;

constexpr int kTimeoutMs = 500;
// The session's own limit is five reply timeouts; the rest is room for a slow machine.
constexpr qint64 kEndsWithinMs = 5 * kTimeoutMs + 2000;

const Lines kMessage{"Subject: x", "", "text"};
const QString kOneRecipient = QStringLiteral("c@d.cz");
const QString kClosed = QStringLiteral("server ukončil spojení.");
const QString kTooManyLines =
    QStringLiteral("Odpověď serveru SMTP je delší než 1000 řádků nebo 1048576 bajtů.");
const QString kLineTooLong = QStringLiteral("Server SMTP poslal řádek odpovědi delší než 65536 bajtů.");
const QString kReplyTooSlow = QStringLiteral(
    "Server SMTP posílá odpověď příliš pomalu: nepřišla celá ani za 1 s, spojení bylo ukončeno.");
const QString kSessionTooSlow = QStringLiteral(
    "Server SMTP odpovídá příliš pomalu: odeslání zprávy neskončilo ani za 2,5 s, spojení bylo ukončeno.");

// A message far beyond what the kernel's socket buffers take in while the server reads nothing.
const Lines& bigMessage() {
    static const Lines lines(16 * 1024, QByteArray(1022, 'm'));
    return lines;
}

long peakMemoryKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// `count` copies of `piece` without pause, endless when `count` is 0.
FakeReply stream(const QByteArray& piece, int count) {
    FakeReply reply{{}, 0, 0, count == 0};
    for (int i = 0; i < std::max(count, 1); ++i) {
        reply.chunks.append(piece);
    }
    return reply;
}

// One byte after another, each `pauseMs` after the last, for ever.
FakeReply trickle(const QByteArray& text, int pauseMs) {
    FakeReply reply{{}, pauseMs, 0, true};
    for (char c : text) {
        reply.chunks.append(QByteArray(1, c));
    }
    return reply;
}

// The reply after a pause shorter than the reply timeout.
FakeReply late(const QByteArray& reply, int pauseMs = 225) {
    return {{"", reply}, pauseMs};
}

const FakeReply kHangUp{{""}, 0, 1};
const FakeReply kSilence{{""}, 0, 2000};

struct HostileCase {
    std::string name;
    FakeSmtpServer::Session session;
    SmtpOutcome outcome;
    std::optional<Lines> commands;  // none: not compared
    QString recipients = kOneRecipient;
    const Lines* message = &kMessage;
    QString user = {};
};

class HostileSmtpServerTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileSmtpServerTest, endsTheSessionWithItsReasonInTime) {
    const HostileCase& c = GetParam();
    FakeSmtpServer server({c.session});
    SmtpSessionOptions options;
    options.replyTimeoutMs = kTimeoutMs;
    options.plainAuthAllowed = true;  // the fakes' LOGIN, as from a trusted relay
    options.localHostName = QStringLiteral("tester");
    const long memoryBefore = peakMemoryKiB();
    QElapsedTimer clock;
    clock.start();

    const SmtpOutcome outcome =
        SendBySmtp(QStringLiteral("a@b.cz"), c.recipients, QStringLiteral("127.0.0.1:%1").arg(server.port()),
                   *c.message, c.user, c.user.isEmpty() ? QString() : QStringLiteral("heslo"), options);

    const qint64 elapsed = clock.elapsed();
    const long memoryGrowth = peakMemoryKiB() - memoryBefore;
    server.finish();
    EXPECT_EQ(outcome.delivered, c.outcome.delivered);
    EXPECT_EQ(stageName(outcome.stage), stageName(c.outcome.stage));
    EXPECT_EQ(outcome.reply, c.outcome.reply);
    EXPECT_EQ(outcome.sessionError, c.outcome.sessionError);
    if (c.commands) {
        EXPECT_EQ(server.commands(), *c.commands);
    }
    EXPECT_LT(elapsed, kEndsWithinMs);
    // The reply caps hold: a reader without them would have taken in the whole stream.
    EXPECT_LT(memoryGrowth, 32 * 1024) << "KiB";
}

SmtpOutcome failed(SmtpStage stage, const QString& reply, bool sessionError = false) {
    return {false, stage, reply, sessionError};
}

const Lines kUpToData{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA"};

INSTANTIATE_TEST_SUITE_P(
    Servers, HostileSmtpServerTest,
    ::testing::Values(
        HostileCase{"endless_reply_line",
                    {stream(QByteArray(65536, 'x'), 0), {}},
                    failed(SmtpStage::Connect, kLineTooLong, true),
                    Lines{}},
        HostileCase{"hundred_megabyte_reply_line",
                    {stream(QByteArray(1024 * 1024, 'x'), 100), {}},
                    failed(SmtpStage::Connect, kLineTooLong, true),
                    Lines{}},
        HostileCase{
            "ten_megabyte_reply",
            {{{"220 ok\r\n"}}, {{"EHLO", stream("250-" + QByteArray(1020, 'x') + "\r\n", 10 * 1024)}}},
            failed(SmtpStage::Connect, kTooManyLines, true),
            Lines{"EHLO tester"}},
        HostileCase{"multiline_reply_that_never_ends",
                    {{{"220 ok\r\n"}}, {{"EHLO", stream("250-more\r\n", 0)}}},
                    failed(SmtpStage::Connect, kTooManyLines, true),
                    Lines{"EHLO tester"}},
        HostileCase{"multiline_reply_that_never_ends_slowly",
                    {{{"220 ok\r\n"}}, {{"EHLO", {{"250-more\r\n"}, 100, 0, true}}}},
                    failed(SmtpStage::Connect, kReplyTooSlow, true),
                    Lines{"EHLO tester"}},
        HostileCase{"greeting_trickled_byte_by_byte",
                    {trickle("220 trickling", 150), {}},
                    failed(SmtpStage::Connect, kReplyTooSlow, true),
                    Lines{}},
        HostileCase{"reply_to_the_sender_trickled_byte_by_byte",
                    {{{"220 ok\r\n"}}, {{"MAIL", trickle("250 ", 150)}}},
                    failed(SmtpStage::Sender, kReplyTooSlow, true),
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>"}},
        // Eight replies of 225 ms and two of 400 ms: each within its wait, 2.6 s in all.
        HostileCase{"every_reply_within_its_wait_the_session_too_long",
                    {late("220 ok\r\n"),
                     {{"EHLO", late("250-fake\r\n250 AUTH LOGIN\r\n")},
                      {"AUTH LOGIN", late("334 VXNlcm5hbWU6\r\n")},
                      {"dXNlcg==", late("334 UGFzc3dvcmQ6\r\n")},
                      {"aGVzbG8=", late("235 ok\r\n")},
                      {"MAIL", late("250 ok\r\n")},
                      {"RCPT", late("250 ok\r\n")},
                      {"DATA", late("354 go\r\n", 400)},
                      {".", late("250 ok\r\n", 400)}}},
                    failed(SmtpStage::Data, kSessionTooSlow, true),
                    std::nullopt,
                    QStringLiteral("c@d.cz,e@f.cz"),
                    &kMessage,
                    QStringLiteral("user")},
        HostileCase{"stops_reading_in_the_middle_of_the_message",
                    {{{"220 ok\r\n"}}, {}, 32 * 1024, 2000},
                    failed(SmtpStage::Data, QStringLiteral("server nepřevzal odesílaná data včas.")),
                    kUpToData,
                    kOneRecipient,
                    &bigMessage()},
        HostileCase{"endless_reply_to_quit_after_the_message_was_accepted",
                    {{{"220 ok\r\n"}}, {{"QUIT", stream(QByteArray(65536, 'x'), 0)}}},
                    {true, SmtpStage::Data, QStringLiteral("250 OK"), false},
                    kUpToData + Lines{".", "QUIT"}},
        HostileCase{"silent_after_the_message",
                    {{{"220 ok\r\n"}}, {{".", kSilence}}},
                    failed(SmtpStage::Data, QStringLiteral("server neodpověděl včas.")),
                    kUpToData + Lines{"."}},
        HostileCase{"silent_after_the_greeting",
                    {{{"220 ok\r\n"}}, {{"EHLO", kSilence}}},
                    failed(SmtpStage::Connect, QStringLiteral("server neodpověděl včas.")),
                    Lines{"EHLO tester"}},
        HostileCase{"greeting_without_a_code",
                    {{{"hello\r\n"}}, {}},
                    failed(SmtpStage::Connect, QStringLiteral("hello")),
                    Lines{}},
        HostileCase{"greeting_of_two_digits",
                    {{{"22\r\n"}}, {}},
                    failed(SmtpStage::Connect, QStringLiteral("22")),
                    Lines{}},
        HostileCase{"empty_replies_to_ehlo_and_helo",
                    {{{"220 ok\r\n"}}, {{"EHLO", {{"\r\n"}}}, {"HELO", {{"\r\n"}}}}},
                    failed(SmtpStage::Connect, QStringLiteral("server poslal prázdnou odpověď.")),
                    Lines{"EHLO tester", "HELO tester"}},
        HostileCase{"binary_reply_to_the_sender",
                    {{{"220 ok\r\n"}}, {{"MAIL", {{QByteArray("\x01\x02\x00\xff z\r\n", 8)}}}}},
                    failed(SmtpStage::Sender, QString::fromUtf8(QByteArray("\x01\x02\x00\xff z", 6))),
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "QUIT"}},
        HostileCase{"code_out_of_range_for_the_sender",
                    {{{"220 ok\r\n"}}, {{"MAIL", {{"999 what\r\n"}}}}},
                    failed(SmtpStage::Sender, QStringLiteral("999 what")),
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "QUIT"}},
        HostileCase{"letters_in_the_code_for_data",
                    {{{"220 ok\r\n"}}, {{"DATA", {{"35A go ahead\r\n"}}}}},
                    failed(SmtpStage::Data, QStringLiteral("35A go ahead")),
                    kUpToData + Lines{"QUIT"}}),
    test::CaseName());

struct HangUpCase {
    std::string name;
    FakeSmtpServer::Session session;
    SmtpStage stage;
    bool delivered = false;
};

class HangUpTest : public ::testing::TestWithParam<HangUpCase> {};

// A server that drops the connection right after any one command: the session ends at once with
// its reason, and only a drop after the message was accepted still counts as delivered.
TEST_P(HangUpTest, endsAtOnceWithItsReason) {
    const HangUpCase& c = GetParam();
    FakeSmtpServer server({c.session});
    SmtpSessionOptions options;
    options.replyTimeoutMs = kTimeoutMs;
    options.plainAuthAllowed = true;  // the fakes' LOGIN, as from a trusted relay
    QElapsedTimer clock;
    clock.start();

    const SmtpOutcome outcome =
        SendBySmtp(QStringLiteral("a@b.cz"), kOneRecipient, QStringLiteral("127.0.0.1:%1").arg(server.port()),
                   kMessage, QStringLiteral("user"), QStringLiteral("heslo"), options);

    EXPECT_LT(clock.elapsed(), kTimeoutMs);  // no wait for a timeout: the drop is seen at once
    server.finish();
    EXPECT_EQ(outcome.delivered, c.delivered);
    EXPECT_EQ(stageName(outcome.stage), stageName(c.stage));
    EXPECT_FALSE(outcome.sessionError);
    if (!c.delivered) {
        EXPECT_EQ(outcome.reply, kClosed);
    }
}

const FakeReply kGreeting{{"220 ok\r\n"}};
const QList<FakeSmtpServer::Rule> kLoginRules{{"EHLO", {{"250-fake\r\n250 AUTH LOGIN\r\n"}}},
                                              {"AUTH LOGIN", {{"334 VXNlcm5hbWU6\r\n"}}},
                                              {"dXNlcg==", {{"334 UGFzc3dvcmQ6\r\n"}}},
                                              {"aGVzbG8=", {{"235 welcome\r\n"}}}};

// The session's rules with the reply to `command` replaced by a hang-up.
FakeSmtpServer::Session hangUpAfter(const QByteArray& command) {
    return {kGreeting, QList<FakeSmtpServer::Rule>{{command, kHangUp}} + kLoginRules};
}

INSTANTIATE_TEST_SUITE_P(
    Commands, HangUpTest,
    ::testing::Values(HangUpCase{"before_the_greeting", {kHangUp, kLoginRules}, SmtpStage::Connect},
                      HangUpCase{"ehlo", hangUpAfter("EHLO"), SmtpStage::Connect},
                      HangUpCase{"auth_login", hangUpAfter("AUTH LOGIN"), SmtpStage::Authentication},
                      HangUpCase{"user_name", hangUpAfter("dXNlcg=="), SmtpStage::Authentication},
                      HangUpCase{"password", hangUpAfter("aGVzbG8="), SmtpStage::Authentication},
                      HangUpCase{"mail_from", hangUpAfter("MAIL"), SmtpStage::Sender},
                      HangUpCase{"rcpt_to", hangUpAfter("RCPT"), SmtpStage::Recipient},
                      HangUpCase{"data", hangUpAfter("DATA"), SmtpStage::Data},
                      HangUpCase{"in_the_message", {kGreeting, kLoginRules, 10, 0}, SmtpStage::Data},
                      HangUpCase{"end_of_the_message", hangUpAfter("."), SmtpStage::Data},
                      HangUpCase{"quit", hangUpAfter("QUIT"), SmtpStage::Data, true}),
    test::CaseName());

}  // namespace
}  // namespace tervalo::transport
