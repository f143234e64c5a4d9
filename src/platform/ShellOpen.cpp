#include "platform/ShellOpen.h"

#include <QObject>
#include <QProcess>
#include <QStandardPaths>

namespace tervalo::platform {

namespace {

// Desktop openers (gio, kde-open, ...) return as soon as the handler runs; xdg-open's generic
// fallback runs the handler in the foreground. A status within this time is the answer; an opener
// still running afterwards has launched the program.
constexpr int OpenerAnswerMs = 5000;

constexpr int XdgOpenNoHandler = 3;
constexpr int XdgOpenActionFailed = 4;

}  // namespace

int OpenWithAssociatedProgram(const QString& target) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        return ShellOpenNoAssociation;
    }
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({target});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return ShellOpenNoAssociation;
    }
    if (!process->waitForFinished(OpenerAnswerMs)) {
        // The handler runs in the opener's foreground: leave it running (destroying the QProcess
        // would kill it) and let the object go once it ends.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return ShellOpenSucceeded;
    }
    const int status =
        process->exitStatus() == QProcess::NormalExit ? process->exitCode() : XdgOpenActionFailed;
    delete process;
    if (status == 0) {
        return ShellOpenSucceeded;
    }
    if (status == XdgOpenNoHandler || status == XdgOpenActionFailed) {
        return ShellOpenNoAssociation;
    }
    // xdg-open documents 1 (bad arguments) and 2 (no such file); anything else counts as 1.
    return status > 0 && status < ShellOpenNoAssociation ? status : 1;
}

void StartAssociatedProgram(const QString& target) {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        return;
    }
    QProcess process;
    process.setProgram(opener);
    process.setArguments({target});
    // The opener and the program it starts get none of our standard descriptors, nor any file or
    // socket this program opens (all close-on-exec).
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.startDetached();
}

}  // namespace tervalo::platform
