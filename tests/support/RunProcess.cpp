#include "support/RunProcess.h"

#include <gtest/gtest.h>

#include <utility>

namespace tervalo::test {

namespace {

std::string describe(const ProcessSpec& spec) {
    return (QStringList{spec.program} + spec.arguments).join(QLatin1Char(' ')).left(300).toStdString();
}

}  // namespace

ChildProcess::ChildProcess(ProcessSpec spec) : m_spec(std::move(spec)) {
    if (m_spec.environment) {
        m_process.setProcessEnvironment(*m_spec.environment);
    }
    if (!m_spec.workingDirectory.isEmpty()) {
        m_process.setWorkingDirectory(m_spec.workingDirectory);
    }
    m_process.start(m_spec.program, m_spec.arguments);
    m_started = m_process.waitForStarted(30000);
    if (!m_started) {
        ADD_FAILURE() << "could not start " << describe(m_spec) << ": "
                      << m_process.errorString().toStdString();
        return;
    }
    if (!m_spec.input.isEmpty()) {
        m_process.write(m_spec.input);
    }
}

ChildProcess::~ChildProcess() {
    if (m_started && !m_finished) {
        m_process.kill();
        m_process.waitForFinished(10000);
    }
}

QByteArray ChildProcess::readLine(int timeoutMs) {
    while (m_started && !m_process.canReadLine() && m_process.waitForReadyRead(timeoutMs)) {
    }
    QByteArray line = m_process.readLine();
    while (line.endsWith('\n') || line.endsWith('\r')) {
        line.chop(1);
    }
    return line;
}

bool ChildProcess::endsWithin(int timeoutMs) {
    return m_started && m_process.waitForFinished(timeoutMs);
}

void ChildProcess::kill() {
    if (m_started) {
        m_process.kill();
    }
}

void ChildProcess::terminate() {
    if (m_started) {
        m_process.terminate();
    }
}

ProcessResult ChildProcess::finish() {
    ProcessResult result;
    if (!m_started || m_finished) {
        return result;
    }
    m_finished = true;
    m_process.closeWriteChannel();
    if (m_process.state() != QProcess::NotRunning && !m_process.waitForFinished(m_spec.timeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(10000);
        result.err = m_process.readAllStandardError();
        ADD_FAILURE() << describe(m_spec) << " did not end within " << m_spec.timeoutMs << " ms; stderr:\n"
                      << result.err.toStdString();
        return result;
    }
    result.out = m_process.readAllStandardOutput();
    result.err = m_process.readAllStandardError();
    if (m_process.exitStatus() == QProcess::CrashExit) {
        result.killed = true;
        if (!m_spec.mayBeKilled) {
            ADD_FAILURE() << describe(m_spec) << " crashed; stderr:\n" << result.err.toStdString();
        }
        return result;
    }
    result.exitCode = m_process.exitCode();
    return result;
}

ProcessResult runProcess(ProcessSpec spec) {
    return ChildProcess(std::move(spec)).finish();
}

QByteArray runPython(const QStringList& arguments) {
    const ProcessResult result =
        runProcess({.program = QStringLiteral(TERVALO_PYTHON), .arguments = arguments});
    EXPECT_EQ(result.exitCode, 0) << "python3 " << arguments.join(QLatin1Char(' ')).left(300).toStdString()
                                  << "\n"
                                  << result.err.toStdString();
    return result.out;
}

}  // namespace tervalo::test
