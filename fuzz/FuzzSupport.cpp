#include "FuzzSupport.h"

#include "defgen/DefFileBuilder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

namespace tervalo::fuzz {

const QString& workDir() {
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/tervalo-fuzz-XXXXXX"));
    static const QString path = [] {
        if (!dir.isValid()) {
            std::abort();  // without a folder no input reaches the reader: nothing would be fuzzed
        }
        return dir.path() + QLatin1Char('/');
    }();
    return path;
}

QString writeInput(const QString& name, const QByteArray& bytes) {
    const QString path = workDir() + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::abort();
    }
    return path;
}

void clearWorkDir() {
    QDir dir(workDir());
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        dir.remove(name);
    }
}

namespace {

QByteArray sourceFile(const char* relativePath) {
    QFile file(QStringLiteral(TERVALO_SOURCE_DIR "/") + QLatin1String(relativePath));
    if (!file.open(QIODevice::ReadOnly)) {
        std::abort();
    }
    return file.readAll();
}

}  // namespace

QString writeDemoDefFile(const QString& name) {
    const QString source = QString::fromUtf8(sourceFile("data/uhterv.def.src"));
    return writeInput(name, tools::buildDefFile(tools::parseDefSource(source)));
}

QByteArray demoExport() {
    return sourceFile("data/files/demo/Pohledavky.csv");
}

const platform::SystemLocale& czechLocale() {
    static const platform::SystemLocale locale{[] {
        platform::LocaleSettings settings;
        settings.timeZoneBiasMinutes = -60;
        return settings;
    }()};
    return locale;
}

}  // namespace tervalo::fuzz
