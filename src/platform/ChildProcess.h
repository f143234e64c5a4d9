#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

namespace tervalo::transport {

// Programs run from an argument list by execve, never through a shell. Both throw
// ProgramStartError with the system's error when the program cannot be run (an argument holding
// a NUL character counts as invalid, since it would be cut short).

// Where a program started detached writes its errors: where ours go, or nowhere (a command-line
// caller reading our error output to its end must not wait for the program).
enum class DetachedErrorOutput { Ours, Discarded };

// Starts `program` in a session of its own and returns once it runs; it is never waited for and
// outlives this process. It holds nothing of ours: /dev/null is its standard input and output, and
// no other descriptor of this process passes to it.
void StartDetachedProgram(const QString& program, const QStringList& arguments,
                          DetachedErrorOutput errors = DetachedErrorOutput::Ours);

struct ProgramOutcome {
    enum Kind { Exited, Crashed, TimedOut };
    Kind kind = Exited;
    int exitCode = 0;  // when Exited
};

// Runs `program` with `input` on its standard input (its output and errors go where ours go) and
// waits for it; a program still running at the timeout is killed.
ProgramOutcome RunProgramWithInput(const QString& program, const QStringList& arguments,
                                   const QByteArray& input, std::chrono::milliseconds timeout);

}  // namespace tervalo::transport
