#include "app/VersionSetup.h"

#include "settings/ConfigurationFile.h"
#include "settings/IniFile.h"

#include "platform/FileWrite.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace tervalo::app {

namespace {

const QString kMain = QStringLiteral("MAIN");
const QString kRunSetup = QStringLiteral("RunSetup");

// A folder where the file cannot be written only means the question comes again next time.
void markSetupDone(const AppSession& session) {
    try {
        IniFile ini(session.AppDir + ConfigurationFile::fileName(), session.locale.codec());
        ini.setBoolean(kMain, kRunSetup, false);
        ini.save();
    } catch (const SettingsFileError&) {
    }
}

}  // namespace

bool copyFileWithDate(const QString& source, const QString& target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly)) {
        return false;
    }
    const QByteArray bytes = in.readAll();
    if (in.error() != QFileDevice::NoError) {
        return false;
    }
    return platform::FileWrite::replaceDurably(target, bytes, platform::FileAccess::usual,
                                               in.fileTime(QFileDevice::FileModificationTime));
}

StartResult RunVersionSetup(const AppSession& session, UserInterface& ui) {
    const platform::AnsiCodec& codec = session.locale.codec();
    try {
        if (!IniFile(session.AppDir + ConfigurationFile::fileName(), codec).boolean(kMain, kRunSetup, true)) {
            return StartResult::Continue;
        }
    } catch (const SettingsFileError&) {
        // An unreadable configuration reads as missing: the setup is still due.
    }

    const QString setupDir = session.AppDir + QStringLiteral("Setup/");
    std::optional<IniFile> setupIni;
    try {
        setupIni.emplace(setupDir + QStringLiteral("Setup.ini"), codec);
    } catch (const SettingsFileError&) {
        setupIni.emplace(QString(), codec);
    }
    const int count = setupIni->integer(kMain, QStringLiteral("COPYCOUNT"), 1);
    if (count < 2) {
        markSetupDone(session);
        return StartResult::Continue;
    }

    QStringList versions;
    for (int i = 1; i <= count; ++i) {
        versions << setupIni->text(kMain, QStringLiteral("SETUP") + QString::number(i),
                                   QStringLiteral("---"));
    }
    const SetupVersionAnswer answer = ui.chooseSetupVersion(versions);
    if (answer.kind == SetupVersionAnswer::NotAsked) {
        return StartResult::Continue;
    }
    if (answer.kind != SetupVersionAnswer::Chosen || answer.line < 0 || answer.line >= count) {
        ui.information(QStringLiteral("Nevybrali jste žádnou verzi Ekvan - program bude ukončen."));
        return StartResult::Stop;
    }

    const int k = answer.line + 1;
    setupIni->setInteger(kMain, QStringLiteral("LASTSELECT"), k);
    try {
        setupIni->save();
    } catch (const SettingsFileError&) {
        // The last choice is only a note for the installation; the setup goes on without it.
    }

    const QString source = setupDir + QString::number(k) + QStringLiteral("/Tervalo.chm");
    const QString target = session.AppDir + QStringLiteral("Tervalo.chm");
    if (!copyFileWithDate(source, target)) {
        ui.error(QStringLiteral("Při kopírování z ") + source + QStringLiteral(" na ") + target +
                 QStringLiteral(" došlo k chybě."));
        return StartResult::Stop;
    }
    markSetupDone(session);
    return StartResult::Continue;
}

}  // namespace tervalo::app
