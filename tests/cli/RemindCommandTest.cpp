#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/RealSmtpServer.h"

#include <QtCore/qtestsupport_core.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

using namespace tervalo;

namespace {

const QString kOffer = QStringLiteral(
    "confirmation: Tato firma (její e-mailová adresa) byla vyřazena z e-mailingu (nebo byly z e-mailingu "
    "vyřazeny všechny doklady u ní uvedené) Chcete nabídnout prázdný e-mail k odeslání ?\n");
// The question that follows a compose window; a plain mailto client takes no attachment, so the
// user is told where the archive lies.
QString sentQuestion(const QString& address, const QString& attachment = {}) {
    QString text = QStringLiteral("confirmation: E-mail na adresu ") + address +
                   QStringLiteral(" byl předán e-mailovému klientovi.");
    if (!attachment.isEmpty()) {
        text += QStringLiteral(" Tento klient neumí převzít přílohu, připojte ji v něm ručně: ") +
                attachment + QLatin1Char('.');
    }
    return text + QStringLiteral(" Odeslali jste ho? (Ano – odeslán, Ne – neodeslán)\n");
}

// The desktop's mailto handler for the commands run from the test: a script that records what it
// was started with. Only this client is registered, and it is the default as a fresh desktop has it.
class DesktopMailClient {
public:
    DesktopMailClient() {
        const QString data = m_dir.path() + QStringLiteral("/data");
        const QString config = m_dir.path() + QStringLiteral("/config");
        QDir().mkpath(data + QStringLiteral("/applications"));
        QDir().mkpath(config);
        write(m_dir.path() + QStringLiteral("/posta"),
              "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + QFile::encodeName(started()) + "'\n");
        QFile::setPermissions(m_dir.path() + QStringLiteral("/posta"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        write(data + QStringLiteral("/applications/posta.desktop"),
              "[Desktop Entry]\nType=Application\nName=Posta\nExec=" +
                  QFile::encodeName(m_dir.path() + QStringLiteral("/posta")) +
                  " %u\nMimeType=x-scheme-handler/mailto;\n");
        // As on a fresh desktop: no mimeapps.list, only the database of desktop files names it.
        write(data + QStringLiteral("/applications/mimeinfo.cache"),
              "[MIME Cache]\nx-scheme-handler/mailto=posta.desktop;\n");
        for (const auto& [name, value] :
             {std::pair{"XDG_DATA_HOME", data}, std::pair{"XDG_CONFIG_HOME", config},
              std::pair{"XDG_DATA_DIRS", m_dir.path() + QStringLiteral("/none")},
              std::pair{"XDG_CONFIG_DIRS", m_dir.path() + QStringLiteral("/none")}}) {
            m_saved.emplace_back(name, qgetenv(name));
            qputenv(name, QFile::encodeName(value));
        }
    }
    ~DesktopMailClient() {
        for (const auto& [name, value] : m_saved) {
            qputenv(name, value);
        }
    }
    // The file the client appends its arguments to, one a line, each time it is started.
    QString started() const { return m_dir.path() + QStringLiteral("/started"); }
    // What it was last started with, once it has written it (it runs detached).
    QStringList startedWith() const {
        if (!QTest::qWaitFor([this] { return QFile::exists(started()); }, 10000)) {
            ADD_FAILURE() << "the mail client was not started";
            return {};
        }
        QFile file(started());
        file.open(QIODevice::ReadOnly);
        const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        file.remove();
        return lines;
    }
    QString entry() const { return m_dir.path() + QStringLiteral("/data/applications/posta.desktop"); }
    // Makes the client one that keeps running, as a mail client that was not running does: it
    // writes its process id to pidFile() and then sleeps.
    void keepRunningAfterStart() const {
        const QByteArray pid = QFile::encodeName(pidFile());
        write(m_dir.path() + QStringLiteral("/posta"), "#!/bin/sh\necho $$ > '" + pid + ".tmp' && mv '" +
                                                           pid + ".tmp' '" + pid + "'\nexec sleep 300\n");
    }
    QString pidFile() const { return m_dir.path() + QStringLiteral("/posta.pid"); }

private:
    static void write(const QString& path, const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }

    test::TempAppDir m_dir;
    std::vector<std::pair<const char*, QByteArray>> m_saved;
};

class RemindCommandTest : public ::testing::Test {
protected:
    RemindCommandTest() {
        test::writeDemoDefFile(dir);
        // The demo export is of a fixed day: its age is no concern of these tests.
        cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("StaryExportDni"),
             QStringLiteral("0")});
    }

    test::CliResult remind(int debtor, bool yes = false, const QString& exportPath = test::demoExportPath(),
                           const QStringList& more = {}) {
        QStringList args{QStringLiteral("--app-dir"), dir.path()};
        if (yes) {
            args << QStringLiteral("--yes");
        }
        return test::runCli(args +
                            QStringList{QStringLiteral("remind"), exportPath, QStringLiteral("--debtor"),
                                        QString::number(debtor)} +
                            more);
    }
    void cli(const QStringList& args) {
        const auto result = test::runCli(QStringList{QStringLiteral("--app-dir"), dir.path()} + args);
        ASSERT_EQ(result.exitCode, 0) << result.err.toStdString();
    }
    QJsonValue lastSend(const QString& address) {
        const auto result = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("state"),
                                          QStringLiteral("address"), address});
        return QJsonDocument::fromJson(result.out.toUtf8()).object().value(QStringLiteral("LASTSEND"));
    }
    static QJsonObject printed(int debtor, const QString& address, const QJsonValue& result) {
        return {{QStringLiteral("debtor"), debtor},
                {QStringLiteral("address"), address},
                {QStringLiteral("result"), result}};
    }
    static QJsonObject json(const test::CliResult& result) {
        return QJsonDocument::fromJson(result.out.toUtf8()).object();
    }

    test::TempAppDir dir;
    DesktopMailClient mailClient;
};

TEST_F(RemindCommandTest, anOldExportAsksBeforeTheMailClientAndNoEndsTheCommand) {
    cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("StaryExportDni"),
         QStringLiteral("3")});
    const QString asOf = QDate::currentDate().addDays(-10).toString(QStringLiteral("d.M.yyyy"));
    QByteArray old = test::fileBytes(test::demoExportPath());
    old.replace("TITUL;RADEK;10.12.2026;", "TITUL;RADEK;" + asOf.toLatin1() + ';');
    dir.write(QStringLiteral("stary.csv"), old);
    const auto result = remind(7, false, dir.file(QStringLiteral("stary.csv")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(json(result).value(QStringLiteral("result")), QJsonValue());
    EXPECT_EQ(result.err,
              QStringLiteral("confirmation: Export je ke dni ") + asOf +
                  QStringLiteral(", je tedy 10 dní starý. Doklady zaplacené po dni exportu by byly "
                                 "upomínány, jako by zaplaceny nebyly. Chcete přesto pokračovat v "
                                 "odesílání?\n"));
    EXPECT_FALSE(QFile::exists(mailClient.started()));
}

TEST_F(RemindCommandTest, endsBeforeTheMailClientAsTheWindowDoes) {
    struct Case {
        const char* name;
        int debtor;
        QString address;
        QString err;
    };
    const Case cases[] = {
        {"catch_all_group", 12, QString(),
         QStringLiteral(
             "information: Ve skupině Ostatní jsou všechny doklady, u nichž nebyl odběratel vybraný z "
             "adresáře firem. Tato skupina může obsahovat doklady více firem, nelze jí proto přiřadit "
             "jednu e-mailovou adresu. Chcete-li doklady správně zařadit, musíte v Ekvan každý doklad "
             "otevřít a vybrat odběratele řádně z adresáře.\n")},
        // The address dialog is cancelled: nothing follows the information.
        {"no_address", 6, QString(),
         QStringLiteral("information: U této firmy není uvedena e-mailová adresa. Pokud ji znáte, doplňte ji "
                        "příště do adresáře v Ekvan.\n")},
    };
    for (const Case& c : cases) {
        const auto result = remind(c.debtor);
        EXPECT_EQ(result.exitCode, 0) << c.name;
        EXPECT_EQ(json(result), printed(c.debtor, c.address, QJsonValue())) << c.name;
        EXPECT_EQ(result.err, c.err) << c.name;
    }
    EXPECT_FALSE(QFile::exists(mailClient.started()));
}

TEST_F(RemindCommandTest, anExcludedDebtorIsOfferedTheEmptyMessageOnlyWithYes) {
    const QString address = QStringLiteral("rehor@gastro-rehor.cz");
    cli({QStringLiteral("state"), QStringLiteral("address"), address, QStringLiteral("--export"),
         QStringLiteral("0")});
    const auto declined = remind(7);
    EXPECT_EQ(declined.exitCode, 0);
    EXPECT_EQ(json(declined), printed(7, address, QJsonValue()));
    EXPECT_EQ(declined.err, kOffer);
    EXPECT_FALSE(QFile::exists(mailClient.started()));

    // Accepted, the empty message opens in the mail client; even sent, nothing is recorded for it.
    const auto accepted = remind(7, true);
    EXPECT_EQ(accepted.exitCode, 0);
    EXPECT_EQ(json(accepted), printed(7, address, 0));
    EXPECT_EQ(accepted.err, kOffer + sentQuestion(address));
    EXPECT_EQ(mailClient.startedWith(), QStringList{QStringLiteral("mailto:rehor@gastro-rehor.cz")});
    EXPECT_EQ(lastSend(address), QJsonValue());
}

TEST_F(RemindCommandTest, theReminderOpensInTheMailClientAndIsRecordedOnlyWhenSent) {
    const QString address = QStringLiteral("rehor@gastro-rehor.cz");
    const auto notSent = remind(7);
    EXPECT_EQ(notSent.exitCode, 0);
    EXPECT_EQ(json(notSent), printed(7, address, -2));
    EXPECT_EQ(notSent.err, sentQuestion(address, dir.file(QStringLiteral("Temp/7/Doklady.zip"))));
    EXPECT_EQ(lastSend(address), QJsonValue());
    const QStringList started = mailClient.startedWith();
    ASSERT_EQ(started.size(), 1);
    EXPECT_TRUE(started[0].startsWith(QStringLiteral("mailto:rehor@gastro-rehor.cz?subject=")))
        << started[0].toStdString();
    // The body is the settings' text with the debtor's variables filled in.
    EXPECT_TRUE(
        QUrl::fromPercentEncoding(started[0].toUtf8()).contains(QStringLiteral("Prijemce: Gastro Řehoř")))
        << started[0].toStdString();

    const auto sent = remind(7, true);
    EXPECT_EQ(json(sent), printed(7, address, 0));
    EXPECT_EQ(lastSend(address), QDate::currentDate().toString(Qt::ISODate));

    // What was handed to the client is kept: saved from the journal, a mail reader opens it.
    const auto history = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history")});
    const QJsonObject newest =
        QJsonDocument::fromJson(history.out.section(QLatin1Char('\n'), 0, 0).toUtf8()).object();
    ASSERT_EQ(newest.value(QStringLiteral("result")).toString(), QStringLiteral("accepted"));
    EXPECT_TRUE(newest.value(QStringLiteral("messageKept")).toBool());
    const QString eml = dir.file(QStringLiteral("dukaz.eml"));
    const auto saved = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history"),
                                     QStringLiteral("--eml"),
                                     QString::number(newest.value(QStringLiteral("id")).toInteger()), eml});
    ASSERT_EQ(saved.exitCode, 0) << saved.err.toStdString();
    const QJsonObject message = transport::testing::summarizeMessage(eml);
    EXPECT_EQ(message.value(QStringLiteral("defects")).toArray(), QJsonArray());
    EXPECT_EQ(message.value(QStringLiteral("to")).toString(), address);
    EXPECT_TRUE(message.value(QStringLiteral("parts"))
                    .toArray()
                    .first()
                    .toObject()
                    .value(QStringLiteral("text"))
                    .toString()
                    .contains(QStringLiteral("Prijemce: Gastro Řehoř")))
        << message.value(QStringLiteral("parts"))
               .toArray()
               .first()
               .toObject()
               .value(QStringLiteral("text"))
               .toString()
               .toStdString();

    // A record with no message kept fails with a message that says so.
    const auto missing = test::runCli({QStringLiteral("--app-dir"), dir.path(), QStringLiteral("history"),
                                       QStringLiteral("--eml"), QStringLiteral("999"), eml});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(
        missing.err.contains(QStringLiteral("U záznamu 999 deníku odeslaných upomínek není zpráva uložena")))
        << missing.err.toStdString();
}

TEST_F(RemindCommandTest, anErrorOfTheMailClientInterfaceIsReportedAndNothingRecorded) {
    // No desktop mail client: the reminder fails before anything is started.
    ASSERT_TRUE(QFile::remove(mailClient.entry()));
    const auto result = remind(7, true);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(json(result), printed(7, QStringLiteral("rehor@gastro-rehor.cz"), QJsonValue()));
    EXPECT_EQ(result.err,
              QStringLiteral("error: Není nainstalován žádný e-mailový klient, který by zprávu zobrazil "
                             "k odeslání. Nainstalujte e-mailový klient (např. Thunderbird) a nastavte "
                             "ho jako výchozí pro e-mail, nebo zvolte v nastavení odesílání pomocí SMTP "
                             "serveru.\n"));
    // The document list was built for the reminder before the mail client failed.
    EXPECT_TRUE(QFile::exists(dir.file(QStringLiteral("Temp/7/Doklady.zip"))));
    EXPECT_EQ(lastSend(QStringLiteral("rehor@gastro-rehor.cz")), QJsonValue());
    EXPECT_FALSE(QFile::exists(mailClient.started()));
}

TEST_F(RemindCommandTest, anExportWithoutTheDocumentListSendsNothing) {
    QFile demo(test::demoExportPath());
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray withoutDocuments;
    for (const QByteArray& line : demo.readAll().split('\n')) {
        if (!line.startsWith("FAKTURA;") && !line.startsWith("DOBROPIS;")) {
            withoutDocuments += line + '\n';
        }
    }
    dir.write(QStringLiteral("bez-dokladu.csv"), withoutDocuments);
    const auto result = remind(7, true, dir.file(QStringLiteral("bez-dokladu.csv")));
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(json(result), printed(7, QStringLiteral("rehor@gastro-rehor.cz"), QJsonValue()));
    // Once from the load, once from the command.
    const QString noDocuments = QStringLiteral(
        "information: Při exportu z Ekvan nebyla aktivní volba \"Tisknout i seznam dokladů\" - zasílání "
        "e-mailů "
        "dlužníkům proto není možné. Chcete-li plně využít všechny funkce doplňku, ukončete tento program a "
        "proveďte znovu export z Ekvan i s tiskem dokladů.\n");
    EXPECT_EQ(result.err, noDocuments + noDocuments);
}

TEST_F(RemindCommandTest, wrongUsageAndUnknownDebtor) {
    const QString usage = QStringLiteral(
        "error: usage: tervalo-cli [--app-dir DIR] remind EXPORT --debtor ID [--smtp] [--level N]\n");
    for (const QStringList& args :
         {QStringList{QStringLiteral("remind"), test::demoExportPath()},
          QStringList{QStringLiteral("remind"), test::demoExportPath(), QStringLiteral("--debtor"),
                      QStringLiteral("7"), QStringLiteral("--to"), QStringLiteral("x@y.cz")}}) {
        const auto result = test::runCli(QStringList{QStringLiteral("--app-dir"), dir.path()} + args);
        EXPECT_EQ(result.exitCode, 2) << args.join(u' ').toStdString();
        EXPECT_EQ(result.err, usage);
        EXPECT_TRUE(result.out.isEmpty());
    }
    const auto unknown = remind(99);
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.err, QStringLiteral("error: Odběratel s ID 99 v exportu není.\n"));
    EXPECT_TRUE(unknown.out.isEmpty());
}

// Everything a started program reads to its end: the CLI's output, error output and descriptor 3.
// Each ends when no process holds its writing end any more.
QList<QByteArray> readToEnd(const std::array<int, 3>& fds) {
    QList<QByteArray> read(3);
    std::array<pollfd, 3> polled{};
    for (size_t i = 0; i < fds.size(); ++i) {
        polled[i] = {fds[i], POLLIN, 0};
    }
    QElapsedTimer waited;
    waited.start();
    int open = 3;
    // A bound for a program that hangs: far beyond the few seconds the command takes.
    while (open > 0 && waited.elapsed() < 60000) {
        if (::poll(polled.data(), polled.size(), 1000) <= 0) {
            continue;
        }
        for (size_t i = 0; i < polled.size(); ++i) {
            if (polled[i].fd < 0 || polled[i].revents == 0) {
                continue;
            }
            char buffer[4096];
            const ssize_t got = ::read(polled[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                read[int(i)].append(buffer, got);
            } else if (got == 0 || errno != EINTR) {
                polled[i].fd = -1;
                --open;
            }
        }
    }
    EXPECT_EQ(open, 0) << "a caller reading to the end still waits";
    return read;
}

QStringList descriptorsOf(pid_t pid) {
    QStringList entries;
    QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::NoDotAndDotDot | QDir::AllEntries, QDir::Name)) {
        entries << fd + QStringLiteral(" -> ") + QFile::symLinkTarget(fds.filePath(fd));
    }
    return entries;
}

// out=$(tervalo-cli --yes remind ...) returns once the client runs: the client holds none of the
// CLI's descriptors, not even one the CLI inherited from its caller.
TEST_F(RemindCommandTest, aCallerReadingTheOutputToItsEndDoesNotWaitForTheMailClient) {
    mailClient.keepRunningAfterStart();
    std::array<int[2], 4> pipes{};  // standard input, output, error, descriptor 3
    for (auto& p : pipes) {
        ASSERT_EQ(::pipe2(p, O_CLOEXEC), 0);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipes[0][0], 0);
    for (int fd = 1; fd <= 3; ++fd) {
        posix_spawn_file_actions_adddup2(&actions, pipes[size_t(fd)][1], fd);
    }
    const QByteArray program = QByteArrayLiteral(TERVALO_APP_DIR "/tervalo-cli");
    QList<QByteArray> texts{program,
                            QByteArrayLiteral("--app-dir"),
                            QFile::encodeName(dir.path()),
                            QByteArrayLiteral("--yes"),
                            QByteArrayLiteral("remind"),
                            QFile::encodeName(test::demoExportPath()),
                            QByteArrayLiteral("--debtor"),
                            QByteArrayLiteral("7")};
    std::vector<char*> argv;
    for (QByteArray& text : texts) {
        argv.push_back(text.data());
    }
    argv.push_back(nullptr);
    pid_t cli = -1;
    ASSERT_EQ(posix_spawn(&cli, program.constData(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipes[0][0]);
    for (size_t i = 1; i < pipes.size(); ++i) {
        ::close(pipes[i][1]);
    }

    const QList<QByteArray> read = readToEnd({pipes[1][0], pipes[2][0], pipes[3][0]});
    int status = 0;
    ASSERT_EQ(::waitpid(cli, &status, 0), cli);
    for (size_t i = 1; i < pipes.size(); ++i) {
        ::close(pipes[i][0]);
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << read[1].toStdString();
    EXPECT_EQ(QJsonDocument::fromJson(read[0]).object().value(QStringLiteral("result")), QJsonValue(0))
        << read[0].toStdString();

    ASSERT_TRUE(QTest::qWaitFor([this] { return QFile::exists(mailClient.pidFile()); }, 10000));
    QFile pidFile(mailClient.pidFile());
    ASSERT_TRUE(pidFile.open(QIODevice::ReadOnly));
    const pid_t client = pid_t(pidFile.readAll().trimmed().toInt());
    ASSERT_GT(client, 0);
    // Still running when the caller had everything.
    EXPECT_EQ(::kill(client, 0), 0);
    ASSERT_TRUE(QTest::qWaitFor(
        [client] {
            QFile comm(QStringLiteral("/proc/%1/comm").arg(client));
            return comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "sleep";
        },
        10000));
    EXPECT_EQ(descriptorsOf(client),
              (QStringList{QStringLiteral("0 -> /dev/null"), QStringLiteral("1 -> /dev/null"),
                           QStringLiteral("2 -> /dev/null")}));
    ::kill(client, SIGKILL);
    ::close(pipes[0][1]);
}

// --smtp: the reminder a bulk run would send, payment codes included, goes to the SMTP server
// without any window; only an accepted one is recorded.
TEST_F(RemindCommandTest, withSmtpTheBulkRunsMessageGoesToTheServerAtOnce) {
    using transport::testing::RealSmtpServer;
    const QString address = QStringLiteral("rehor@gastro-rehor.cz");
    RealSmtpServer server(QStringList{QStringLiteral("--refuse"), QStringLiteral("kopie@odmitnuta.cz")});
    ASSERT_TRUE(server.isRunning());
    for (const auto& [field, value] :
         {std::pair{QStringLiteral("SMTPHost"), QStringLiteral("127.0.0.1")},
          {QStringLiteral("SMTPPort"), QString::number(server.port())},
          {QStringLiteral("SMTPFromAddress"), QStringLiteral("upominky@horak.cz")},
          {QStringLiteral("SMTPFromName"), QStringLiteral("Horák")},
          {QStringLiteral("E_KopieEmailu"), QStringLiteral("kopie@odmitnuta.cz")},
          {QStringLiteral("QRPlatba"), QStringLiteral("1")},
          {QStringLiteral("QRUcet"), QStringLiteral("19-2000145399/0800")}}) {
        cli({QStringLiteral("settings"), QStringLiteral("set"), field, value});
    }
    const QStringList smtp{QStringLiteral("--smtp")};

    // The server refuses the copy address: nothing is recorded, the single reminder's errors follow.
    const auto refused = remind(7, false, test::demoExportPath(), smtp);
    EXPECT_EQ(refused.exitCode, 0);
    EXPECT_EQ(json(refused), printed(7, address, -2));
    EXPECT_TRUE(refused.err.endsWith(
        QStringLiteral("error: Odeslání e-mailu na adresu rehor@gastro-rehor.cz se nezdařilo (adresa "
                       "příjemce): 550 5.1.1 <kopie@odmitnuta.cz>: Recipient address rejected: User "
                       "unknown\n")))
        << refused.err.toStdString();
    EXPECT_EQ(lastSend(address), QJsonValue());
    EXPECT_TRUE(server.messageFiles().isEmpty());

    cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("E_KopieEmailu"),
         QStringLiteral("kopie@horak.cz")});
    const auto sent = remind(7, false, test::demoExportPath(), smtp);
    EXPECT_EQ(sent.exitCode, 0);
    EXPECT_EQ(json(sent), printed(7, address, 0));
    EXPECT_EQ(sent.err, QString());
    EXPECT_EQ(lastSend(address), QDate::currentDate().toString(Qt::ISODate));
    EXPECT_FALSE(QFile::exists(mailClient.started()));

    const QStringList files = server.messageFiles();
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(server.envelope(files[0]).value(QStringLiteral("rcpt_tos")).toArray(),
              (QJsonArray{address, QStringLiteral("kopie@horak.cz")}));
    const QJsonObject message = transport::testing::summarizeMessage(files[0]);
    EXPECT_EQ(message.value(QStringLiteral("defects")).toArray(), QJsonArray());
    EXPECT_EQ(message.value(QStringLiteral("to")).toString(), address);
    EXPECT_EQ(message.value(QStringLiteral("from")).toString(), QStringLiteral("Horák <upominky@horak.cz>"));
    QStringList parts;
    for (const QJsonValue& part : message.value(QStringLiteral("parts")).toArray()) {
        const QJsonObject p = part.toObject();
        parts.append(p.value(QStringLiteral("content_type")).toString() + QLatin1Char(' ') +
                     p.value(QStringLiteral("filename")).toString());
    }
    EXPECT_EQ(parts.first(), QStringLiteral("text/plain "));
    EXPECT_TRUE(parts.contains(QStringLiteral("image/png qr-platba.png"))) << parts.join(u'|').toStdString();
    EXPECT_EQ(parts.last(), QStringLiteral("application/zip Doklady.zip")) << parts.join(u'|').toStdString();
}

TEST_F(RemindCommandTest, anInvalidAddressInTheExportStopsBeforeAnythingStarts) {
    QFile demo(test::demoExportPath());
    ASSERT_TRUE(demo.open(QIODevice::ReadOnly));
    QByteArray bytes = demo.readAll();
    ASSERT_TRUE(bytes.contains("rehor@gastro-rehor.cz"));
    bytes.replace("rehor@gastro-rehor.cz", "recepce hotel-rehor");
    dir.write(QStringLiteral("neplatna.csv"), bytes);
    for (const QStringList& more : {QStringList(), QStringList{QStringLiteral("--smtp")}}) {
        const auto result = remind(7, true, dir.file(QStringLiteral("neplatna.csv")), more);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_EQ(json(result), printed(7, QStringLiteral("recepce hotel-rehor"), QJsonValue()));
        EXPECT_EQ(result.err,
                  QStringLiteral("warning: „recepce hotel-rehor“ není platná e-mailová adresa. Zadejte "
                                 "adresu ve tvaru jmeno@domena.cz, více adres oddělte čárkou nebo "
                                 "středníkem.\n"));
        EXPECT_FALSE(QDir(dir.file(QStringLiteral("Temp/7"))).exists());
    }
    EXPECT_FALSE(QFile::exists(mailClient.started()));
}

}  // namespace
