#pragma once

#include <QString>

#include <functional>

namespace tervalo::platform {

// Result codes of opening a file or address with its associated program, as the shell's "open"
// verb reports them: above 32 on success, ShellOpenNoAssociation when no program is registered for
// the file type, other values up to 32 for other failures.
inline constexpr int ShellOpenSucceeded = 33;
inline constexpr int ShellOpenNoAssociation = 31;

// Opens `target` (a file path or an address) with the program the desktop associates with it, via
// xdg-open. Returns ShellOpenSucceeded once the program was launched; ShellOpenNoAssociation when
// xdg-open is missing or reports that no handler exists or that launching it failed (its exit
// statuses 3 and 4); xdg-open's own status (1 bad arguments, 2 no such file) otherwise.
int OpenWithAssociatedProgram(const QString& target);

// Starts the opener for `target` and returns at once, for callers that do not use the result: the
// opener may take seconds, or run the program in its foreground, and the window must not wait.
void StartAssociatedProgram(const QString& target);

// The form in which operations take the opener, so that tests never launch programs.
using OpenWithAssociatedProgramFunction = std::function<int(const QString& target)>;

}  // namespace tervalo::platform
