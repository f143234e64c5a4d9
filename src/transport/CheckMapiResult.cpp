#include "transport/CheckMapiResult.h"

#include "transport/EJclMapiError.h"

#include <array>

namespace tervalo::transport {

QString MapiErrorDescription(int code) {
    static constexpr std::array<const char*, 27> kDescriptions{
        "",
        "User abort",
        "General MAPI failure",
        "MAPI login failure",
        "Disk full",
        "Insufficient memory",
        "Access denied",
        "",
        "Too many sessions",
        "Too many files were specified",
        "Too many recipients were specified",
        "A specified attachment was not found",
        "Attachment open failure",
        "Attachment write failure",
        "Unknown recipient",
        "Bad recipient type",
        "No messages",
        "Invalid message",
        "Text too large",
        "Invalid session",
        "Type not supported",
        "A recipient was specified ambiguously",
        "Message in use",
        "Network failure",
        "Invalid edit fields",
        "Invalid recipients",
        "Not supported",
    };
    if (code < 0 || code >= int(kDescriptions.size())) {
        return {};
    }
    return QString::fromLatin1(kDescriptions[size_t(code)]);
}

bool CheckMapiResult(int code) {
    if (code == SUCCESS_SUCCESS) {
        return true;
    }
    if (code == MAPI_USER_ABORT) {
        return false;
    }
    RaiseMapiError(code);
}

void RaiseMapiError(int code) {
    throw EJclMapiError(QStringLiteral("MAPI Error: (%1) \"%2\"").arg(code).arg(MapiErrorDescription(code)),
                        code);
}

}  // namespace tervalo::transport
