#include "sending/SubmissionStatusNote.h"

namespace tervalo::sending {

QString SubmissionStatusNote(const transport::MailSubmissionProgram& program) {
    if (!program.found()) {
        return QStringLiteral(
            " Poznámka: systémový program pro odesílání pošty (sendmail) nebyl nalezen; "
            "v nastavení zvolte odesílání pomocí SMTP serveru.");
    }
    QString note =
        QStringLiteral(" Poznámka: zprávy byly předány systémovému programu pro odesílání pošty (%1)")
            .arg(program.name);
    if (program.queueHint.isEmpty()) {
        return note + QStringLiteral(", který je hned odeslal na poštovní server.");
    }
    return note + QStringLiteral("; ten je odešle sám, ") + program.queueHint + QLatin1Char('.');
}

}  // namespace tervalo::sending
