#include "FakeSmtpServer.h"

#include "transport/smtp/SmtpError.h"
#include "transport/smtp/SmtpSender.h"

#include "QtPrinters.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

namespace tervalo::transport {
namespace {

using testing::FakeReply;
using testing::FakeSmtpServer;
using Lines = QList<QByteArray>;

// Message lines with dot-stuffing cases; SIZE is 27: the lengths plus 2 per line.
const Lines kMessage{"Subject: x", "", ".", "..b", "a.b"};
const QByteArray kStuffedData = "Subject: x\r\n\r\n..\r\n...b\r\na.b\r\n";

const FakeReply kGreeting{{"220 fake ESMTP\r\n"}};
const FakeReply kEhloWithLogin{{"250-fake\r\n250-SIZE 1000000\r\n250 AUTH LOGIN PLAIN\r\n"}};

struct SessionCase {
    const char* name;
    FakeReply greeting;
    QList<FakeSmtpServer::Rule> rules;
    QString recipients;
    QString user;
    QString password;
    bool delivered;
    std::optional<Lines> commands;  // none: not compared
    int replyTimeoutMs = 2000;
    // LOGIN and PLAIN on this plain connection: the fake stands for a trusted relay unless a case says
    // otherwise.
    bool plainAuthAllowed = true;
};

class SmtpSessionTest : public ::testing::TestWithParam<SessionCase> {};

TEST_P(SmtpSessionTest, followsTheServer) {
    const SessionCase& c = GetParam();
    FakeSmtpServer server(c.greeting, c.rules);
    SmtpSessionOptions options;
    options.replyTimeoutMs = c.replyTimeoutMs;
    options.localHostName = QStringLiteral("tester");
    options.plainAuthAllowed = c.plainAuthAllowed;

    const bool delivered = SendBySmtp(QStringLiteral("Dodavatel <a@b.cz>"), c.recipients,
                                      QStringLiteral(" 127.0.0.1 : %1 ").arg(server.port()), kMessage, c.user,
                                      c.password, options)
                               .delivered;
    server.finish();

    EXPECT_EQ(delivered, c.delivered);
    if (c.commands) {
        EXPECT_EQ(server.commands(), *c.commands);
    }
    if (server.commands().contains(".")) {
        EXPECT_EQ(server.data(), kStuffedData);
    }
}

const QString kOneRecipient = QStringLiteral("c@d.cz");

INSTANTIATE_TEST_SUITE_P(
    Servers, SmtpSessionTest,
    ::testing::Values(
        SessionCase{
            "plain_session_with_size",
            kGreeting,
            {{"EHLO", kEhloWithLogin}},
            kOneRecipient,
            {},
            {},
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{
            "greeting_421_sends_nothing", {{"421 busy\r\n"}}, {}, kOneRecipient, {}, {}, false, Lines{}},
        SessionCase{"ehlo_refused_helo_without_auth_and_size",
                    kGreeting,
                    {{"EHLO", {{"500 what\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("heslo"),
                    true,
                    Lines{"EHLO tester", "HELO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".",
                          "QUIT"}},
        SessionCase{"helo_refused_too_closes_without_quit",
                    kGreeting,
                    {{"EHLO", {{"500 what\r\n"}}}, {"HELO", {{"501 no\r\n"}}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "HELO tester"}},
        SessionCase{"login_chosen_over_plain",
                    kGreeting,
                    {{"EHLO", kEhloWithLogin},
                     {"AUTH LOGIN", {{"334 VXNlcm5hbWU6\r\n"}}},
                     {"dXNlcg==", {{"334 UGFzc3dvcmQ6\r\n"}}},
                     {"aGVzbG8=", {{"235 welcome\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("heslo"),
                    true,
                    Lines{"EHLO tester", "AUTH LOGIN", "dXNlcg==", "aGVzbG8=", "MAIL FROM:<a@b.cz> SIZE=27",
                          "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{"plain_only_is_not_used",
                    kGreeting,
                    {{"EHLO", {{"250-fake\r\n250 AUTH PLAIN\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("heslo"),
                    true,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"},
                    2000,
                    false},
        // CRAM-MD5 stripped from the offer on the way: the password does not follow in clear text.
        SessionCase{
            "login_and_plain_are_not_used_in_clear_text",
            kGreeting,
            {{"EHLO", kEhloWithLogin}},
            kOneRecipient,
            QStringLiteral("user"),
            QStringLiteral("heslo"),
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"},
            2000,
            false},
        SessionCase{"cram_md5_in_clear_text_as_before",
                    kGreeting,
                    {{"EHLO", {{"250-fake\r\n250 AUTH LOGIN CRAM-MD5 PLAIN\r\n"}}},
                     {"AUTH CRAM-MD5", {{"334 PDEyMzQ1QGZha2U+\r\n"}}},
                     {"dXNlciA", {{"235 welcome\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("heslo"),
                    true,
                    Lines{"EHLO tester", "AUTH CRAM-MD5",
                          "dXNlciBjMTEzNmFmOGI2ZjIwODg3ZGUwZThiZGJlMzFmM2RlZQ==", "MAIL FROM:<a@b.cz>",
                          "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"},
                    2000,
                    false},
        SessionCase{"cram_md5_rejected_then_login",
                    kGreeting,
                    {{"EHLO", {{"250-fake\r\n250 AUTH=CRAM-MD5 LOGIN\r\n"}}},
                     {"AUTH CRAM-MD5", {{"334 PDEyMzQ1QGZha2U+\r\n"}}},
                     {"dXNlciA", {{"535 wrong\r\n"}}},
                     {"AUTH LOGIN", {{"334 VXNlcm5hbWU6\r\n"}}},
                     {"dXNlcg==", {{"334 UGFzc3dvcmQ6\r\n"}}},
                     {"aGVzbG8=", {{"235 welcome\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("heslo"),
                    true,
                    std::nullopt},
        SessionCase{
            "no_account_no_auth_even_when_offered",
            kGreeting,
            {{"EHLO", kEhloWithLogin}},
            kOneRecipient,
            {},
            {},
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{"failed_auth_continues_and_server_decides",
                    kGreeting,
                    {{"EHLO", kEhloWithLogin},
                     {"AUTH LOGIN", {{"535 no\r\n"}}},
                     {"AUTH PLAIN", {{"535 no\r\n"}}},
                     {"MAIL", {{"530 auth first\r\n"}}}},
                    kOneRecipient,
                    QStringLiteral("user"),
                    QStringLiteral("x"),
                    false,
                    Lines{"EHLO tester", "AUTH LOGIN",
                          "AUTH PLAIN AHVzZXIAeA==", "MAIL FROM:<a@b.cz> SIZE=27", "QUIT"}},
        SessionCase{"sender_refused",
                    kGreeting,
                    {{"MAIL", {{"550 who\r\n"}}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "QUIT"}},
        SessionCase{"two_recipients_in_quotes_and_brackets",
                    kGreeting,
                    {},
                    QStringLiteral("Jan <c@d.cz>,\"Novák, Jan\" <e@f.cz>"),
                    {},
                    {},
                    true,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "RCPT TO:<e@f.cz>", "DATA",
                          ".", "QUIT"}},
        SessionCase{"first_recipient_refused_stops",
                    kGreeting,
                    {{"RCPT TO:<c@d.cz>", {{"550 unknown\r\n"}}}},
                    QStringLiteral("c@d.cz,e@f.cz"),
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "QUIT"}},
        SessionCase{"recipient_251_is_refusal",
                    kGreeting,
                    {{"RCPT", {{"251 forwarded\r\n"}}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "QUIT"}},
        SessionCase{"empty_first_recipient_fails",
                    kGreeting,
                    {},
                    QStringLiteral(" ,c@d.cz"),
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "QUIT"}},
        SessionCase{"later_empty_recipient_skipped",
                    kGreeting,
                    {},
                    QStringLiteral("c@d.cz, ,"),
                    {},
                    {},
                    true,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{"data_refused",
                    kGreeting,
                    {{"DATA", {{"451 later\r\n"}}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", "QUIT"}},
        SessionCase{"message_refused_after_data",
                    kGreeting,
                    {{".", {{"554 spam\r\n"}}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    Lines{"EHLO tester", "MAIL FROM:<a@b.cz>", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{
            "replies_split_across_packets",
            {{"22", "0 fake\r", "\n"}},
            {{"EHLO", {{"250-fake\r\n250-SI", "ZE 1000\r", "\n250 HELP\r\n"}}}},
            kOneRecipient,
            {},
            {},
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{
            "lone_lf_cr_and_lf_cr_line_ends",
            {{"220 fake\n"}},
            {{"EHLO", {{"250-fake\r250-SIZE 10\n\r250 HELP\n"}}}, {"MAIL", {{"250 ok\n\r"}}}},
            kOneRecipient,
            {},
            {},
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"}},
        SessionCase{
            "slow_but_steady_reply_is_waited_for",
            kGreeting,
            {{"EHLO", {{"250-fake\r\n", "250-SIZE 1000\r\n", "250-8BITMIME\r\n", "250 HELP\r\n"}, 150}}},
            kOneRecipient,
            {},
            {},
            true,
            Lines{"EHLO tester", "MAIL FROM:<a@b.cz> SIZE=27", "RCPT TO:<c@d.cz>", "DATA", ".", "QUIT"},
            400},
        SessionCase{"stall_in_the_middle_of_a_reply",
                    kGreeting,
                    {{"EHLO", {{"250-fake\r\n", "250 HELP\r\n"}, 30, 1500}}},
                    kOneRecipient,
                    {},
                    {},
                    false,
                    std::nullopt,
                    300}),
    [](const auto& param) { return std::string(param.param.name); });

struct StageCase {
    const char* name;
    FakeReply greeting;
    QList<FakeSmtpServer::Rule> rules;
    SmtpStage stage;
    QString reply;
    QString user = {};
};

class FailedStageTest : public ::testing::TestWithParam<StageCase> {};

// The test e-mail tells the user which step failed first and what the server said to it: a refused
// authentication, even though the session goes on without it and the server decides later.
TEST_P(FailedStageTest, namesTheStepAndTheServersReply) {
    const StageCase& c = GetParam();
    FakeSmtpServer server(c.greeting, c.rules);
    SmtpSessionOptions options;
    options.replyTimeoutMs = 2000;
    options.plainAuthAllowed = true;
    const SmtpOutcome outcome =
        SendBySmtp(QStringLiteral("a@b.cz"), kOneRecipient, QStringLiteral("127.0.0.1:%1").arg(server.port()),
                   kMessage, c.user, {}, options);
    server.finish();
    EXPECT_FALSE(outcome.delivered);
    EXPECT_FALSE(outcome.sessionError);
    EXPECT_EQ(stageName(outcome.stage), stageName(c.stage));
    EXPECT_EQ(outcome.reply, c.reply);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, FailedStageTest,
    ::testing::Values(
        StageCase{"greeting", {{"421 busy\r\n"}}, {}, SmtpStage::Connect, QStringLiteral("421 busy")},
        StageCase{"authentication_refused_then_sender",
                  kGreeting,
                  {{"EHLO", {{"250-fake\r\n250 AUTH LOGIN\r\n"}}},
                   {"AUTH LOGIN", {{"535 5.7.8 bad credentials\r\n"}}},
                   {"MAIL", {{"530 auth first\r\n"}}}},
                  SmtpStage::Authentication,
                  QStringLiteral("535 5.7.8 bad credentials"),
                  QStringLiteral("user")},
        StageCase{"sender",
                  kGreeting,
                  {{"MAIL", {{"550-who\r\n550 are you\r\n"}}}},
                  SmtpStage::Sender,
                  QStringLiteral("550-who\n550 are you")},
        StageCase{"recipient",
                  kGreeting,
                  {{"RCPT", {{"550 unknown\r\n"}}}},
                  SmtpStage::Recipient,
                  QStringLiteral("550 unknown")},
        StageCase{
            "data", kGreeting, {{".", {{"554 spam\r\n"}}}}, SmtpStage::Data, QStringLiteral("554 spam")}),
    [](const auto& param) { return std::string(param.param.name); });

struct EncryptionCase {
    const char* name;
    QList<FakeSmtpServer::Rule> rules;
    SmtpSecurity security;
    Lines commands;
    QString reason;
};

class EncryptionRefusedTest : public ::testing::TestWithParam<EncryptionCase> {};

// Once encryption is chosen nothing but EHLO and STARTTLS goes out in plain text: a server that does
// not offer it, refuses it or drops the connection in the handshake ends the session with its reason.
TEST_P(EncryptionRefusedTest, endsBeforeAnythingElseIsSent) {
    const EncryptionCase& c = GetParam();
    FakeSmtpServer server(kGreeting, c.rules);
    SmtpSessionOptions options;
    options.replyTimeoutMs = 2000;
    options.localHostName = QStringLiteral("tester");
    options.security = c.security;

    const SmtpOutcome outcome =
        SendBySmtp(QStringLiteral("a@b.cz"), kOneRecipient, QStringLiteral("127.0.0.1:%1").arg(server.port()),
                   kMessage, QStringLiteral("user"), QStringLiteral("heslo"), options);
    server.finish();

    EXPECT_FALSE(outcome.delivered);
    EXPECT_TRUE(outcome.sessionError);
    EXPECT_EQ(outcome.stage, SmtpStage::Tls);
    EXPECT_EQ(outcome.reply, c.reason);
    EXPECT_EQ(server.commands(), c.commands);
}

INSTANTIATE_TEST_SUITE_P(
    Servers, EncryptionRefusedTest,
    ::testing::Values(
        EncryptionCase{
            "starttls_not_offered",
            {{"EHLO", kEhloWithLogin}},
            SmtpSecurity::StartTls,
            Lines{"EHLO tester"},
            QStringLiteral("server 127.0.0.1 nenabízí šifrování STARTTLS. Nic nebylo odesláno; zvolte "
                           "zabezpečení, které server podporuje (zeptejte se poskytovatele).")},
        EncryptionCase{
            "starttls_not_offered_after_helo",
            {{"EHLO", {{"500 what\r\n"}}}},
            SmtpSecurity::StartTls,
            Lines{"EHLO tester", "HELO tester"},
            QStringLiteral("server 127.0.0.1 nenabízí šifrování STARTTLS. Nic nebylo odesláno; zvolte "
                           "zabezpečení, které server podporuje (zeptejte se poskytovatele).")},
        EncryptionCase{"starttls_refused",
                       {{"EHLO", {{"250-fake\r\n250-STARTTLS\r\n250 AUTH LOGIN\r\n"}}},
                        {"STARTTLS", {{"454 TLS not available\r\n"}}}},
                       SmtpSecurity::StartTls,
                       Lines{"EHLO tester", "STARTTLS"},
                       QStringLiteral("server odmítl zahájit šifrování STARTTLS (454 TLS not available). Nic "
                                      "nebylo odesláno.")},
        // A man in the middle answers STARTTLS for the server and slips the replies to what follows
        // into the same packet: they must never be read as if they had come through the encryption.
        EncryptionCase{
            "replies_injected_after_the_220",
            {{"EHLO", {{"250-fake\r\n250 STARTTLS\r\n"}}},
             {"STARTTLS", {{"220 go ahead\r\n250-fake\r\n250 AUTH PLAIN\r\n250 ok\r\n"}}}},
            SmtpSecurity::StartTls,
            Lines{"EHLO tester", "STARTTLS"},
            QStringLiteral("server poslal hned za souhlasem se šifrováním STARTTLS další data, ještě "
                           "než šifrované spojení vzniklo. Mohla je podstrčit cizí strana na cestě "
                           "k serveru; spojení bylo proto ukončeno a nic dalšího nebylo odesláno.")},
        EncryptionCase{
            "connection_dropped_in_the_handshake",
            {{"EHLO", {{"250-fake\r\n250 STARTTLS\r\n"}}}, {"STARTTLS", {{"220 go ahead\r\n"}, 30, 200}}},
            SmtpSecurity::StartTls,
            Lines{"EHLO tester", "STARTTLS"},
            QStringLiteral("server ukončil spojení během navazování šifrovaného spojení.")}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(SendBySmtp, unreachableServerIsNotDelivered) {
    // A port that was free a moment ago refuses the connection.
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), length);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);

    for (const QString& server :
         {QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port)),
          QStringLiteral("no-such-host.invalid:25"), QStringLiteral("127.0.0.1:no-such-service")}) {
        EXPECT_FALSE(SendBySmtp({}, kOneRecipient, server, kMessage, {}, {}).delivered)
            << server.toStdString();
    }
}

// A security value other than the three known ones is no plain text: the session stops with its
// reason before it even connects.
TEST(SendBySmtp, unknownSecurityValueConnectsNowhere) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), length), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
    SmtpSessionOptions options;
    options.security = SmtpSecurity(3);

    const SmtpOutcome outcome = SendBySmtp(
        QStringLiteral("a@b.cz"), kOneRecipient, QStringLiteral("127.0.0.1:%1").arg(ntohs(address.sin_port)),
        kMessage, QStringLiteral("user"), QStringLiteral("heslo"), options);

    EXPECT_FALSE(outcome.delivered);
    EXPECT_TRUE(outcome.sessionError);
    EXPECT_EQ(outcome.stage, SmtpStage::Tls);
    EXPECT_EQ(outcome.reply,
              QStringLiteral("nastavení SMTPSecurity má neplatnou hodnotu 3 (platné jsou 0 bez šifrování, "
                             "1 STARTTLS, 2 TLS). Nic nebylo odesláno; zvolte v nastavení zabezpečení "
                             "spojení."));
    pollfd waiting{listener, POLLIN, 0};
    EXPECT_EQ(::poll(&waiting, 1, 0), 0);  // no connection was made
    ::close(listener);
}

struct OversizedCase {
    const char* name;
    FakeReply greeting;
    QString error;
};

class OversizedReplyTest : public ::testing::TestWithParam<OversizedCase> {};

// A server that streams without end must not fill the memory: the reply fails with its reason once
// it is past any sane size, and the session sends nothing more.
TEST_P(OversizedReplyTest, failsTheSendWithItsReason) {
    FakeSmtpServer server(GetParam().greeting, {});
    SmtpSessionOptions options;
    options.replyTimeoutMs = 5000;
    const SmtpOutcome outcome =
        SendBySmtp(QStringLiteral("a@b.cz"), kOneRecipient, QStringLiteral("127.0.0.1:%1").arg(server.port()),
                   kMessage, {}, {}, options);
    EXPECT_FALSE(outcome.delivered);
    EXPECT_TRUE(outcome.sessionError);
    EXPECT_EQ(outcome.reply, GetParam().error);
    server.finish();
    EXPECT_EQ(server.commands(), Lines{});
}

// `count` copies of `piece`, sent one after another without pause.
FakeReply stream(const QByteArray& piece, int count) {
    FakeReply reply;
    for (int i = 0; i < count; ++i) {
        reply.chunks.append(piece);
    }
    reply.pauseMs = 0;
    return reply;
}

const QString kTooLong = QStringLiteral("Odpověď serveru SMTP je delší než 1000 řádků nebo 1048576 bajtů.");

INSTANTIATE_TEST_SUITE_P(
    Streams, OversizedReplyTest,
    ::testing::Values(
        OversizedCase{"line_without_end", stream(QByteArray(8192, 'x'), 400),
                      QStringLiteral("Server SMTP poslal řádek odpovědi delší než 65536 bajtů.")},
        OversizedCase{"endless_continuation_lines",
                      stream(QByteArray("220-pokracovani\r\n").repeated(100), 40), kTooLong},
        OversizedCase{"continuation_lines_past_a_mebibyte",
                      stream("220-" + QByteArray(60000, 'x') + "\r\n", 40), kTooLong}),
    [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tervalo::transport
