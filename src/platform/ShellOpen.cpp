#include "platform/ShellOpen.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <array>

namespace tervalo::platform {

namespace {

// Desktop openers (gio, kde-open, ...) return as soon as the handler runs; xdg-open's generic
// fallback runs the handler in the foreground. A status within this time is the answer; an opener
// still running afterwards has launched the program.
constexpr int OpenerAnswerMs = 5000;

// xdg-open's statuses for bad arguments and a missing file: no other opener would do better.
constexpr int XdgOpenBadArguments = 1;
constexpr int XdgOpenNoSuchFile = 2;

struct Opener {
    const char* program;
    QStringList arguments;
    bool answersForAll;  // its statuses for bad arguments and a missing file end the search
};

std::array<Opener, 2> openersFor(const QString& target) {
    return {Opener{"xdg-open", {target}, true}, Opener{"gio", {QStringLiteral("open"), target}, false}};
}

bool isAddress(const QString& target) {
    return !QFileInfo::exists(target) && QUrl(target).scheme().size() > 1;
}

DesktopServicesOpener& registeredDesktopServices() {
    static DesktopServicesOpener opener;
    return opener;
}

// The opener's exit status, 0 also when it still runs (it has launched the program); -1 when it could
// not be started or crashed.
int runOpener(const QString& program, const QStringList& arguments) {
    auto* process = new QProcess;
    process->setProgram(program);
    process->setArguments(arguments);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    process->start();
    if (!process->waitForStarted()) {
        delete process;
        return -1;
    }
    if (!process->waitForFinished(OpenerAnswerMs)) {
        // The handler runs in the opener's foreground: leave it running (destroying the QProcess
        // would kill it) and let the object go once it ends.
        QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
        return 0;
    }
    const int status = process->exitStatus() == QProcess::NormalExit ? process->exitCode() : -1;
    delete process;
    return status;
}

QStringList envList(const char* name, const QString& fallback) {
    const QString value = qEnvironmentVariable(name);
    return (value.isEmpty() ? fallback : value).split(QLatin1Char(':'), Qt::SkipEmptyParts);
}

QStringList handledTypes(const QString& target) {
    if (isAddress(target)) {
        return {QStringLiteral("x-scheme-handler/") + QUrl(target).scheme().toLower()};
    }
    const QMimeType type = QMimeDatabase().mimeTypeForFile(target);
    return QStringList{type.name()} + type.aliases() + type.allAncestors();
}

// The MimeType list of a desktop entry's [Desktop Entry] group; empty for a hidden entry.
QStringList typesOfEntry(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    bool inEntry = false;
    QStringList types;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
        } else if (inEntry && line == QStringLiteral("Hidden=true")) {
            return {};
        } else if (inEntry && line.startsWith(QStringLiteral("MimeType="))) {
            types = line.mid(9).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        }
    }
    return types;
}

}  // namespace

DesktopOpeners DesktopOpeners::fromEnvironment() {
    DesktopOpeners openers;
    openers.searchPath = envList("PATH", QString());
    openers.dataDirs = envList("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share")) +
                       envList("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    openers.desktopServices = registeredDesktopServices();
    return openers;
}

void SetDesktopServicesOpener(DesktopServicesOpener opener) {
    registeredDesktopServices() = std::move(opener);
}

bool DesktopHasHandlerFor(const QString& target, const QStringList& dataDirs) {
    const QStringList wanted = handledTypes(target);
    for (const QString& dir : dataDirs) {
        QDirIterator it(dir + QStringLiteral("/applications"), {QStringLiteral("*.desktop")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QStringList types = typesOfEntry(it.next());
            if (std::any_of(types.begin(), types.end(),
                            [&](const QString& t) { return wanted.contains(t); })) {
                return true;
            }
        }
    }
    return false;
}

int OpenWithAssociatedProgram(const QString& target) {
    return OpenWithDesktopOpeners(target, DesktopOpeners::fromEnvironment());
}

int OpenWithDesktopOpeners(const QString& target, const DesktopOpeners& openers) {
    for (const Opener& opener : openersFor(target)) {
        const QString program =
            QStandardPaths::findExecutable(QString::fromLatin1(opener.program), openers.searchPath);
        if (program.isEmpty()) {
            continue;
        }
        const int status = runOpener(program, opener.arguments);
        if (status == 0) {
            return ShellOpenSucceeded;
        }
        if (opener.answersForAll && (status == XdgOpenBadArguments || status == XdgOpenNoSuchFile)) {
            return status;
        }
    }
    if (openers.desktopServices && openers.desktopServices(target)) {
        return ShellOpenSucceeded;
    }
    if (!QFileInfo::exists(target) && !isAddress(target)) {
        return ShellOpenFileNotFound;
    }
    return DesktopHasHandlerFor(target, openers.dataDirs) ? ShellOpenFailed : ShellOpenNoAssociation;
}

void StartAssociatedProgram(const QString& target) {
    const DesktopOpeners openers = DesktopOpeners::fromEnvironment();
    for (const Opener& opener : openersFor(target)) {
        const QString program =
            QStandardPaths::findExecutable(QString::fromLatin1(opener.program), openers.searchPath);
        if (!program.isEmpty()) {
            QProcess process;
            process.setProgram(program);
            process.setArguments(opener.arguments);
            // The opener and the program it starts get none of our standard descriptors, nor any
            // file or socket this program opens (all close-on-exec).
            process.setStandardInputFile(QProcess::nullDevice());
            process.setStandardOutputFile(QProcess::nullDevice());
            process.setStandardErrorFile(QProcess::nullDevice());
            process.startDetached();
            return;
        }
    }
    if (openers.desktopServices) {
        openers.desktopServices(target);
    }
}

}  // namespace tervalo::platform
