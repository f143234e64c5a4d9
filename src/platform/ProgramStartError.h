#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::transport {

// A program could not be started: the system's error number and its text.
class ProgramStartError : public platform::Error {
public:
    ProgramStartError(const QString& program, int errorNumber, const QString& systemText)
        : platform::Error(QStringLiteral("Program %1 nelze spustit: %2 (chyba %3).")
                              .arg(program, systemText)
                              .arg(errorNumber),
                          program),
          m_code(errorNumber) {}
    int code() const { return m_code; }

private:
    int m_code;
};

}  // namespace tervalo::transport
