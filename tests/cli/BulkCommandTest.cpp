#include "CliRunner.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;
using transport::testing::RealSmtpServer;

namespace {

const QString kHint = QStringLiteral(
    "information: Hromadné odeslání e-mailů budete provádět poprvé - doporučujeme nejprve tuto funkci "
    "vyzkoušet. V následujícím okně klepněte na tlačítko \"Testovací režim\".");

QStringList authenticatingArguments(const QStringList& more = {}) {
    return QStringList{QStringLiteral("--user"), QStringLiteral("ucet"), QStringLiteral("--password"),
                       QStringLiteral("heslo"), QStringLiteral("--require-auth")} +
           more;
}

class CliBulkTest : public ::testing::Test {
protected:
    CliBulkTest() {
        test::writeDemoDefFile(dir);
        set(QStringLiteral("DefaultSendMail"), QStringLiteral("0"));
        set(QStringLiteral("SMTPFromAddress"), QStringLiteral("upominky@horak.cz"));
        set(QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1"));
        set(QStringLiteral("SMTPAuth"), QStringLiteral("1"));
        set(QStringLiteral("SMTPUserID"), QStringLiteral("ucet"));
        set(QStringLiteral("SMTPPassword"), QStringLiteral("heslo"));
    }

    void set(const QString& field, const QString& value) {
        auto result = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("settings"),
                                    QStringLiteral("set"), field, value});
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    }

    void useServer(const RealSmtpServer& server) {
        ASSERT_TRUE(server.isRunning());
        set(QStringLiteral("SMTPPort"), QString::number(server.port()));
    }

    test::CliResult bulk(const QStringList& options, bool yes = false) {
        QStringList args{QStringLiteral("--app-dir"), dir.path()};
        if (yes) {
            args.append(QStringLiteral("--yes"));
        }
        return test::runCli(args + QStringList{QStringLiteral("bulk"), test::demoExportPath()} + options);
    }

    test::TempAppDir dir;
};

QStringList outLines(const test::CliResult& result) {
    QStringList lines = result.out.split(u'\n');
    lines.removeLast();
    return lines;
}

QStringList recipients(const RealSmtpServer& server) {
    QStringList all;
    for (const QString& file : server.messageFiles()) {
        all.append(server.envelope(file).value(QStringLiteral("rcpt_tos")).toArray().first().toString());
    }
    return all;
}

TEST_F(CliBulkTest, runsOverTheDebtorsWithAnAddressAndShowsTheHintOnlyOnce) {
    RealSmtpServer server(authenticatingArguments());
    useServer(server);

    const test::CliResult first = bulk({});
    ASSERT_EQ(first.exitCode, 0) << first.err.toStdString();
    EXPECT_EQ(first.err, kHint + u'\n');
    const QStringList lines = outLines(first);
    ASSERT_GE(lines.size(), 8);
    EXPECT_EQ(lines.mid(0, 2), (QStringList{QString(), QString()}));
    EXPECT_TRUE(lines[2].startsWith(QStringLiteral("Hromadný e-mailing dlužníků - ")))
        << lines[2].toStdString();
    EXPECT_EQ(lines.last(), QStringLiteral("Dokončeno"));
    // The demo export: eight firms with an address, of twelve rows.
    const QStringList sent = recipients(server);
    EXPECT_EQ(sent.size(), 8);
    EXPECT_TRUE(sent.contains(QStringLiteral("belohradsky@seznam.cz")));
    EXPECT_EQ(lines.filter(QStringLiteral("Odesílání e-mailu na ")).size(), 8);
    EXPECT_TRUE(
        lines.contains(QStringLiteral("Odesílání e-mailu na Bělohradský a syn; stavební firma "
                                      "(belohradsky@seznam.cz)")));
    EXPECT_EQ(lines.mid(lines.size() - 3, 2), (QStringList{QStringLiteral("Vygenerovaných e-mailů celkem: 8"),
                                                           QStringLiteral("Vynechaných e-mailů celkem: 4")}));

    const test::CliResult second = bulk({QStringLiteral("--only-with-email")});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_EQ(second.err, QString());
    EXPECT_TRUE(outLines(second).contains(QStringLiteral("Vynechaných e-mailů celkem: 0")));
    EXPECT_EQ(server.messageFiles().size(), 16);
}

TEST_F(CliBulkTest, testRunSendsTheFirstDebtorsToTheTrimmedAddress) {
    RealSmtpServer server(authenticatingArguments());
    useServer(server);

    const test::CliResult result = bulk({QStringLiteral("--test"), QStringLiteral(" ja@horak.cz "),
                                         QStringLiteral("--count"), QStringLiteral("2")});

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    EXPECT_EQ(recipients(server),
              (QStringList{QStringLiteral("ja@horak.cz"), QStringLiteral("ja@horak.cz")}));
    const QStringList lines = outLines(result);
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[3], QStringLiteral("[testovací režim na adresu ja@horak.cz, odeslat jen prvních 2]"));
    EXPECT_TRUE(lines.contains(QStringLiteral("Vygenerovaných e-mailů celkem: 2")));
}

TEST_F(CliBulkTest, aRefusedRecipientIsAnsweredNoWithoutYes) {
    RealSmtpServer server(
        authenticatingArguments({QStringLiteral("--refuse"), QStringLiteral("uctarna@alfastavby.cz")}));
    useServer(server);

    const test::CliResult no = bulk({});
    ASSERT_EQ(no.exitCode, 0) << no.err.toStdString();
    EXPECT_TRUE(
        no.err.endsWith(QStringLiteral("confirmation: Pokračovat dále v odesílání dalších e-mailů ?\n")))
        << no.err.toStdString();
    EXPECT_TRUE(server.messageFiles().isEmpty());
    EXPECT_TRUE(outLines(no).contains(QStringLiteral("... došlo k chybě")));

    const test::CliResult yes = bulk({}, true);
    ASSERT_EQ(yes.exitCode, 0) << yes.err.toStdString();
    EXPECT_EQ(server.messageFiles().size(), 7);
    EXPECT_TRUE(outLines(yes).contains(QStringLiteral("Vygenerovaných e-mailů celkem: 7")));
}

struct StopCase {
    std::string name;
    QStringList options;
    QString host;
    int exitCode;
    QString lastErr;
};

class CliBulkStopTest : public CliBulkTest, public ::testing::WithParamInterface<StopCase> {};

TEST_P(CliBulkStopTest, endsBeforeTheFirstDebtorOrOnWrongUsage) {
    const StopCase& c = GetParam();
    set(QStringLiteral("SMTPHost"), c.host);
    const test::CliResult result = bulk(c.options);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_TRUE(result.err.trimmed().endsWith(c.lastErr)) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Stops, CliBulkStopTest,
    ::testing::Values(
        StopCase{
            "no_connection",
            {},
            QStringLiteral("nonexistent.invalid"),
            3,
            QStringLiteral("warning: Nejprve se musíte připojit k internetu (hromadný e-mailing je nastaven "
                           "pomocí SMTP, který vyžaduje připojení na internet).")},
        StopCase{"test_address_without_at_sign",
                 {QStringLiteral("--test"), QStringLiteral("horak.cz")},
                 QStringLiteral("127.0.0.1"),
                 3,
                 QStringLiteral("information: Musíte zadat platnou e-mailovou adresu.")},
        StopCase{"count_without_test",
                 {QStringLiteral("--count"), QStringLiteral("2")},
                 QStringLiteral("127.0.0.1"),
                 2,
                 QStringLiteral("[--count N]")},
        StopCase{"count_that_is_no_number",
                 {QStringLiteral("--test"), QStringLiteral("a@b.cz"), QStringLiteral("--count"),
                  QStringLiteral("x")},
                 QStringLiteral("127.0.0.1"),
                 2,
                 QStringLiteral("[--count N]")}),
    test::CaseName());

}  // namespace
