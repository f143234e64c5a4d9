#pragma once

#include <QString>

namespace tervalo::transport {

// Result codes of the mail-client interface that this program produces itself.
enum MapiResult {
    SUCCESS_SUCCESS = 0,
    MAPI_USER_ABORT = 1,
    MAPI_E_FAILURE = 2,
    MAPI_E_LOGIN_FAILURE = 3,
    MAPI_E_ATTACHMENT_NOT_FOUND = 11,
    MAPI_E_ATTACHMENT_OPEN_FAILURE = 12,
    MAPI_E_UNKNOWN_RECIPIENT = 14,
    MAPI_E_NETWORK_FAILURE = 23,
    MAPI_E_INVALID_RECIPS = 25,
    MAPI_E_NOT_SUPPORTED = 26,
};

// What the user is told of a result code, in Czech: what happened and what to do about it (install
// or choose a mail client, choose SMTP), with the code in parentheses.
QString MapiErrorText(int code);

// Throws EJclMapiError carrying the code, with MapiErrorText as its text.
[[noreturn]] void RaiseMapiError(int code);

// True for success, false for the user's abort; RaiseMapiError for any other code.
bool CheckMapiResult(int code);

}  // namespace tervalo::transport
