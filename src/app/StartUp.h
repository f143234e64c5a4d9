#pragma once

#include "app/AppSession.h"
#include "platform/UserInterface.h"

namespace tervalo::app {

enum class StartResult { Continue, Stop };

// The start-up checks, in order; a failing step has shown its message and returns Stop. The window
// steps (suspending the grids, arming the automatic start) belong to the window that called this.
StartResult StartUp(AppSession& session, const QString& appDir, UserInterface& ui);

// Saves the configuration and deletes an export that came on the command line once it was loaded
// (the edit box holds a path and the debtor list shows at least one row). The caller then ends the
// application.
void ShutDown(AppSession& session, const QString& exportEditText, int debtorRowsShown, UserInterface& ui);

// The command-line arguments joined with single blanks: a path with blanks may arrive split.
QString JoinedArguments(const QStringList& arguments);

}  // namespace tervalo::app
