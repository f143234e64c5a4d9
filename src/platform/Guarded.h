#pragma once

#include "platform/UserInterface.h"

#include <QString>

#include <functional>

namespace tervalo::platform {

// A front end's error boundary (the window, a dialog, a command of the command-line program): runs
// `command`; an Error it raises is shown to the user with its text, and the command counts as failed
// (false). Any other exception is a programming error and is not caught here: it goes on to the
// last-resort handler.
bool Guarded(UserInterface& ui, const std::function<void()>& command);

// A program's last-resort boundary (around its event loop, its start, a command-line command): runs
// `command` and hands `show` the text of an Error it raises, or of any other exception that it is a
// fault of the program, with its type and text (also written to the standard error output, for the
// report). False when one was caught.
bool GuardedToTheLast(const std::function<void(const QString& text)>& show,
                      const std::function<void()>& command);

}  // namespace tervalo::platform
