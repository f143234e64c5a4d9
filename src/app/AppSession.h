#pragma once

#include "compose/EmailKlientTable.h"
#include "compose/SendReminder.h"
#include "import/CellMatrix.h"
#include "import/ExportTables.h"
#include "platform/SystemLocale.h"
#include "settings/AppSettings.h"
#include "state/StateTables.h"
#include "transport/mailclient/MailClientEnvironment.h"

#include <QChar>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <optional>

namespace tervalo::app {

// Values fixed at start-up and the state of one program run, shared by the GUI and tervalo-cli.
struct AppSession {
    explicit AppSession(platform::SystemLocale systemLocale)
        : locale(std::move(systemLocale)), tables(locale) {}

    platform::SystemLocale locale;
    QStringList arguments;  // command-line arguments, without the program name
    bool StartedWithParams = false;

    QString AppDir;  // always ends with "/"
    QString TempDir;
    QString DefFilePath;
    QString HelpFile;

    // The system's decimal separator at start-up, and the one the export's numbers are written
    // with (definition record 1). Conversions take the latter as a parameter.
    QChar SavedDecimalSeparator;
    QChar ExportDecimalSeparator;

    AppSettings settings;           // read at start-up, written at the close
    MainWindowLayout windowLayout;  // the main window's shape as read at start-up and left at the close
    compose::EmailKlientTable mtEmailKlient;  // installed mail clients, filled once at start-up
    // Where the desktop lists its mail clients: the process's environment, or a test's desktop.
    transport::MailClientEnvironment mailClients = transport::MailClientEnvironment::fromEnvironment();
    // The answer to the offer of the program's own compose window when no mail client is found:
    // asked once per run.
    std::optional<bool> OwnComposeWindowAnswer;
    // The reminder levels the user set for this run, by debtor ID (IDs hold for one load).
    std::map<int, int> ChosenLevels;

    QString ExportFilePath;
    // Emptied once the tables are built, unless keepExportCells asks for its cells (the inspect command).
    import::CellMatrix sgrCSV;
    bool keepExportCells = false;
    char exportSeparator = 0;  // 0: the export had no separator

    // mtFirmy, mtDoklady and the variable maps; filled once per run by the load.
    import::ExportTables tables;
    // Open from start-up to the end of the run.
    std::unique_ptr<state::StateTables> stateTables;
};

// What a reminder of this program run is sent with: its tables, settings and mail clients.
inline compose::ReminderContext ReminderContextOf(AppSession& session, UserInterface& ui) {
    return {session.tables,     session.settings, session.mtEmailKlient, session.locale, ui, {},
            session.mailClients};
}

}  // namespace tervalo::app
