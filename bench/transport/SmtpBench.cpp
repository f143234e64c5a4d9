// Sends 1,000 reminders of about 5 KB (body and attachment) to a local SMTP server and prints
// reminders per second beside Python's smtplib sending the same rendered messages, one
// connection each, to the same server; also the time to build and render one message.
#include "transport/DeliverBySmtp.h"
#include "transport/TMimeMess.h"

#include "platform/SystemLocale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

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

    QProcess server;
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QDir().mkpath(work.filePath(QStringLiteral("mail")));
    server.start(
        QStringLiteral(TERVALO_PYTHON),
        {kSource + QStringLiteral("/tests/transport/smtp_server.py"), QStringLiteral("--maildir"),
         work.filePath(QStringLiteral("mail")), QStringLiteral("--lifetime"), QStringLiteral("600")});
    server.waitForStarted();
    while (!server.canReadLine() && server.waitForReadyRead(20000)) {
    }
    const QByteArray ready = server.readLine().trimmed();
    if (!ready.startsWith("READY ")) {
        std::fprintf(stderr, "the SMTP server did not start\n");
        return 1;
    }
    const QString port = QString::fromLatin1(ready.mid(6));
    const QString address = QStringLiteral("127.0.0.1:") + port;

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
    auto runSmtplib = [&] {
        QProcess python;
        python.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        python.start(QStringLiteral(TERVALO_PYTHON),
                     {kSource + QStringLiteral("/bench/transport/smtplib_send.py"), rendered,
                      QStringLiteral("127.0.0.1"), port});
        python.waitForFinished(600000);
        const double seconds = python.readAllStandardOutput().trimmed().toDouble();
        return seconds > 0 ? kReminders / seconds : 0.0;
    };
    const double smtplibBefore = runSmtplib();

    // Composing and sending, one session per reminder, as a bulk run does.
    int delivered = 0;
    qint64 sessionNs = 0;
    timer.restart();
    for (int i = 0; i < kReminders; ++i) {
        const Composed composed = composeReminder(environment, attachment, i);
        QElapsedTimer session;
        session.start();
        delivered += DeliverBySmtp(QStringLiteral("upominky@dodavatel.cz"),
                                   QStringLiteral("odberatel@firma.cz"), address, composed.lines, {}, {})
                         ? 1
                         : 0;
        sessionNs += session.nsecsElapsed();
    }
    const double sendSeconds = double(timer.nsecsElapsed()) / 1e9;
    const double smtplibAfter = runSmtplib();

    server.closeWriteChannel();
    server.waitForFinished(20000);

    std::printf("messages: %d, average size %lld bytes\n", kReminders, bytes / kReminders);
    std::printf("compose and render: %.1f us per message (RenderMessage alone %.1f us)\n",
                composeSeconds * 1e6 / kReminders, double(renderNs) / 1e3 / kReminders);
    std::printf(
        "DeliverBySmtp: %d delivered, %.1f reminders/s composed and sent (%.1f/s counting the sessions "
        "alone)\n",
        delivered, kReminders / sendSeconds, kReminders / (double(sessionNs) / 1e9));
    std::printf("Python smtplib, same rendered messages: %.1f messages/s before, %.1f after\n", smtplibBefore,
                smtplibAfter);
    return delivered == kReminders ? 0 : 1;
}
