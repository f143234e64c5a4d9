#include "transport/mailclient/SubmitToSendmail.h"

#include "platform/ChildProcess.h"
#include "transport/mailclient/CheckMapiResult.h"

#include <sysexits.h>

namespace tervalo::transport {

int SubmitToSendmail(const QString& program, const QString& envelopeSender, const QStringList& recipients,
                     const QByteArray& message, std::chrono::milliseconds timeout) {
    QStringList arguments{QStringLiteral("-i")};
    if (!envelopeSender.isEmpty()) {
        arguments << QStringLiteral("-f") << envelopeSender;
    }
    arguments << QStringLiteral("--") << recipients;
    return MapiResultOfSubmission(RunProgramWithInput(program, arguments, message, timeout));
}

int MapiResultOfSubmission(const ProgramOutcome& outcome) {
    if (outcome.kind != ProgramOutcome::Exited) {
        return MAPI_E_FAILURE;
    }
    switch (outcome.exitCode) {
        case EX_OK:
            return SUCCESS_SUCCESS;
        case EX_NOUSER:
        case EX_NOHOST:
            return MAPI_E_UNKNOWN_RECIPIENT;
        case EX_UNAVAILABLE:
        case EX_TEMPFAIL:
        case EX_PROTOCOL:
            return MAPI_E_NETWORK_FAILURE;
        case EX_NOPERM:
            return MAPI_E_LOGIN_FAILURE;
        default:
            return MAPI_E_FAILURE;
    }
}

}  // namespace tervalo::transport
