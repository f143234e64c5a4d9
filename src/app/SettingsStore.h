#pragma once

#include "app/AppSession.h"
#include "settings/IniFile.h"

#include <QDate>

namespace tervalo::app {

// Fills session.settings from Vorbel.ini, rdata1.dti, EText and the levels' EText2 to EText5 in the
// program folder, fills mtEmailKlient first, and sets the main window's layout (a debtor panel lower
// than 40 pixels gets 120). Throws SettingsFileError when a file exists but cannot be read: going on
// with defaults would overwrite it at the close.
void LoadSettings(AppSession& session);

// Writes session.settings and session.windowLayout to their files (of the level bodies those of the
// levels in use and the changed ones). Each file is replaced through a temporary file flushed to the
// disk before it replaces the old one, so a failure, a crash or a power loss leaves each file old or
// new, never cut; each is written even when another fails, so a failure costs no file more than
// itself. Throws SettingsFileError (the first failure) when any of them could not be written.
void SaveSettings(AppSession& session, const QDate& today = QDate::currentDate());

}  // namespace tervalo::app
