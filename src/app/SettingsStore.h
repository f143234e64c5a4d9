#pragma once

#include "app/AppSession.h"
#include "app/IniFile.h"

#include <QDate>

namespace tervalo::app {

// Fills session.settings from Vorbel.ini, rdata1.dti and EText in the program folder, fills
// mtEmailKlient first, and sets the main window's layout (a debtor panel lower than 40 pixels gets
// 120). Throws SettingsFileError when a file exists but cannot be read: going on with defaults would
// overwrite it at the close.
void LoadSettings(AppSession& session);

// Writes session.settings and session.windowLayout to the three files. Each file is replaced through a
// temporary file, and each is written even when another fails, so a failure costs no file more than
// itself. Throws SettingsFileError (the first failure) when the configuration or body file could not
// be written; a password file that cannot be written is not reported.
void SaveSettings(AppSession& session, const QDate& today = QDate::currentDate());

}  // namespace tervalo::app
