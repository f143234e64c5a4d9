#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

namespace tervalo::test {

// A program a test runs. Every field but `program` has a default, so call sites can name only what
// they need: runProcess({.program = p, .arguments = {...}, .timeoutMs = 600000}).
struct ProcessSpec {
    QString program;
    QStringList arguments = {};
    QByteArray input = {};                                // its standard input, closed by finish()
    std::optional<QProcessEnvironment> environment = {};  // nothing: the test's own
    QString workingDirectory = {};                        // empty: the test's own
    int timeoutMs = 120000;
    // Death by a signal is an outcome the test examines (a program killed on purpose), not a failure.
    bool mayBeKilled = false;
};

struct ProcessResult {
    int exitCode = -1;    // -1 when the program did not start, crashed or ran out of time
    bool killed = false;  // ended by a signal
    QByteArray out;
    QByteArray err;
};

// A program running beside the test. A program that cannot start, crashes (unless it may be killed)
// or outlives its time fails the test with its name and what it printed on stderr; its exit code is
// the caller's to judge.
class ChildProcess {
public:
    explicit ChildProcess(ProcessSpec spec);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return m_started; }
    // The next line of its standard output, without the line end; empty when none came in time.
    QByteArray readLine(int timeoutMs);
    // True when it ended by itself within `timeoutMs`; finish() then collects what it printed.
    bool endsWithin(int timeoutMs);
    // Ends it at once with SIGKILL, wherever it is; a spec with mayBeKilled lets finish() accept that.
    void kill();
    // Asks it to end with SIGTERM; it ends as it handles the signal.
    void terminate();
    // Closes its standard input and waits for it to end.
    ProcessResult finish();

private:
    ProcessSpec m_spec;
    QProcess m_process;
    bool m_started = false;
    bool m_finished = false;
};

ProcessResult runProcess(ProcessSpec spec);

// Debian's python3 (which sees Debian's Python packages) with these arguments: its standard output.
// A non-zero exit fails the test.
QByteArray runPython(const QStringList& arguments);

}  // namespace tervalo::test
