#pragma once

#include "app/AppSession.h"
#include "app/StartUp.h"
#include "platform/UserInterface.h"

namespace tervalo::app {

// The first-run choice of the accounting system's version: copies the chosen help-file variant
// Setup/<k>/Tervalo.chm over AppDir/Tervalo.chm and marks the setup done (RunSetup = 0 in
// Vorbel.ini). With fewer than two variants offered in Setup/Setup.ini it is marked done without a
// question. Stop when the user cancels the chooser or the copy fails (the message has been shown);
// the question then comes again at the next start. A front end that cannot ask leaves it due.
StartResult RunVersionSetup(const AppSession& session, UserInterface& ui);

// Copies `source` over `target` durably (FileWrite::replaceDurably); the copy gets the source's date
// and time. False on any failure, and `target` is then as it was.
bool copyFileWithDate(const QString& source, const QString& target);

}  // namespace tervalo::app
