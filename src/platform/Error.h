#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::platform {

// The base of every error this program raises on purpose: a text for the user and, where the error
// concerns a file, its path and the byte offset (or record) where it was found. The places that tell
// the user of an error catch this type; any other exception is a programming error and goes on to
// the last-resort handler, which reports it with its type.
class Error : public std::runtime_error {
public:
    explicit Error(const QString& text, QString path = {}, qint64 offset = -1)
        : std::runtime_error(text.toStdString()), m_text(text), m_path(std::move(path)), m_offset(offset) {}

    const QString& text() const { return m_text; }
    const QString& path() const { return m_path; }  // empty when no file is concerned
    qint64 offset() const { return m_offset; }      // -1 when none is known

private:
    QString m_text;
    QString m_path;
    qint64 m_offset;
};

}  // namespace tervalo::platform
