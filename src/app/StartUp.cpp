#include "app/StartUp.h"

#include "app/SettingsStore.h"
#include "app/VersionSetup.h"
#include "import/DefFile.h"
#include "platform/AppDir.h"
#include "platform/CheckZipLibrary.h"
#include "platform/PrivateFolder.h"

#include <QFile>
#include <QFileInfo>

namespace tervalo::app {

namespace {

// Opens the address and document state tables, creating missing ones and upgrading an older
// document table; a table-layer error stops the start with its message.
bool OpenStateTables(AppSession& session, UserInterface& ui) {
    try {
        auto tables = std::make_unique<state::StateTables>(session.AppDir, session.locale);
        tables->OpenStateTables();
        session.stateTables = std::move(tables);
        return true;
    } catch (const state::StateError& e) {
        ui.error(e.text());
        return false;
    }
}

QString defFileMessage(const QString& path, const QString& middle) {
    return QStringLiteral("Definiční soubor ") + path + middle +
           QStringLiteral("Je třeba provést reinstalaci programu!");
}

// The character whose code definition record 1 gives. A record without a usable code leaves the
// system's own separator in force rather than reading every amount wrongly.
QChar exportDecimalSeparator(const AppSession& session) {
    bool ok = false;
    int code = import::DefFile::DefVar(1, session.DefFilePath, session.locale.codec()).trimmed().toInt(&ok);
    if (!ok || code < 1 || code > 255) {
        return session.SavedDecimalSeparator;
    }
    return QChar(session.locale.codec().decodeByte(static_cast<unsigned char>(code)));
}

}  // namespace

StartResult StartUp(AppSession& session, const QString& appDir, UserInterface& ui) {
    session.StartedWithParams = !session.arguments.isEmpty();
    session.AppDir = platform::AppDir::normalized(appDir);
    session.HelpFile = session.AppDir + QStringLiteral("Tervalo.chm");

    if (RunVersionSetup(session, ui) == StartResult::Stop) {
        return StartResult::Stop;
    }
    if (session.StartedWithParams && session.arguments.first().toUpper() == QStringLiteral("/END")) {
        return StartResult::Stop;
    }

    session.TempDir = session.AppDir + QStringLiteral("Temp/");
    if (!platform::makePrivateFolder(session.TempDir)) {
        ui.error(QStringLiteral("Chyba : nelze vytvořit adresář ") + session.TempDir);
        return StartResult::Stop;
    }

    if (!compose::CheckZipLibrary(ui)) {
        return StartResult::Stop;
    }

    session.DefFilePath = session.AppDir + QStringLiteral("uhterv.def");
    if (!QFileInfo::exists(session.DefFilePath)) {
        ui.error(defFileMessage(session.DefFilePath, QStringLiteral(" neexistuje. ")));
        return StartResult::Stop;
    }
    int code =
        import::DefFile::CheckDefFile(session.DefFilePath, QStringLiteral("UHTERV"), session.locale.codec());
    if (code != import::DefFile::Usable) {
        ui.error(defFileMessage(session.DefFilePath, QStringLiteral(" je poškozený [Error ") +
                                                         QString::number(code) + QStringLiteral("]. ")));
        return StartResult::Stop;
    }

    if (!OpenStateTables(session, ui)) {
        return StartResult::Stop;
    }

    session.SavedDecimalSeparator = session.locale.decimalSeparator();
    session.ExportDecimalSeparator = exportDecimalSeparator(session);

    try {
        LoadSettings(session);
    } catch (const SettingsFileError& e) {
        ui.error(e.text());
        return StartResult::Stop;
    }

    // The grids stay empty and still until the load has built the tables.
    session.tables.mtFirmy.disableControls();
    session.tables.mtDoklady.disableControls();
    return StartResult::Continue;
}

void ShutDown(AppSession& session, const QString& exportEditText, int debtorRowsShown, UserInterface& ui) {
    // A file that cannot be written is reported; the close goes on, or the program could never end.
    // Without a program folder (start-up never ran) there is nowhere to save to.
    try {
        if (!session.AppDir.isEmpty()) {
            SaveSettings(session);
        }
    } catch (const SettingsFileError& e) {
        ui.error(e.text());
    }
    if (session.StartedWithParams && !exportEditText.isEmpty() && debtorRowsShown > 0) {
        QFile::remove(session.ExportFilePath);
    }
}

QString JoinedArguments(const QStringList& arguments) {
    QString joined;
    for (const QString& argument : arguments) {
        joined += argument + QLatin1Char(' ');
    }
    while (joined.endsWith(QLatin1Char(' '))) {
        joined.chop(1);
    }
    return joined;
}

}  // namespace tervalo::app
