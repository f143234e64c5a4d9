// A bulk run by SMTP over a synthetic export of 1,000 debtors with about ten documents each, to a
// local SMTP server that accepts and discards, beside Python's smtplib sending the same rendered
// messages to the same server, once with a connection per message and once over one connection as
// the run itself sends them. Prints reminders per second, the time per reminder split into the
// document list with its archive (and the state record), MIME rendering and SMTP, and the resident
// memory early in the run, at its end, after a later run over the same debtors and at its peak, beside
// the memory the program keeps by design for each debtor reminded. The run hands each reminder to the
// server on a thread of its own while it makes the next debtor ready, so the parts overlap.
#include "ProcessMemory.h"
#include "SyntheticExport.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "cli/CliUserInterface.h"
#include "compose/SmtpReminder.h"
#include "defgen/DefFileBuilder.h"
#include "sending/BulkEmailingTexts.h"
#include "sending/RunBulkEmailing.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <cstdio>
#include <ctime>
#include <optional>
#include <stdexcept>

using namespace tervalo;
using tervalo::bench::processMemoryMb;

namespace {

constexpr int kDocumentRows = 10000;  // about ten a debtor
const QString kSource = QStringLiteral(TERVALO_SOURCE_DIR);

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        throw std::runtime_error("cannot write " + path.toStdString());
    }
}

// The definition file of the demo export, which the synthetic export follows.
QByteArray defFile() {
    QFile source(kSource + QStringLiteral("/data/uhterv.def.src"));
    if (!source.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read the definition source");
    }
    return tools::buildDefFile(tools::parseDefSource(QString::fromUtf8(source.readAll())));
}

// The test support's aiosmtpd server, storing nothing.
class DiscardingServer {
public:
    explicit DiscardingServer(const QString& scratch, const QStringList& more = {}) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(QStringLiteral(TERVALO_PYTHON),
                        QStringList{kSource + QStringLiteral("/tests/support/smtp_server.py"),
                                    QStringLiteral("--maildir"), scratch, QStringLiteral("--discard"),
                                    QStringLiteral("--lifetime"), QStringLiteral("900")} +
                            more);
        m_process.waitForStarted();
        while (!m_process.canReadLine() && m_process.waitForReadyRead(20000)) {
        }
        const QByteArray ready = m_process.readLine().trimmed();
        if (!ready.startsWith("READY ")) {
            throw std::runtime_error("the SMTP server did not start");
        }
        port = ready.mid(6).toInt();
    }
    ~DiscardingServer() {
        m_process.closeWriteChannel();
        m_process.waitForFinished(20000);
    }
    int port = 0;

private:
    QProcess m_process;
};

// The processor time of the calling thread so far.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double smtplibSeconds(const QString& folder, int port, const QStringList& mode = {}) {
    QProcess python;
    python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    python.start(QStringLiteral(TERVALO_PYTHON),
                 QStringList{kSource + QStringLiteral("/bench/transport/smtplib_send.py"), folder,
                             QStringLiteral("127.0.0.1"), QString::number(port)} +
                     mode);
    python.waitForFinished(900000);
    return python.readAllStandardOutput().trimmed().toDouble();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTemporaryDir work;
    const QString appDir = work.filePath(QStringLiteral("app")) + QLatin1Char('/');
    const QString rendered = work.filePath(QStringLiteral("rendered"));
    QDir().mkpath(appDir);
    QDir().mkpath(rendered);
    QDir().mkpath(work.filePath(QStringLiteral("mail")));
    writeFile(appDir + QStringLiteral("uhterv.def"), defFile());
    writeFile(appDir + QStringLiteral("export.csv"), bench::syntheticExport(kDocumentRows));

    cli::CliUserInterface ui(true);
    app::AppSession session(platform::SystemLocale{});
    if (app::StartUp(session, appDir, ui) == app::StartResult::Stop ||
        !app::LoadExport(session, appDir + QStringLiteral("export.csv"), ui)) {
        return 1;
    }
    DiscardingServer server(work.filePath(QStringLiteral("mail")));
    app::AppSettings& settings = session.settings;
    settings.DefaultSendMail = false;
    settings.SMTPHost = QStringLiteral("127.0.0.1");
    settings.SMTPPort = server.port;
    settings.SMTPFromAddress = QStringLiteral("upominky@dodavatel.cz");
    settings.SMTPFromName = QStringLiteral("Dodavatel, a.s.");
    settings.E_Predmet = QStringLiteral("Upomínka neuhrazených dokladů pro %ODBERATEL% ke dni %DATUM%");

    const int debtors = session.tables.mtFirmy.recordCount();
    sending::Protocol protocol;
    sending::BulkEmailingTexts view;
    compose::ReminderContext reminder{session.tables, settings, session.mtEmailKlient, session.locale, ui};
    sending::BulkEmailingContext context{reminder, *session.stateTables, session.TempDir, protocol, view};
    // Every reminder recorded, as the program does (--no-journal: none, for comparison); the later runs
    // of the same day stand for the monthly runs, so the question whether to send again to the debtors
    // reminded today is answered Yes.
    state::SendJournal journal(state::SendJournal::pathIn(appDir));
    if (!application.arguments().contains(QStringLiteral("--no-journal"))) {
        context.journal = &journal;
    }
    context.confirmResend = [](const QString&) { return true; };

    // The SMTP route's two halves, timed: rendering on the run's thread, transmission on the thread
    // the run hands it to. The first run's rendered messages are kept in memory for smtplib and written
    // out after the run; the memory figures leave them out.
    qint64 renderNs = 0;
    std::atomic<qint64> smtpNs = 0;
    std::atomic<int> sent = 0;
    bool keepTexts = true;
    QList<QByteArray> renderedTexts;
    qint64 messageBytes = 0;
    double earlyRssMb = 0;
    double earlyListsMb = 0;
    double earlyProtocolMb = 0;
    const auto keptMb = [&] { return double(messageBytes) / (1024 * 1024); };
    // What the program keeps by design for every debtor reminded: the debtor's document list in
    // TextNeuhrDokl for as long as the tables live, and the protocol's lines, which only grow. Both in
    // UTF-16, the protocol by its allocated capacity.
    const memtable::MemTable& firmy = session.tables.mtFirmy;
    const int listField = firmy.field(u"TextNeuhrDokl");
    const auto listsMb = [&] {
        qsizetype units = 0;
        for (int position = 0; position < firmy.recordCount(); ++position) {
            units += firmy.text(firmy.rowAt(position), listField).size();
        }
        return double(units) * 2 / (1024 * 1024);
    };
    const auto protocolMb = [&] { return double(protocol.text().capacity()) * 2 / (1024 * 1024); };
    context.renderSmtpReminder = [&](const compose::ReminderRequest& request, compose::ReminderContext& c) {
        QElapsedTimer clock;
        clock.start();
        auto message = compose::RenderSmtpReminder(request, c);
        renderNs += clock.nsecsElapsed();
        if (message && keepTexts) {
            renderedTexts.append(message->messageText());
            messageBytes += renderedTexts.back().size();
            if (renderedTexts.size() == debtors / 10) {
                earlyRssMb = processMemoryMb("VmRSS") - keptMb();
                earlyListsMb = listsMb();
                earlyProtocolMb = protocolMb();
            }
        }
        return message;
    };
    context.transmitSmtpReminder = [&](const transport::TMimeMess& message,
                                       const compose::ReminderRequest& request, transport::SmtpSender& smtp,
                                       const app::AppSettings& s, const std::function<bool()>& mayCommit) {
        // The wait for the go-ahead of a reminder handed over early is the run's, not the server's.
        qint64 heldNs = 0;
        const std::function<bool()> timedGoAhead = [&] {
            QElapsedTimer held;
            held.start();
            const bool go = mayCommit();
            heldNs += held.nsecsElapsed();
            return go;
        };
        QElapsedTimer clock;
        clock.start();
        transport::SmtpOutcome outcome =
            compose::TransmitSmtpReminder(message, request, smtp, s, mayCommit ? timedGoAhead : nullptr);
        smtpNs += clock.nsecsElapsed() - heldNs;
        sent += outcome.delivered ? 1 : 0;
        return outcome;
    };

    struct Figures {
        double seconds = 0;
        double perReminderUs = 0;
        double preparationUs = 0;  // the run's thread's processor time less the rendering
        double renderUs = 0;
        double smtpUs = 0;
    };
    const auto timedRun = [&]() -> std::optional<Figures> {
        renderNs = 0;
        smtpNs = 0;
        sent = 0;
        QElapsedTimer total;
        total.start();
        const double threadCpuStart = threadCpuSeconds();
        const int result = sending::RunBulkEmailing(context, std::nullopt);
        const double threadCpu = threadCpuSeconds() - threadCpuStart;
        Figures f;
        f.seconds = double(total.nsecsElapsed()) / 1e9;
        if (result != 0 || sent != debtors) {
            std::fprintf(stderr, "the run sent %d of %d reminders\n", sent.load(), debtors);
            return std::nullopt;
        }
        f.perReminderUs = f.seconds * 1e6 / sent;
        f.renderUs = double(renderNs) / 1e3 / sent;
        f.preparationUs = threadCpu * 1e6 / sent - f.renderUs;
        f.smtpUs = double(smtpNs) / 1e3 / sent;
        return f;
    };
    const auto printRun = [&](const char* name, const Figures& f) {
        std::printf("%s: %d reminders in %.2f s, %.0f reminders/s\n", name, debtors, f.seconds,
                    debtors / f.seconds);
        std::printf(
            "  per reminder %.0f us; on the run's thread document list, archive and state record %.0f us "
            "(processor time) and MIME rendering %.0f us, while SMTP takes %.0f us on the delivery thread\n",
            f.perReminderUs, f.preparationUs, f.renderUs, f.smtpUs);
    };

    // The first run makes every debtor's folder and files; a later one, as in the next month, finds
    // them and replaces the files.
    const std::optional<Figures> first = timedRun();
    const double endRssMb = processMemoryMb("VmRSS") - keptMb();
    const double endListsMb = listsMb();
    const double endProtocolMb = protocolMb();
    keepTexts = false;
    const std::optional<Figures> later = first ? timedRun() : std::nullopt;
    const double laterRssMb = processMemoryMb("VmRSS") - keptMb();
    const double peakRssMb = processMemoryMb("VmHWM") - keptMb();
    if (!later) {
        return 1;
    }
    for (qsizetype i = 0; i < renderedTexts.size(); ++i) {
        writeFile(QStringLiteral("%1/%2.eml").arg(rendered).arg(i, 5, 10, QLatin1Char('0')),
                  renderedTexts[i]);
    }
    const double smtplib = smtplibSeconds(rendered, server.port);
    const double smtplibOneConnection =
        smtplibSeconds(rendered, server.port, {QStringLiteral("--one-connection")});

    std::printf("debtors: %d, document rows: %d, average message %lld bytes\n", debtors, kDocumentRows,
                messageBytes / debtors);
    printRun("first bulk run", *first);
    printRun("later bulk run", *later);
    std::printf(
        "Python smtplib, the same rendered messages, a connection each: %.2f s, %.0f messages/s (bulk runs "
        "%.2fx and %.2fx its speed)\n",
        smtplib, debtors / smtplib, smtplib / first->seconds, smtplib / later->seconds);
    std::printf(
        "Python smtplib, the same rendered messages, one connection: %.2f s, %.0f messages/s (bulk runs "
        "%.2fx and %.2fx its speed)\n",
        smtplibOneConnection, debtors / smtplibOneConnection, smtplibOneConnection / first->seconds,
        smtplibOneConnection / later->seconds);
    std::printf(
        "resident memory: %.1f MiB after %d reminders, %.1f MiB after %d, %.1f MiB after the later run over "
        "the same debtors, peak %.1f MiB\n",
        earlyRssMb, debtors / 10, endRssMb, debtors, laterRssMb, peakRssMb);
    std::printf(
        "  kept by design: the document lists in TextNeuhrDokl %.1f and %.1f MiB, the protocol %.1f, %.1f "
        "and "
        "%.1f MiB\n",
        earlyListsMb, endListsMb, earlyProtocolMb, endProtocolMb, protocolMb());

    // Two servers 2 ms from the run in different ways. A slow one takes 2 ms over each recipient and
    // each message before it reads the next command, so nothing the client does can overlap it. A
    // distant one answers at once, but each reply reaches the client 2 ms after its command reached
    // the server, which reads on meanwhile: what crosses the network in one go is answered in one go.
    // The distant one once more without pipelining shows what the grouped envelope buys.
    const auto comparedRun = [&](const char* name, const QStringList& serverArguments) {
        DiscardingServer server2ms(work.filePath(QStringLiteral("mail")), serverArguments);
        settings.SMTPPort = server2ms.port;
        const std::optional<Figures> run = timedRun();
        if (!run) {
            return false;
        }
        const double eachConnection = smtplibSeconds(rendered, server2ms.port);
        const double oneConnection =
            smtplibSeconds(rendered, server2ms.port, {QStringLiteral("--one-connection")});
        printRun(name, *run);
        std::printf(
            "  Python smtplib to that server: a connection each %.2f s (bulk run %.2fx its speed), one "
            "connection %.2f s (%.2fx)\n",
            eachConnection, eachConnection / run->seconds, oneConnection, oneConnection / run->seconds);
        return true;
    };
    if (!comparedRun("later bulk run, slow server taking 2 ms over each recipient and message",
                     {QStringLiteral("--reply-delay-ms"), QStringLiteral("2")}) ||
        !comparedRun("later bulk run, distant server whose replies arrive 2 ms after each command",
                     {QStringLiteral("--latency-ms"), QStringLiteral("2")}) ||
        !comparedRun(
            "later bulk run, the distant server without pipelining",
            {QStringLiteral("--latency-ms"), QStringLiteral("2"), QStringLiteral("--no-pipelining")})) {
        return 1;
    }
    return 0;
}
