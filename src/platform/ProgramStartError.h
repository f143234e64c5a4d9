#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::transport {

// A program could not be started: the system's error number and its text.
class ProgramStartError : public std::runtime_error {
public:
    ProgramStartError(const QString& program, int errorNumber, const QString& systemText)
        : ProgramStartError(QStringLiteral("Program %1 nelze spustit: %2 (chyba %3).")
                                .arg(program, systemText)
                                .arg(errorNumber),
                            errorNumber) {}
    const QString& text() const { return m_text; }
    int code() const { return m_code; }

private:
    ProgramStartError(const QString& text, int code)
        : std::runtime_error(text.toStdString()), m_text(text), m_code(code) {}

    QString m_text;
    int m_code;
};

}  // namespace tervalo::transport
