#include "app/SettingsStore.h"

#include "compose/FillMailClientList.h"
#include "settings/ConfigurationFile.h"
#include "settings/PasswordStore.h"

#include <exception>

namespace tervalo::app {

namespace {

constexpr int kLowestHeaderHeight = 40;
constexpr int kRaisedHeaderHeight = 120;

}  // namespace

void LoadSettings(AppSession& session) {
    compose::FillMailClientList(session.mtEmailKlient, session.mailClients);
    const platform::AnsiCodec& codec = session.locale.codec();
    AppSettings& settings = session.settings;

    IniFile ini(session.AppDir + ConfigurationFile::fileName(), codec);
    ConfigurationFile::read(ini, settings, session.windowLayout);
    LoadPassword(settings, session.AppDir, codec);
    settings.EText = BodyTextFile::read(session.AppDir + BodyTextFile::fileName(), codec).value_or(QString());
    for (int level = 2; level <= kMaxReminderLevels; ++level) {
        settings.Urovne[level - 1].Text =
            BodyTextFile::read(session.AppDir + BodyTextFile::fileName(level), codec).value_or(QString());
    }
    ApplyDefaults(settings);
    if (session.windowLayout.HeaderHeight < kLowestHeaderHeight) {
        session.windowLayout.HeaderHeight = kRaisedHeaderHeight;
    }
}

void SaveSettings(AppSession& session, const QDate& today) {
    const platform::AnsiCodec& codec = session.locale.codec();
    std::exception_ptr firstFailure;
    try {
        IniFile ini(session.AppDir + ConfigurationFile::fileName(), codec);
        ConfigurationFile::write(ini, session.settings, session.windowLayout);
        ini.save();
    } catch (const SettingsFileError&) {
        firstFailure = std::current_exception();
    }
    // The password file is replaced whole too, so a failed write keeps the old password; the user is
    // told, or a changed password would be lost without a word.
    if (SavePassword(session.settings, session.AppDir, session.locale, today) != 0 && !firstFailure) {
        const QString path = session.AppDir + PasswordStore::fileName();
        firstFailure = std::make_exception_ptr(SettingsFileError(cannotWriteText(path), path));
    }
    const auto writeBody = [&](int level) {
        try {
            BodyTextFile::write(session.AppDir + BodyTextFile::fileName(level),
                                session.settings.levelBody(level), codec);
        } catch (const SettingsFileError&) {
            if (!firstFailure) {
                firstFailure = std::current_exception();
            }
        }
    };
    writeBody(1);
    // The bodies of the levels in use; one not in use only when it was changed, so an unused level
    // leaves no file of its own behind.
    const auto defaults = AppSettings::DefaultLevels();
    for (int level = 2; level <= kMaxReminderLevels; ++level) {
        if (level <= session.settings.PocetUrovni ||
            session.settings.levelBody(level) != defaults[level - 1].Text) {
            writeBody(level);
        }
    }
    if (firstFailure) {
        std::rethrow_exception(firstFailure);
    }
}

}  // namespace tervalo::app
