#include "platform/ChildProcess.h"

#include "platform/ProgramStartError.h"

#include <QFile>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tervalo::transport {

namespace {

// The argument vector execve takes; the byte arrays own the texts the pointers refer to.
class ArgumentVector {
public:
    ArgumentVector(const QString& program, const QStringList& arguments) {
        m_texts.push_back(QFile::encodeName(program));
        for (const QString& argument : arguments) {
            m_texts.push_back(argument.toLocal8Bit());
        }
        for (QByteArray& text : m_texts) {
            if (text.contains('\0')) {
                throw ProgramStartError(program, EINVAL, QString::fromLocal8Bit(std::strerror(EINVAL)));
            }
            m_pointers.push_back(text.data());
        }
        m_pointers.push_back(nullptr);
    }
    const char* path() const { return m_texts.front().constData(); }
    char* const* argv() { return m_pointers.data(); }

private:
    std::vector<QByteArray> m_texts;
    std::vector<char*> m_pointers;
};

[[noreturn]] void failStart(const QString& program, int errorNumber) {
    throw ProgramStartError(program, errorNumber, QString::fromLocal8Bit(std::strerror(errorNumber)));
}

void closeDescriptor(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Every descriptor from 3 up closes when the program starts. The fallback for kernels without
// close_range walks up to the limit of open files, taken before the fork.
void closeDescriptorsOnExec(int openFilesLimit) {
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) == 0) {
        return;
    }
    for (int fd = 3; fd < openFilesLimit; ++fd) {
        const int flags = ::fcntl(fd, F_GETFD);
        if (flags >= 0) {
            ::fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
        }
    }
}

// Standard input and output, and with `discardErrors` the error output, from /dev/null. Opened
// without close-on-exec: when a standard descriptor was closed, it takes that place itself.
bool useNullDevice(bool discardErrors) {
    const int null = ::open("/dev/null", O_RDWR);
    if (null < 0) {
        return false;
    }
    const bool done = ::dup2(null, STDIN_FILENO) >= 0 && ::dup2(null, STDOUT_FILENO) >= 0 &&
                      (!discardErrors || ::dup2(null, STDERR_FILENO) >= 0);
    if (null > STDERR_FILENO) {
        ::close(null);
    }
    return done;
}

// Only async-signal-safe calls: the process that runs this may have other threads.
[[noreturn]] void runDetachedChild(const char* path, char* const* argv, int errorPipe, bool discardErrors,
                                   int openFilesLimit) {
    ::setsid();
    const pid_t grandchild = ::fork();
    if (grandchild == 0) {
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction defaultAction {};
        defaultAction.sa_handler = SIG_DFL;
        ::sigaction(SIGPIPE, &defaultAction, nullptr);
        // The standard descriptors are about to be replaced; the error report must survive that.
        if (errorPipe <= STDERR_FILENO) {
            errorPipe = ::fcntl(errorPipe, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        }
        if (useNullDevice(discardErrors)) {
            closeDescriptorsOnExec(openFilesLimit);
            ::execve(path, argv, environ);
        }
    }
    if (grandchild > 0) {
        ::_exit(0);
    }
    const int error = errno;
    [[maybe_unused]] const ssize_t written = ::write(errorPipe, &error, sizeof error);
    ::_exit(127);
}

// Writes all of `input` to `fd` (non-blocking) before `deadline`; stops early when the reader has
// closed its end. SIGPIPE is held back in this thread meanwhile and a pending one discarded.
void writeInput(int fd, const QByteArray& input, std::chrono::steady_clock::time_point deadline) {
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
    qsizetype done = 0;
    while (done < input.size()) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            break;
        }
        pollfd ready{fd, POLLOUT, 0};
        if (::poll(&ready, 1, int(left.count())) <= 0) {
            continue;
        }
        const ssize_t written = ::write(fd, input.constData() + done, size_t(input.size() - done));
        if (written > 0) {
            done += written;
        } else if (errno != EAGAIN && errno != EINTR) {
            break;
        }
    }
    const timespec noWait{0, 0};
    while (sigtimedwait(&pipeSignal, nullptr, &noWait) > 0) {
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

}  // namespace

void StartDetachedProgram(const QString& program, const QStringList& arguments, DetachedErrorOutput errors) {
    ArgumentVector argv(program, arguments);
    const long openFilesLimit = ::sysconf(_SC_OPEN_MAX);
    int errorPipe[2];
    if (::pipe2(errorPipe, O_CLOEXEC) != 0) {
        failStart(program, errno);
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(errorPipe[0]);
        runDetachedChild(argv.path(), argv.argv(), errorPipe[1], errors == DetachedErrorOutput::Discarded,
                         openFilesLimit > 0 ? int(std::min(openFilesLimit, long(INT_MAX))) : 1024);
    }
    const int forkError = errno;
    ::close(errorPipe[1]);
    if (child < 0) {
        ::close(errorPipe[0]);
        failStart(program, forkError);
    }
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // Nothing to read once the program runs: execve closed the pipe's last writer.
    int startError = 0;
    ssize_t got;
    do {
        got = ::read(errorPipe[0], &startError, sizeof startError);
    } while (got < 0 && errno == EINTR);
    ::close(errorPipe[0]);
    if (got == ssize_t(sizeof startError)) {
        failStart(program, startError);
    }
}

ProgramOutcome RunProgramWithInput(const QString& program, const QStringList& arguments,
                                   const QByteArray& input, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    ArgumentVector argv(program, arguments);
    int inputPipe[2];
    if (::pipe2(inputPipe, O_CLOEXEC) != 0) {
        failStart(program, errno);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, inputPipe[0], STDIN_FILENO);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &pipeSignal);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t child = -1;
    const int spawnError = posix_spawn(&child, argv.path(), &actions, &attributes, argv.argv(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    int readEnd = inputPipe[0];
    int writeEnd = inputPipe[1];
    closeDescriptor(readEnd);
    if (spawnError != 0) {
        closeDescriptor(writeEnd);
        failStart(program, spawnError);
    }
    ::fcntl(writeEnd, F_SETFL, O_NONBLOCK);
    writeInput(writeEnd, input, deadline);
    closeDescriptor(writeEnd);

    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            return {ProgramOutcome::Crashed, 0};
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(child, SIGKILL);
            while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return {ProgramOutcome::TimedOut, 0};
        }
        QThread::msleep(10);
    }
    if (WIFEXITED(status)) {
        return {ProgramOutcome::Exited, WEXITSTATUS(status)};
    }
    return {ProgramOutcome::Crashed, 0};
}

}  // namespace tervalo::transport
