#pragma once

#include <QString>

#include <ostream>

// Lets GoogleTest print Qt texts readably when an assertion fails.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
