#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::transport {

// An error of the mail-client interface; the text is the one the user sees.
class EJclMapiError : public std::runtime_error {
public:
    explicit EJclMapiError(const QString& text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString& text() const { return m_text; }

private:
    QString m_text;
};

}  // namespace tervalo::transport
