#include "CliRunner.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"

#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <map>

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
        // The demo export is of a fixed day, and the runs here send from it again and again.
        set(QStringLiteral("StaryExportDni"), QStringLiteral("0"));
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
                                      "(belohradsky@seznam.cz) - 1. upomínka")));
    EXPECT_EQ(lines.mid(lines.size() - 4, 3),
              (QStringList{QStringLiteral("Vygenerovaných e-mailů celkem: 8"),
                           QStringLiteral("Vynechaných e-mailů celkem: 4"),
                           QStringLiteral("Chybou neodeslaných e-mailů celkem: 0")}));

    // The same day again: --yes does not answer the question, the debtors reminded today are skipped.
    const test::CliResult again = bulk({QStringLiteral("--only-with-email")}, true);
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(again.err, QStringLiteral("confirmation: Dlužníkům, kterým byla dnes již upomínka odeslána: 8. "
                                        "Chcete jim upomínku odeslat znovu?\n"));
    EXPECT_EQ(server.messageFiles().size(), 8);
    const QStringList againLines = outLines(again);
    EXPECT_TRUE(
        againLines.contains(QStringLiteral("Vynecháno: Bělohradský a syn; stavební firma "
                                           "(belohradsky@seznam.cz) - upomínka již dnes odeslána")));
    EXPECT_EQ(againLines.filter(QStringLiteral("upomínka již dnes odeslána")).size(), 8);
    EXPECT_TRUE(againLines.contains(QStringLiteral("Vynechaných e-mailů celkem: 8")));

    const test::CliResult second = bulk({QStringLiteral("--only-with-email"), QStringLiteral("--resend")});
    ASSERT_EQ(second.exitCode, 0) << second.err.toStdString();
    EXPECT_TRUE(
        second.err.startsWith(QStringLiteral("confirmation: Dlužníkům, kterým byla dnes již upomínka")));
    EXPECT_TRUE(outLines(second).contains(QStringLiteral("Vynechaných e-mailů celkem: 0")));
    EXPECT_EQ(server.messageFiles().size(), 16);

    // The journal: every reminder with what it listed and what the server answered, newest first.
    const test::CliResult history =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history"),
                      QStringLiteral("--address"), QStringLiteral("BELOHRADSKY@seznam.cz"),
                      QStringLiteral("--since"), QDate::currentDate().toString(Qt::ISODate)});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QStringList records = outLines(history);
    ASSERT_EQ(records.size(), 2);
    const QJsonObject newest = QJsonDocument::fromJson(records[0].toUtf8()).object();
    const QJsonObject oldest = QJsonDocument::fromJson(records[1].toUtf8()).object();
    EXPECT_GT(newest.value(QStringLiteral("id")).toInteger(), oldest.value(QStringLiteral("id")).toInteger());
    EXPECT_NE(newest.value(QStringLiteral("runId")), oldest.value(QStringLiteral("runId")));
    EXPECT_EQ(newest.value(QStringLiteral("result")).toString(), QStringLiteral("accepted"));
    EXPECT_EQ(newest.value(QStringLiteral("route")).toString(), QStringLiteral("smtp"));
    EXPECT_EQ(newest.value(QStringLiteral("test")).toBool(), false);
    EXPECT_EQ(newest.value(QStringLiteral("recipient")).toString(), QStringLiteral("belohradsky@seznam.cz"));
    EXPECT_TRUE(newest.value(QStringLiteral("reply")).toString().startsWith(QStringLiteral("250")))
        << newest.value(QStringLiteral("reply")).toString().toStdString();
    EXPECT_FALSE(newest.value(QStringLiteral("documents")).toArray().isEmpty());
    EXPECT_FALSE(newest.value(QStringLiteral("subject")).toString().isEmpty());
    // The Message-ID is the one of a message the server stored.
    const QString messageId = newest.value(QStringLiteral("messageId")).toString();
    ASSERT_FALSE(messageId.isEmpty());
    QByteArray received;
    int carrying = 0;
    for (const QString& file : server.messageFiles()) {
        QFile message(file);
        ASSERT_TRUE(message.open(QIODevice::ReadOnly));
        const QByteArray bytes = message.readAll();
        if (bytes.contains(messageId.toUtf8())) {
            received = bytes;
            ++carrying;
        }
    }
    EXPECT_EQ(carrying, 1);
    // The exact message, saved from the journal as evidence, is what the server received.
    const QString eml = dir.file(QStringLiteral("dukaz.eml"));
    const test::CliResult saved = test::runCli(
        {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history"), QStringLiteral("--eml"),
         QString::number(newest.value(QStringLiteral("id")).toInteger()), eml});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    EXPECT_EQ(test::fileBytes(eml), received);
}

// An export ten days old: the run asks first; No sends nothing, --yes sends.
TEST_F(CliBulkTest, anExportTenDaysOldAsksFirstAndNoSendsNothing) {
    RealSmtpServer server(authenticatingArguments());
    useServer(server);
    set(QStringLiteral("StaryExportDni"), QStringLiteral("3"));
    const QString asOf = QDate::currentDate().addDays(-10).toString(QStringLiteral("d.M.yyyy"));
    QByteArray old = test::fileBytes(test::demoExportPath());
    old.replace("TITUL;RADEK;10.12.2026;", "TITUL;RADEK;" + asOf.toLatin1() + ';');
    dir.write(QStringLiteral("stary.csv"), old);
    const QString question = QStringLiteral("confirmation: Export je ke dni ") + asOf +
                             QStringLiteral(
                                 ", je tedy 10 dní starý. Doklady zaplacené po dni exportu by byly "
                                 "upomínány, jako by zaplaceny nebyly. Chcete přesto pokračovat v "
                                 "odesílání?\n");

    const test::CliResult no = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("bulk"),
                                             dir.file(QStringLiteral("stary.csv"))});
    EXPECT_EQ(no.exitCode, 3) << no.err.toStdString();
    EXPECT_TRUE(no.err.endsWith(question)) << no.err.toStdString();
    EXPECT_TRUE(server.messageFiles().empty());

    const test::CliResult yes =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("--yes"),
                      QStringLiteral("bulk"), dir.file(QStringLiteral("stary.csv"))});
    ASSERT_EQ(yes.exitCode, 0) << yes.err.toStdString();
    EXPECT_EQ(yes.err, question);
    EXPECT_EQ(server.messageFiles().size(), 8);
}

// SIGTERM during a run: the reminder with the server is concluded, then the run ends with its totals.
TEST_F(CliBulkTest, sigtermStopsTheRunAfterTheReminderInFlight) {
    RealSmtpServer server(
        authenticatingArguments({QStringLiteral("--reply-delay-ms"), QStringLiteral("150")}));
    useServer(server);
    test::ChildProcess run({.program = QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"),
                            .arguments = {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("bulk"),
                                          test::demoExportPath()}});
    ASSERT_TRUE(run.started());
    QElapsedTimer waited;
    waited.start();
    while (server.messageFiles().isEmpty() && waited.elapsed() < 60000) {
        QThread::msleep(20);
    }
    run.terminate();
    const test::ProcessResult result = run.finish();

    ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    const QStringList lines = QString::fromUtf8(result.out).split(u'\n');
    const int sent = int(server.messageFiles().size());
    EXPECT_LT(sent, 8);
    EXPECT_TRUE(lines.contains(QStringLiteral("Hromadný e-mailing zastavil uživatel.")));
    EXPECT_TRUE(lines.contains(QStringLiteral("Vygenerovaných e-mailů celkem: %1").arg(sent)));
    EXPECT_EQ(lines.last(), QString());
    EXPECT_EQ(lines[lines.size() - 2], QStringLiteral("Dokončeno"));
    // Each message the server took has its accepted record, and there is no other.
    const test::CliResult history =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history")});
    EXPECT_EQ(outLines(history).size(), sent);
    EXPECT_EQ(outLines(history).filter(QStringLiteral("\"result\":\"accepted\"")).size(), sent);
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
    // The server's reply ends the failure's message and its protocol line; the totals count it.
    EXPECT_TRUE(
        no.err.contains(QStringLiteral("error: Odeslání e-mailu na adresu uctarna@alfastavby.cz se "
                                       "nezdařilo (adresa příjemce): 550")))
        << no.err.toStdString();
    const QStringList failed = outLines(no).filter(QStringLiteral("... došlo k chybě: 550"));
    ASSERT_EQ(failed.size(), 1) << no.out.toStdString();
    EXPECT_TRUE(outLines(no).contains(QStringLiteral("Chybou neodeslaných e-mailů celkem: 1")));

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
                 QStringLiteral("[--count N] [--resend] [--level N]")},
        StopCase{"count_that_is_no_number",
                 {QStringLiteral("--test"), QStringLiteral("a@b.cz"), QStringLiteral("--count"),
                  QStringLiteral("x")},
                 QStringLiteral("127.0.0.1"),
                 2,
                 QStringLiteral("[--count N] [--resend] [--level N]")}),
    test::CaseName());

}  // namespace

namespace {

// After a bulk run the debtors reminded today have no level due; "--level" forces one, and only a
// level in use is accepted.
TEST_F(CliBulkTest, levelsPrintsEachDebtorsLevelAndTheRunRecordsIt) {
    RealSmtpServer server(authenticatingArguments());
    useServer(server);
    const auto levels = [&] {
        auto result = test::runCli(
            {QStringLiteral("--app-dir"), dir.path(), QStringLiteral("levels"), test::demoExportPath()});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        std::map<QString, QJsonObject> byAddress;
        for (const QString& line : outLines(result)) {
            // The keys in the order the contract gives.
            EXPECT_TRUE(line.startsWith(QStringLiteral("{\"debtor\":"))) << line.toStdString();
            EXPECT_TRUE(line.contains(QStringLiteral("\"next_possible\":"))) << line.toStdString();
            const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
            EXPECT_EQ(object.keys(),
                      (QStringList{QStringLiteral("address"), QStringLiteral("debtor"),
                                   QStringLiteral("level"), QStringLiteral("name"),
                                   QStringLiteral("next_possible"), QStringLiteral("reason")}));
            byAddress[object.value(QStringLiteral("address")).toString()] = object;
        }
        EXPECT_EQ(byAddress.size(), 9u);  // eight addresses and the debtors without one
        return byAddress.at(QStringLiteral("belohradsky@seznam.cz"));
    };
    const QJsonObject before = levels();
    EXPECT_EQ(before.value(QStringLiteral("level")).toInt(), 1);
    EXPECT_EQ(before.value(QStringLiteral("name")).toString(), QStringLiteral("1. upomínka"));
    EXPECT_TRUE(before.value(QStringLiteral("next_possible")).isNull());
    EXPECT_EQ(before.value(QStringLiteral("reason")).toString(), QStringLiteral("dosud neupomínán"));

    EXPECT_EQ(bulk({}, true).exitCode, 0);
    const QJsonObject after = levels();
    EXPECT_TRUE(after.value(QStringLiteral("level")).isNull());
    EXPECT_TRUE(after.value(QStringLiteral("name")).isNull());
    EXPECT_EQ(after.value(QStringLiteral("next_possible")).toString(),
              QDate::currentDate().addDays(14).toString(Qt::ISODate));

    EXPECT_EQ(bulk({QStringLiteral("--level"), QStringLiteral("4")}).exitCode, 2);
    const auto forced = bulk({QStringLiteral("--resend"), QStringLiteral("--level"), QStringLiteral("3")});
    EXPECT_EQ(forced.exitCode, 0) << forced.err.toStdString();
    EXPECT_TRUE(
        outLines(forced).contains(QStringLiteral("Odesílání e-mailu na Bělohradský a syn; stavební firma "
                                                 "(belohradsky@seznam.cz) - Předžalobní výzva")));
    // The journal keeps the level that was sent.
    const test::CliResult history =
        test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history"),
                      QStringLiteral("--address"), QStringLiteral("belohradsky@seznam.cz")});
    ASSERT_EQ(history.exitCode, 0) << history.err.toStdString();
    const QJsonObject newest = QJsonDocument::fromJson(outLines(history).value(0).toUtf8()).object();
    EXPECT_EQ(newest.value(QStringLiteral("level")).toInt(), 3);
    EXPECT_EQ(newest.value(QStringLiteral("result")).toString(), QStringLiteral("accepted"));
}

}  // namespace
