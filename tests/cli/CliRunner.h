#pragma once

#include "support/RunProcess.h"

#include <QString>
#include <QStringList>

namespace tervalo::test {

// Runs the staged tervalo-cli and collects what it printed.
struct CliResult {
    int exitCode = -1;
    QString out;
    QString err;
};

inline CliResult runCli(const QStringList& args) {
    const ProcessResult result =
        runProcess({.program = QStringLiteral(TERVALO_APP_DIR "/tervalo-cli"), .arguments = args});
    return {result.exitCode, QString::fromUtf8(result.out), QString::fromUtf8(result.err)};
}

}  // namespace tervalo::test
