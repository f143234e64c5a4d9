#include "transport/mailclient/MailClientErrors.h"

#include "transport/mailclient/EJclMapiError.h"

namespace tervalo::transport {

void RaiseNoDesktopMailClient() {
    throw EJclMapiError(QStringLiteral(
        "Není nainstalován žádný e-mailový klient, který by zprávu zobrazil k odeslání. Nainstalujte "
        "e-mailový klient (např. Thunderbird) a nastavte ho jako výchozí pro e-mail, nebo zvolte v nastavení "
        "odesílání pomocí SMTP serveru."));
}

void RaiseNoMailSubmission() {
    throw EJclMapiError(QStringLiteral(
        "Pro odesílání pomocí poštovního klienta bez okna chybí systémový program pro odesílání pošty "
        "(sendmail). Nainstalujte ho (např. balíček msmtp-mta nebo postfix), nebo zvolte v nastavení "
        "odesílání pomocí SMTP serveru."));
}

void RaiseClientNotListed() {
    throw EJclMapiError(QStringLiteral(
        "Vybraný e-mailový klient není v seznamu nainstalovaných klientů. Vyberte v nastavení jiného "
        "e-mailového klienta, nebo zvolte odesílání pomocí SMTP serveru."));
}

}  // namespace tervalo::transport
