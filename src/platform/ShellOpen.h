#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tervalo::platform {

// Result codes of opening a file or address with its associated program, as the shell's "open"
// verb reports them: above 32 on success, ShellOpenNoAssociation when no program is registered for
// the file type, other values up to 32 for other failures.
inline constexpr int ShellOpenSucceeded = 33;
inline constexpr int ShellOpenNoAssociation = 31;
inline constexpr int ShellOpenFileNotFound = 2;
inline constexpr int ShellOpenFailed = 1;

// An opener of the last resort that takes a target and says whether it was opened.
using DesktopServicesOpener = std::function<bool(const QString& target)>;

// What opening works with: the openers are looked for on `searchPath`, the desktop's handlers
// among the desktop entries under "applications/" of `dataDirs`. Taken from the environment by the
// program, made up by tests.
struct DesktopOpeners {
    QStringList searchPath;  // $PATH
    QStringList dataDirs;    // $XDG_DATA_HOME, then $XDG_DATA_DIRS
    // Qt's desktop services, which only the desktop program links; empty elsewhere.
    DesktopServicesOpener desktopServices;

    // The process's environment and the opener given to SetDesktopServicesOpener.
    static DesktopOpeners fromEnvironment();
};

// Given once by the desktop program: the opener tried when neither xdg-open nor gio opened a target.
void SetDesktopServicesOpener(DesktopServicesOpener opener);

// Opens `target` (a file path or an address) with the program the desktop associates with it: by
// xdg-open, then "gio open", then the desktop services, the first that opens it. Returns
// ShellOpenSucceeded once a program was launched; when none opened it, ShellOpenFileNotFound for a
// missing file, ShellOpenNoAssociation when no desktop entry lists the target's type (or the
// address's scheme), ShellOpenFailed otherwise.
int OpenWithAssociatedProgram(const QString& target);
// The same with the given openers and handlers.
int OpenWithDesktopOpeners(const QString& target, const DesktopOpeners& openers);

// Whether a desktop entry (not hidden) under "applications/" of `dataDirs` lists the type of
// `target`, one of its aliases or a type it is a kind of; for an address, its scheme's handler type.
bool DesktopHasHandlerFor(const QString& target, const QStringList& dataDirs);

// Starts the first opener there is for `target` and returns at once, for callers that do not use the
// result: the opener may take seconds, or run the program in its foreground, and the window must not
// wait.
void StartAssociatedProgram(const QString& target);

// The form in which operations take the opener, so that tests never launch programs.
using OpenWithAssociatedProgramFunction = std::function<int(const QString& target)>;

}  // namespace tervalo::platform
