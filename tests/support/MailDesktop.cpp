#include "support/MailDesktop.h"

#include "platform/SystemLocale.h"

#include <QtCore/qtestsupport_core.h>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace tervalo::transport::testing {

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

MailDesktop::MailDesktop() {
    for (const char* folder : {"home/applications", "config", "bin", "sbin", "out"}) {
        EXPECT_TRUE(QDir(m_root.path()).mkpath(QString::fromLatin1(folder)));
    }
    environment.dataDirs = {m_root.file(QStringLiteral("home"))};
    environment.configDirs = {m_root.file(QStringLiteral("config"))};
    environment.searchPath = {m_root.file(QStringLiteral("bin"))};
    environment.sendmailPaths = {m_root.file(QStringLiteral("sbin/sendmail"))};
}

QString MailDesktop::writeProgram(const QString& path, const QByteArray& script) const {
    m_root.write(path, "#!/bin/sh\n" + script);
    QFile::setPermissions(m_root.file(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return m_root.file(path);
}

void MailDesktop::addClient(const QString& id, const QString& program, const QString& execArguments) {
    const QByteArray out =
        QFile::encodeName(m_root.file(QStringLiteral("out/") + program + QStringLiteral(".args")));
    // Written whole, then renamed: a reader never sees half a record.
    writeProgram(QStringLiteral("bin/") + program,
                 "printf '%s\\0' \"$@\" > '" + out + ".tmp' && mv '" + out + ".tmp' '" + out + "'\n");
    m_root.write(
        QStringLiteral("home/applications/") + id + QStringLiteral(".desktop"),
        (QStringLiteral("[Desktop Entry]\nType=Application\nName=") + id + QStringLiteral("\nExec=") +
         program + QLatin1Char(' ') + execArguments + QStringLiteral("\nMimeType=x-scheme-handler/mailto;\n"))
            .toUtf8());
}

void MailDesktop::makeDefault(const QString& id) const {
    m_root.write(QStringLiteral("config/mimeapps.list"),
                 "[Default Applications]\nx-scheme-handler/mailto=" + id.toUtf8() + ".desktop\n");
}

void MailDesktop::addSendmail(const QByteArray& script) {
    writeProgram(QStringLiteral("sbin/sendmail"), script);
}

void MailDesktop::addRecordingSendmail() {
    const QByteArray out = QFile::encodeName(m_root.file(QStringLiteral("out/")));
    addSendmail("cat > '" + out + "sendmail.stdin'\n" + "printf '%s\\0' \"$@\" > '" + out +
                "sendmail.args'\n" + "status=$(cat '" + out + "sendmail.exit' 2>/dev/null)\n" +
                "[ \"$status\" = kill ] && kill -9 $$\n" + "exit ${status:-0}\n");
}

void MailDesktop::setSendmailExit(const QByteArray& status) const {
    m_root.write(QStringLiteral("out/sendmail.exit"), status);
}

QStringList MailDesktop::recordedArguments(const QString& program) const {
    const QString path = m_root.file(QStringLiteral("out/") + program + QStringLiteral(".args"));
    if (!QTest::qWaitFor([&] { return QFile::exists(path); }, 10000)) {
        ADD_FAILURE() << program.toStdString() << " did not run";
        return {};
    }
    QStringList arguments;
    for (const QByteArray& argument : readAll(path).split('\0')) {
        arguments.append(QString::fromUtf8(argument));
    }
    arguments.removeLast();  // after the last terminator
    return arguments;
}

bool MailDesktop::ran(const QString& program) const {
    return QFile::exists(m_root.file(QStringLiteral("out/") + program + QStringLiteral(".args")));
}

QByteArray MailDesktop::sendmailInput() const {
    return readAll(m_root.file(QStringLiteral("out/sendmail.stdin")));
}

MailClientContext MailDesktop::context(UserInterface& ui) const {
    MimeEnvironment mime = MimeEnvironment::forSystem(platform::SystemLocale());
    mime.currentTime = [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 30)); };
    mime.timeZoneBiasMinutes = [] { return -60; };
    mime.makeBoundary = [] { return QStringLiteral("BOUNDARY"); };
    return {
        ui, mime, QStringLiteral("Dodavatel, a.s."), QStringLiteral("upominky@dodavatel.cz"),
        [](const QString& sender) { return QStringLiteral("42101226093000@") + sender.section(u'@', 1); }};
}

}  // namespace tervalo::transport::testing
