// A power loss can keep a rename but lose the data written before it, or lose the rename itself: each
// file the program replaces whole must reach the disk before its rename, and the rename after it.
// strace shows the order of the program's own system calls, with the path behind each descriptor; the
// writers that only the windows reach run in file_writer.
// Likewise a reminder's journal record must be on the disk before the reminder's end mark goes out.
#include "ProgramFolder.h"

#include "state/StateTestSupport.h"
#include "support/RealSmtpServer.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

const QStringList kReplacingCalls{QStringLiteral("-e"),
                                  QStringLiteral("trace=fsync,fdatasync,rename,renameat,renameat2")};

// The traced calls of `command` (the program, then its arguments), of all its threads, traced with
// `options`: one call a line (a call another thread's interrupted is on two lines, the first one
// "<unfinished ...>", the second "<... name resumed>"), descriptors as paths.
QStringList tracedCommand(const QStringList& command, const QStringList& options = kReplacingCalls) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       QStringLiteral("detect_leaks=0"));  // no leak check under ptrace
    const test::ProcessResult traced = test::runProcess(
        {.program = QStringLiteral("strace"),
         .arguments = QStringList{QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-y")} +
                      options + command,
         .environment = environment});
    EXPECT_EQ(traced.exitCode, 0) << traced.err.toStdString();
    QStringList calls = QString::fromUtf8(traced.err).split(u'\n');
    calls.removeIf([](const QString& line) {
        return !line.contains(QStringLiteral(") = ")) && !line.contains(QStringLiteral("<unfinished ...>"));
    });
    return calls;
}

QStringList cli(const QString& appDir, const QStringList& args) {
    return QStringList{QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"), QStringLiteral("--app-dir"), appDir} +
           args;
}

// The traced calls of tervalo-cli run with `args` in `appDir`.
QStringList tracedCalls(const QString& appDir, const QStringList& args,
                        const QStringList& options = kReplacingCalls) {
    return tracedCommand(cli(appDir, args), options);
}

// The calls replacing `target`: flush of the temporary file, rename over the name, flush of the
// folder, in this order and succeeding.
void expectReplacedDurably(const QStringList& calls, const QString& target) {
    const QString folder = QFileInfo(target).absolutePath();
    const QRegularExpression flushTemporary(QStringLiteral(".*f(data)?sync\\(\\d+<%1\\.tmp-[^>]*>\\) = 0.*")
                                                .arg(QRegularExpression::escape(target)));
    const QRegularExpression rename(
        QStringLiteral(".*rename(at2?)?\\(.*\"%1\\.tmp-[^\"]*\".*\"%1\".*\\) = 0.*")
            .arg(QRegularExpression::escape(target)));
    const QRegularExpression flushFolder(
        QStringLiteral(".*fsync\\(\\d+<%1>\\) = 0.*").arg(QRegularExpression::escape(folder)));
    const qsizetype renamed = calls.indexOf(rename);
    ASSERT_GE(renamed, 0) << target.toStdString() << " not renamed into place:\n"
                          << calls.join(u'\n').toStdString();
    const qsizetype flushed = calls.lastIndexOf(flushTemporary, renamed);
    EXPECT_GE(flushed, 0) << target.toStdString() << " renamed before it reached the disk";
    EXPECT_GT(calls.indexOf(flushFolder, renamed), renamed)
        << "the rename of " << target.toStdString() << " not flushed";
}

// A writer of whole files: what it needs in a program folder with the demo definition file, the
// command that runs it there, and the files (below the folder) it writes.
struct WholeFileWriter {
    const char* name;
    std::function<QStringList(const test::TempAppDir&)> prepare;
    QStringList files;
};

void PrintTo(const WholeFileWriter& writer, std::ostream* out) {
    *out << writer.name;
}

class PowerLossOfAWrite : public ::testing::TestWithParam<WholeFileWriter> {};

TEST_P(PowerLossOfAWrite, eachWrittenFileReachesTheDiskBeforeAndAfterItsRename) {
    test::TempAppDir dir;
    test::writeDemoDefFile(dir);
    const QStringList calls = tracedCommand(GetParam().prepare(dir));
    for (const QString& file : GetParam().files) {
        expectReplacedDurably(calls, dir.file(file));
    }
}

INSTANTIATE_TEST_SUITE_P(
    WholeFileWriters, PowerLossOfAWrite,
    ::testing::Values(
        WholeFileWriter{
            "settingsFiles",
            [](const test::TempAppDir& dir) {
                return cli(dir.path(), {QStringLiteral("settings"), QStringLiteral("set"),
                                        QStringLiteral("SMTPHost"), QStringLiteral("smtp.firma.cz")});
            },
            {QStringLiteral("Vorbel.ini"), QStringLiteral("rdata1.dti"), QStringLiteral("EText")}},
        WholeFileWriter{
            "newStateTables",
            [](const test::TempAppDir& dir) {
                return cli(dir.path(),
                           {QStringLiteral("state"), QStringLiteral("document"), QStringLiteral("FV1")});
            },
            {QStringLiteral("EArchiv.dbt"), QStringLiteral("EArchiv.mdx"), QStringLiteral("EArchiv.dat"),
             QStringLiteral("EDoklady.dbt"), QStringLiteral("EDoklady.mdx"), QStringLiteral("EDoklady.dat")}},
        WholeFileWriter{
            "upgradedDocumentTable",
            [](const test::TempAppDir& dir) {
                test::writeOldDocumentTable(dir.path(), test::oldDocumentRows(3));
                return cli(dir.path(),
                           {QStringLiteral("state"), QStringLiteral("document"), QStringLiteral("OLD1")});
            },
            {QStringLiteral("EDoklady.dbt"), QStringLiteral("EDoklady.mdx"), QStringLiteral("EDoklady.dat")}},
        WholeFileWriter{"exportedWorkbook",
                        [](const test::TempAppDir& dir) {
                            return cli(dir.path(), {QStringLiteral("export-xls"), test::demoExportPath(),
                                                    dir.file(QStringLiteral("Dluznici.xls")),
                                                    QStringLiteral("--template"),
                                                    QStringLiteral(TERVALO_APP_DIR "/TERVALO.XL")});
                        },
                        {QStringLiteral("Dluznici.xls")}},
        WholeFileWriter{"paymentImages",
                        [](const test::TempAppDir& dir) {
                            for (const auto& [field, value] :
                                 {std::pair{"QRPlatba", "1"}, {"QRUcet", "19-2000145399/0800"}}) {
                                EXPECT_EQ(
                                    test::cliIn(dir.path(),
                                                {QStringLiteral("settings"), QStringLiteral("set"),
                                                 QString::fromLatin1(field), QString::fromLatin1(value)})
                                        .exitCode,
                                    0);
                            }
                            return cli(dir.path(), {QStringLiteral("qr"), test::demoExportPath(),
                                                    QStringLiteral("--debtor"), QStringLiteral("1"),
                                                    QStringLiteral("--png-dir"), dir.path()});
                        },
                        {QStringLiteral("qr-platba.png")}},
        WholeFileWriter{"savedProtocol",
                        [](const test::TempAppDir& dir) {
                            return QStringList{QStringLiteral(FILE_WRITER), QStringLiteral("protocol"),
                                               dir.file(QStringLiteral("Protokol.txt"))};
                        },
                        {QStringLiteral("Protokol.txt")}},
        WholeFileWriter{"helpCopy",
                        [](const test::TempAppDir& dir) {
                            dir.write(QStringLiteral("Napoveda2.chm"), "help");
                            return QStringList{QStringLiteral(FILE_WRITER), QStringLiteral("help"),
                                               dir.file(QStringLiteral("Napoveda2.chm")),
                                               dir.file(QStringLiteral("Tervalo.chm"))};
                        },
                        {QStringLiteral("Tervalo.chm")}}),
    [](const ::testing::TestParamInfo<WholeFileWriter>& writer) { return std::string(writer.param.name); });

// A system call of a trace taken with -ttt -T: from when to when it ran, and its text with the
// arguments and the result.
struct TimedCall {
    double start = 0;
    double end = 0;
    QString text;
};

// The calls of `lines` (strace -f -ttt -T), the halves of an interrupted call joined, in the order
// they started.
std::vector<TimedCall> timedCalls(const QStringList& lines) {
    static const QRegularExpression line(QStringLiteral("^(?:\\[pid +(\\d+)\\] )?(\\d+\\.\\d+) (.*)$"));
    static const QRegularExpression resumed(QStringLiteral("^<\\.\\.\\. \\w+ resumed>(.*)$"));
    static const QRegularExpression duration(QStringLiteral("<(\\d+\\.\\d+)>$"));
    std::map<QString, TimedCall> interrupted;  // by thread
    std::vector<TimedCall> calls;
    for (const QString& text : lines) {
        const QRegularExpressionMatch match = line.match(text);
        if (!match.hasMatch()) {
            continue;
        }
        const QString thread = match.captured(1);
        TimedCall call{match.captured(2).toDouble(), 0, match.captured(3)};
        if (call.text.endsWith(QStringLiteral("<unfinished ...>"))) {
            call.text.chop(int(QStringLiteral("<unfinished ...>").size()));
            interrupted[thread] = call;
            continue;
        }
        if (const QRegularExpressionMatch second = resumed.match(call.text); second.hasMatch()) {
            const auto first = interrupted.find(thread);
            if (first == interrupted.end()) {
                continue;
            }
            call = {first->second.start, 0, first->second.text + second.captured(1)};
            interrupted.erase(first);
        }
        call.end = call.start + duration.match(call.text).captured(1).toDouble();
        calls.push_back(call);
    }
    std::sort(calls.begin(), calls.end(),
              [](const TimedCall& a, const TimedCall& b) { return a.start < b.start; });
    return calls;
}

TEST(PowerLoss, aRemindersJournalRecordReachesTheDiskBeforeItsEndMarkGoesOut) {
    transport::testing::RealSmtpServer server({QStringLiteral("--lifetime"), QStringLiteral("600")});
    ASSERT_TRUE(server.isRunning());
    test::TempAppDir dir;
    test::prepareSmtpFolder(dir, server.port(), QStringLiteral("deník@horak.cz"));
    dir.write(QStringLiteral("Pohledavky.csv"), test::reliabilityExport(8));
    const std::vector<TimedCall> calls = timedCalls(tracedCalls(
        dir.path(),
        {QStringLiteral("--yes"), QStringLiteral("bulk"), dir.file(QStringLiteral("Pohledavky.csv"))},
        {QStringLiteral("-ttt"), QStringLiteral("-T"), QStringLiteral("-s"), QStringLiteral("70000"),
         QStringLiteral("-e"), QStringLiteral("trace=pwrite64,write,fsync,fdatasync,sendto")}));

    const QString log = QRegularExpression::escape(dir.file(QStringLiteral("Upominky.db-wal")));
    const QRegularExpression logWrite(QStringLiteral("^p?write(64)?\\(\\d+<%1>.*\\) = [1-9]").arg(log));
    const QRegularExpression logFlush(QStringLiteral("^f(data)?sync\\(\\d+<%1> ?\\) = 0 ").arg(log));
    // The last piece of a message's text, which carries the end mark.
    const QRegularExpression endMark(
        QStringLiteral("^sendto\\(\\d+<socket:.*\\\\r\\\\n\\.\\\\r\\\\n\", \\d+,"));
    int endMarks = 0;
    for (std::size_t i = 0; i < calls.size(); ++i) {
        if (!endMark.match(calls[i].text).hasMatch()) {
            continue;
        }
        ++endMarks;
        // The record is the last write to the log before it: a flush that started after that write
        // ended before the end mark left.
        double recorded = -1;
        for (std::size_t j = 0; j < i; ++j) {
            if (logWrite.match(calls[j].text).hasMatch() && calls[j].end <= calls[i].start) {
                recorded = std::max(recorded, calls[j].end);
            }
        }
        ASSERT_GE(recorded, 0) << "end mark " << endMarks << " without a record";
        const bool flushed = std::any_of(calls.begin(), calls.end(), [&](const TimedCall& call) {
            return call.start >= recorded && call.end <= calls[i].start &&
                   logFlush.match(call.text).hasMatch();
        });
        EXPECT_TRUE(flushed) << "end mark " << endMarks << " went out before its record reached the disk";
    }
    EXPECT_EQ(endMarks, server.messageFiles().size());
    EXPECT_GT(endMarks, 1);
}

}  // namespace
