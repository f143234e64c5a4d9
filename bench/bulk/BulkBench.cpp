// A bulk run by SMTP over a synthetic export of 1,000 debtors with about ten documents each, to a
// local SMTP server that accepts and discards, beside Python's smtplib sending the same rendered
// messages to the same server, once with a connection per message and once over one connection as
// the run itself sends them. Prints reminders per second, the time per reminder split into the
// document list with its archive (and the state record), MIME rendering and SMTP, and the resident
// memory early in the run, at its end and at its peak.
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

#include <cstdio>
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
    explicit DiscardingServer(const QString& scratch) {
        m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_process.start(
            QStringLiteral(TERVALO_PYTHON),
            {kSource + QStringLiteral("/tests/support/smtp_server.py"), QStringLiteral("--maildir"), scratch,
             QStringLiteral("--discard"), QStringLiteral("--lifetime"), QStringLiteral("900")});
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

    // The delivery as SendReminder makes it, timed in its two halves; the rendered message is kept on
    // disk for smtplib, outside the figures.
    qint64 renderNs = 0;
    qint64 smtpNs = 0;
    qint64 keepNs = 0;
    qint64 messageBytes = 0;
    int sent = 0;
    double earlyRssMb = 0;
    context.sendReminder = [&](const compose::ReminderRequest& request, compose::ReminderContext& c) {
        QElapsedTimer clock;
        clock.start();
        const auto message =
            compose::ComposeSmtpReminder(request, compose::CurrentDebtorValues(c.tables), c.settings,
                                         transport::MimeEnvironment::forSystem(c.locale));
        renderNs += clock.nsecsElapsed();
        clock.restart();
        const int result = compose::DeliverSmtpReminder(*message, request, *c.smtpSession, c.settings, c.ui);
        smtpNs += clock.nsecsElapsed();
        clock.restart();
        const QByteArray text = message->messageText();
        messageBytes += text.size();
        writeFile(QStringLiteral("%1/%2.eml").arg(rendered).arg(sent, 5, 10, QLatin1Char('0')), text);
        if (++sent == debtors / 10) {
            earlyRssMb = processMemoryMb("VmRSS");
        }
        keepNs += clock.nsecsElapsed();
        return result;
    };

    QElapsedTimer total;
    total.start();
    const int result = sending::RunBulkEmailing(context, std::nullopt);
    const double runSeconds = double(total.nsecsElapsed() - keepNs) / 1e9;
    const double endRssMb = processMemoryMb("VmRSS");
    if (result != 0 || sent != debtors) {
        std::fprintf(stderr, "the run sent %d of %d reminders\n", sent, debtors);
        return 1;
    }
    const double smtplib = smtplibSeconds(rendered, server.port);
    const double smtplibOneConnection =
        smtplibSeconds(rendered, server.port, {QStringLiteral("--one-connection")});

    const double perReminderUs = runSeconds * 1e6 / sent;
    const double renderUs = double(renderNs) / 1e3 / sent;
    const double smtpUs = double(smtpNs) / 1e3 / sent;
    std::printf("debtors: %d, document rows: %d, average message %lld bytes\n", debtors, kDocumentRows,
                messageBytes / sent);
    std::printf("bulk run: %d reminders in %.2f s, %.0f reminders/s\n", sent, runSeconds, sent / runSeconds);
    std::printf(
        "per reminder: %.0f us = document list, archive and state record %.0f us + MIME rendering %.0f us + "
        "SMTP %.0f us\n",
        perReminderUs, perReminderUs - renderUs - smtpUs, renderUs, smtpUs);
    std::printf(
        "Python smtplib, the same rendered messages, a connection each: %.2f s, %.0f messages/s (bulk run "
        "%.2fx its speed)\n",
        smtplib, sent / smtplib, smtplib / runSeconds);
    std::printf(
        "Python smtplib, the same rendered messages, one connection: %.2f s, %.0f messages/s (bulk run "
        "%.2fx its speed)\n",
        smtplibOneConnection, sent / smtplibOneConnection, smtplibOneConnection / runSeconds);
    std::printf("resident memory: %.1f MiB after %d reminders, %.1f MiB after %d, peak %.1f MiB\n",
                earlyRssMb, debtors / 10, endRssMb, sent, processMemoryMb("VmHWM"));
    return 0;
}
