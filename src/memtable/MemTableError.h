#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::memtable {

// Misuse of a table (unknown field or index, wrong state, closed table, value of the wrong kind).
// The text names the table and what went wrong.
class MemTableError : public platform::Error {
public:
    MemTableError(const QString& table, const QString& message)
        : platform::Error(table + QStringLiteral(": ") + message), m_table(table) {}

    const QString& table() const { return m_table; }

private:
    QString m_table;
};

}  // namespace tervalo::memtable
