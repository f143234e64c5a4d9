#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::memtable {

// Misuse of a table (unknown field or index, wrong state, closed table, value of the wrong kind).
// The text names the table and what went wrong.
class MemTableError : public std::runtime_error {
public:
    MemTableError(const QString& table, const QString& message)
        : std::runtime_error((table + QStringLiteral(": ") + message).toStdString()),
          m_table(table),
          m_message(message) {}

    const QString& table() const { return m_table; }
    const QString& message() const { return m_message; }

private:
    QString m_table;
    QString m_message;
};

}  // namespace tervalo::memtable
