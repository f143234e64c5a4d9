// Sends 1,000 reminders of about 5 KB (body and attachment) to a local SMTP server and prints
// reminders per second beside Python's smtplib sending the same rendered messages, one
// connection each, to the same server; also the time to build and render one message. Then the same
// over STARTTLS to a second server with a certificate of a test CA, beside smtplib with starttls().
// Last, the bulk run's way over STARTTLS: one SmtpSender keeping its session, to servers that close the
// connection after 10 and after 100 messages, so that every 10th or 100th reminder opens a new one.
#include "transport/mime/TMimeMess.h"
#include "transport/smtp/SmtpSender.h"

#include "platform/SystemLocale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>
#include <vector>

using namespace tervalo;
using namespace tervalo::transport;

namespace {

constexpr int kReminders = 1000;
const QString kSource = QStringLiteral(TERVALO_SOURCE_DIR);

QString bodyText(int index) {
    QString body = QStringLiteral(
                       "Vážený zákazníku,\r\n\r\nevidujeme u Vás tyto neuhrazené doklady "
                       "(odběratel č. %1), jejichž splatnost již uplynula:\r\n\r\n")
                       .arg(index);
    for (int line = 0; line < 12; ++line) {
        body += QStringLiteral("Faktura %1  splatná 15.1.2024  %2,50 Kč\r\n")
                    .arg(202400000 + index * 20 + line)
                    .arg(line * 997 + 120);
    }
    return body + QStringLiteral("\r\nProsíme o úhradu obratem.\r\nS pozdravem\r\nÚčtárna");
}

struct Composed {
    QList<QByteArray> lines;
    qint64 renderNs;
};

Composed composeReminder(const MimeEnvironment& environment, const QString& attachment, int index) {
    TMimeMess message(environment);
    message.Header.SenderField = QStringLiteral("Dodavatel, a.s. <upominky@dodavatel.cz>");
    message.Header.ExtraHeaderLines.append(QStringLiteral("Return-Path: <upominky@dodavatel.cz>"));
    message.Header.RecipientList.append(QStringLiteral("<odberatel@firma.cz>"));
    message.Header.MessageIdentifier = QStringLiteral("%1050324140307@dodavatel.cz").arg(index);
    message.Header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    message.Header.SubjectText = QStringLiteral("Upomínka neuhrazených dokladů ke dni 05.03.2024");
    TMimePart& root = message.StartMultipart(QStringLiteral("Mixed"));
    message.AppendTextPart(bodyText(index), root);
    message.AppendFilePart(attachment, root);
    QElapsedTimer render;
    render.start();
    message.RenderMessage();
    return {message.MessageLines, render.nsecsElapsed()};
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    const QString attachment = work.filePath(QStringLiteral("Doklady.zip"));
    {
        QFile zip(attachment);
        zip.open(QIODevice::WriteOnly);
        QByteArray bytes(2600, Qt::Uninitialized);
        QRandomGenerator generator(7);
        for (char& c : bytes) {
            c = char(generator.bounded(256));
        }
        zip.write(bytes);
    }

    // The certificates of the TLS run, made as the tests make them.
    const QString certificates = work.filePath(QStringLiteral("certificates"));
    QDir().mkpath(certificates);
    QProcess::execute(QStringLiteral(TERVALO_PYTHON),
                      {kSource + QStringLiteral("/tests/support/make_test_certs.py"), certificates});
    const QString caFile = certificates + QStringLiteral("/ca.pem");

    // A server on 127.0.0.1 storing into its own folder; its port, empty when it did not start.
    std::vector<std::unique_ptr<QProcess>> servers;
    auto startServer = [&](const QString& name, const QStringList& arguments) {
        auto& server = servers.emplace_back(std::make_unique<QProcess>());
        server->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QDir().mkpath(work.filePath(name));
        server->start(QStringLiteral(TERVALO_PYTHON),
                      QStringList{kSource + QStringLiteral("/tests/support/smtp_server.py"),
                                  QStringLiteral("--maildir"), work.filePath(name),
                                  QStringLiteral("--lifetime"), QStringLiteral("3600")} +
                          arguments);
        server->waitForStarted();
        while (!server->canReadLine() && server->waitForReadyRead(20000)) {
        }
        const QByteArray ready = server->readLine().trimmed();
        return ready.startsWith("READY ") ? QString::fromLatin1(ready.mid(6)) : QString();
    };
    const QString port = startServer(QStringLiteral("mail"), {});
    const QString tlsPort =
        startServer(QStringLiteral("mail-tls"),
                    {QStringLiteral("--tls"), QStringLiteral("starttls"), QStringLiteral("--certificate"),
                     certificates + QStringLiteral("/server.pem"), QStringLiteral("--key"),
                     certificates + QStringLiteral("/server.key")});
    // Servers with a limit of messages per connection, for the kept session.
    auto startLimitedServer = [&](int messages) {
        return startServer(
            QStringLiteral("mail-tls-%1").arg(messages),
            {QStringLiteral("--tls"), QStringLiteral("starttls"), QStringLiteral("--certificate"),
             certificates + QStringLiteral("/server.pem"), QStringLiteral("--key"),
             certificates + QStringLiteral("/server.key"), QStringLiteral("--discard"),
             QStringLiteral("--close-after"), QString::number(messages)});
    };
    const std::pair<int, QString> limited[] = {{10, startLimitedServer(10)}, {100, startLimitedServer(100)}};
    if (port.isEmpty() || tlsPort.isEmpty() || limited[0].second.isEmpty() || limited[1].second.isEmpty()) {
        std::fprintf(stderr, "the SMTP servers did not start\n");
        return 1;
    }

    const MimeEnvironment environment = MimeEnvironment::forSystem(platform::SystemLocale());

    // Building and rendering alone; the files for smtplib are written afterwards.
    QElapsedTimer timer;
    timer.start();
    qint64 renderNs = 0;
    QList<QByteArray> texts;
    for (int i = 0; i < kReminders; ++i) {
        const Composed composed = composeReminder(environment, attachment, i);
        renderNs += composed.renderNs;
        QByteArray text;
        for (const QByteArray& line : composed.lines) {
            text.append(line).append("\r\n");
        }
        texts.append(text);
    }
    const double composeSeconds = double(timer.nsecsElapsed()) / 1e9;
    const QString rendered = work.filePath(QStringLiteral("rendered"));
    QDir().mkpath(rendered);
    qint64 bytes = 0;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        bytes += texts[i].size();
        QFile file(QStringLiteral("%1/%2.eml").arg(rendered).arg(i, 4, 10, QLatin1Char('0')));
        file.open(QIODevice::WriteOnly);
        file.write(texts[i]);
    }

    // smtplib first and again after ours, so that a change in the machine's load shows.
    auto runSmtplib = [&](const QString& serverPort, const QStringList& tls = {}) {
        QProcess python;
        python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        python.start(QStringLiteral(TERVALO_PYTHON),
                     QStringList{kSource + QStringLiteral("/bench/transport/smtplib_send.py"), rendered,
                                 QStringLiteral("localhost"), serverPort} +
                         tls);
        python.waitForFinished(600000);
        const double seconds = python.readAllStandardOutput().trimmed().toDouble();
        return seconds > 0 ? kReminders / seconds : 0.0;
    };
    const double smtplibBefore = runSmtplib(port);

    // Composing and sending, one session per reminder, as a bulk run does.
    struct Run {
        int delivered = 0;
        double seconds = 0;
        double sessionSeconds = 0;
    };
    auto runOurs = [&](const QString& serverPort, const SmtpSessionOptions& options) {
        Run run;
        qint64 sessionNs = 0;
        QElapsedTimer total;
        total.start();
        for (int i = 0; i < kReminders; ++i) {
            const Composed composed = composeReminder(environment, attachment, i);
            QElapsedTimer session;
            session.start();
            run.delivered +=
                SendBySmtp(QStringLiteral("upominky@dodavatel.cz"), QStringLiteral("odberatel@firma.cz"),
                           QStringLiteral("localhost:") + serverPort, composed.lines, {}, {}, options)
                        .delivered
                    ? 1
                    : 0;
            sessionNs += session.nsecsElapsed();
        }
        run.seconds = double(total.nsecsElapsed()) / 1e9;
        run.sessionSeconds = double(sessionNs) / 1e9;
        return run;
    };
    const Run plain = runOurs(port, {});
    const double smtplibAfter = runSmtplib(port);
    SmtpSessionOptions secured;
    secured.security = SmtpSecurity::StartTls;
    secured.caFile = caFile;
    const Run tls = runOurs(tlsPort, secured);
    const double smtplibTls = runSmtplib(tlsPort, {QStringLiteral("--starttls"), caFile});

    // Composing and sending on one kept session, as a bulk run by SMTP does.
    auto runKept = [&](const QString& serverPort, const SmtpSessionOptions& options) {
        Run run;
        SmtpSender sender(QStringLiteral("localhost:") + serverPort, {}, {}, options);
        QElapsedTimer total;
        total.start();
        for (int i = 0; i < kReminders; ++i) {
            const Composed composed = composeReminder(environment, attachment, i);
            run.delivered += sender.send(QStringLiteral("upominky@dodavatel.cz"),
                                         QStringLiteral("odberatel@firma.cz"), composed.lines)
                                     .delivered
                                 ? 1
                                 : 0;
        }
        sender.close();
        run.seconds = double(total.nsecsElapsed()) / 1e9;
        return run;
    };
    std::vector<std::pair<int, Run>> keptRuns;
    for (const auto& [messages, limitedPort] : limited) {
        keptRuns.emplace_back(messages, runKept(limitedPort, secured));
    }

    for (auto& server : servers) {
        server->closeWriteChannel();
        server->waitForFinished(20000);
    }

    std::printf("messages: %d, average size %lld bytes\n", kReminders, bytes / kReminders);
    std::printf("compose and render: %.1f us per message (RenderMessage alone %.1f us)\n",
                composeSeconds * 1e6 / kReminders, double(renderNs) / 1e3 / kReminders);
    for (const auto& [name, run] : {std::pair{"plain", plain}, {"STARTTLS", tls}}) {
        std::printf(
            "SendBySmtp %s: %d delivered, %.1f reminders/s composed and sent (%.1f/s counting the "
            "sessions "
            "alone)\n",
            name, run.delivered, kReminders / run.seconds, kReminders / run.sessionSeconds);
    }
    std::printf("STARTTLS costs %.2fx the plain session\n", tls.seconds / plain.seconds);
    bool keptDelivered = true;
    for (const auto& [messages, run] : keptRuns) {
        std::printf(
            "SmtpSender kept over STARTTLS, server closing after %d messages: %d delivered, %.1f "
            "reminders/s (%d connections)\n",
            messages, run.delivered, kReminders / run.seconds, (kReminders + messages - 1) / messages);
        keptDelivered = keptDelivered && run.delivered == kReminders;
    }
    std::printf(
        "Python smtplib, same rendered messages: %.1f messages/s before, %.1f after; with starttls() %.1f\n",
        smtplibBefore, smtplibAfter, smtplibTls);
    return plain.delivered == kReminders && tls.delivered == kReminders && keptDelivered ? 0 : 1;
}
