#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::transport {

// An error of the mail-client interface; the text is the one the user sees. `code` is the MAPI
// result code the error stands for, 0 for errors that have none.
class EJclMapiError : public std::runtime_error {
public:
    explicit EJclMapiError(const QString& text, int code = 0)
        : std::runtime_error(text.toStdString()), m_text(text), m_code(code) {}
    const QString& text() const { return m_text; }
    int code() const { return m_code; }

private:
    QString m_text;
    int m_code;
};

}  // namespace tervalo::transport
