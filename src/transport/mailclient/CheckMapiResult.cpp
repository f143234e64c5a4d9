#include "transport/mailclient/CheckMapiResult.h"

#include "transport/mailclient/EJclMapiError.h"

namespace tervalo::transport {

QString MapiErrorText(int code) {
    const QString smtpInstead = QStringLiteral("zvolte v nastavení odesílání pomocí SMTP serveru.");
    QString text;
    switch (code) {
        case MAPI_E_FAILURE:
            text = QStringLiteral(
                       "Předání zprávy e-mailovému klientovi nebo systémové poště se nezdařilo "
                       "(chyba %1). Zkontrolujte jejich nastavení, nebo ") +
                   smtpInstead;
            break;
        case MAPI_E_LOGIN_FAILURE:
            text = QStringLiteral(
                       "Poštovní server odmítl přihlášení systémové pošty (chyba %1). Zkontrolujte "
                       "jméno a heslo v jejím nastavení, nebo ") +
                   smtpInstead;
            break;
        case MAPI_E_ATTACHMENT_NOT_FOUND:
            text = QStringLiteral("Soubor přílohy nebyl nalezen (chyba %1). Odešlete upomínku znovu.");
            break;
        case MAPI_E_ATTACHMENT_OPEN_FAILURE:
            text = QStringLiteral(
                "Soubor přílohy nelze otevřít (chyba %1). Zkontrolujte přístup k dočasné "
                "složce a odešlete upomínku znovu.");
            break;
        case MAPI_E_UNKNOWN_RECIPIENT:
            text = QStringLiteral(
                "Poštovní server adresu příjemce nezná nebo ji odmítl (chyba %1). Opravte "
                "e-mailovou adresu odběratele nebo adresu kopie.");
            break;
        case MAPI_E_NETWORK_FAILURE:
            text = QStringLiteral(
                       "Systémová pošta nemohla zprávu předat poštovnímu serveru (chyba %1). "
                       "Zkontrolujte připojení k internetu a nastavení systémové pošty, nebo ") +
                   smtpInstead;
            break;
        case MAPI_E_INVALID_RECIPS:
            text = QStringLiteral(
                "E-mailová adresa příjemce, kopie nebo odesílatele chybí nebo není platná "
                "(chyba %1). Opravte ji a odešlete upomínku znovu.");
            break;
        case MAPI_E_NOT_SUPPORTED:
            text = QStringLiteral(
                       "Zvolený e-mailový klient tento způsob odeslání neumí (chyba %1). Vyberte "
                       "v nastavení jiného e-mailového klienta, nebo ") +
                   smtpInstead;
            break;
        default:
            text = QStringLiteral(
                       "E-mailový klient ohlásil chybu (chyba %1). Odešlete upomínku znovu, vyberte "
                       "v nastavení jiného e-mailového klienta, nebo ") +
                   smtpInstead;
    }
    return text.arg(code);
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
    throw EJclMapiError(MapiErrorText(code), code);
}

}  // namespace tervalo::transport
