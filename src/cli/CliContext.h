#pragma once

#include "app/AppSession.h"
#include "cli/CliUserInterface.h"

#include <QStringList>
#include <QTextStream>

namespace tervalo::cli {

// Exit statuses shared by all commands.
enum ExitCode : int { Success = 0, Ended = 1, Usage = 2 };

// What every command gets: the session after start-up, the port, stdout, and its own arguments.
struct CliContext {
    app::AppSession& session;
    CliUserInterface& ui;
    QTextStream& out;
    QStringList args;  // after the command name
};

}  // namespace tervalo::cli
