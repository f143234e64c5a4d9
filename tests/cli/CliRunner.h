#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

namespace tervalo::test {

// Runs the staged tervalo-cli and collects what it printed.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliResult runCli(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"), args);
    process.waitForFinished(60000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace tervalo::test
