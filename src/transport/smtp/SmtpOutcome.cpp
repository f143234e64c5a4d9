#include "transport/smtp/SmtpOutcome.h"

namespace tervalo::transport {

std::optional<QString> unusableSecurityReason(int value) {
    if (value >= int(SmtpSecurity::None) && value <= int(SmtpSecurity::Tls)) {
        return std::nullopt;
    }
    return QStringLiteral(
               "nastavení SMTPSecurity má neplatnou hodnotu %1 (platné jsou 0 bez šifrování, 1 STARTTLS, "
               "2 TLS). Nic nebylo odesláno; zvolte v nastavení zabezpečení spojení.")
        .arg(value);
}

QString stageName(SmtpStage stage) {
    switch (stage) {
        case SmtpStage::Connect:
            return QStringLiteral("connect");
        case SmtpStage::Tls:
            return QStringLiteral("tls");
        case SmtpStage::Authentication:
            return QStringLiteral("authentication");
        case SmtpStage::Sender:
            return QStringLiteral("sender");
        case SmtpStage::Recipient:
            return QStringLiteral("recipient");
        case SmtpStage::Data:
            return QStringLiteral("data");
    }
    return {};
}

QString stageCaption(SmtpStage stage) {
    switch (stage) {
        case SmtpStage::Connect:
            return QStringLiteral("připojení k serveru");
        case SmtpStage::Tls:
            return QStringLiteral("šifrování spojení (TLS)");
        case SmtpStage::Authentication:
            return QStringLiteral("ověření účtu");
        case SmtpStage::Sender:
            return QStringLiteral("adresa odesílatele");
        case SmtpStage::Recipient:
            return QStringLiteral("adresa příjemce");
        case SmtpStage::Data:
            return QStringLiteral("přenos zprávy");
    }
    return {};
}

}  // namespace tervalo::transport
