#include "transport/mailclient/MailSubmissionProgram.h"

#include "transport/mailclient/DesktopKeyFile.h"

#include <QDir>
#include <QFileInfo>

namespace tervalo::transport {

namespace {

const QString kMailqHint = QStringLiteral("frontu zobrazíte příkazem mailq");

bool hasSibling(const QFileInfo& program, const char* name) {
    return QFileInfo(program.dir().filePath(QString::fromLatin1(name))).isExecutable();
}

}  // namespace

QString FindMailSubmissionProgram(const MailClientEnvironment& env) {
    for (const QString& path : env.sendmailPaths) {
        if (!resolveProgram(path, {}).isEmpty()) {
            return path;
        }
    }
    return resolveProgram(QStringLiteral("sendmail"), env.searchPath);
}

MailSubmissionProgram DescribeMailSubmission(const QString& path) {
    if (path.isEmpty()) {
        return {};
    }
    const QString canonical = QFileInfo(path).canonicalFilePath();
    const QFileInfo program(canonical.isEmpty() ? path : canonical);
    const QString base = program.fileName();
    if (base == QStringLiteral("msmtp")) {
        return {path, QStringLiteral("msmtp"), {}};
    }
    if (base == QStringLiteral("msmtpq")) {
        return {path, QStringLiteral("msmtp (msmtpq)"),
                QStringLiteral("frontu zobrazíte příkazem msmtp-queue -d")};
    }
    if (base.startsWith(QStringLiteral("exim"))) {
        return {path, QStringLiteral("Exim"), kMailqHint};
    }
    if (base == QStringLiteral("sendmail") && hasSibling(program, "postqueue")) {
        return {path, QStringLiteral("Postfix"), kMailqHint};
    }
    if (base == QStringLiteral("sendmail") && hasSibling(program, "nullmailer-send")) {
        return {path, QStringLiteral("nullmailer"), kMailqHint};
    }
    if (program.dir().dirName() == QStringLiteral("sm.bin")) {
        return {path, QStringLiteral("Sendmail"), kMailqHint};
    }
    return {path, path,
            QStringLiteral("pokud zprávy jen řadí do fronty, zobrazíte ji obvykle příkazem mailq")};
}

}  // namespace tervalo::transport
