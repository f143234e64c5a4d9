#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::transport {

// An error of the mail-client interface; the text is the one the user sees. `code` is the MAPI
// result code the error stands for, 0 for errors that have none.
class EJclMapiError : public platform::Error {
public:
    explicit EJclMapiError(const QString& text, int code = 0) : platform::Error(text), m_code(code) {}
    int code() const { return m_code; }

private:
    int m_code;
};

}  // namespace tervalo::transport
