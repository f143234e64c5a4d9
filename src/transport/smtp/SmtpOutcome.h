#pragma once

#include <QString>

#include <optional>

namespace tervalo::transport {

// How a session protects itself: plain text (as without the setting), STARTTLS after the first EHLO,
// or TLS from the first byte. The numbers are those kept in the configuration file.
enum class SmtpSecurity { None = 0, StartTls = 1, Tls = 2 };

// Why the stored SMTPSecurity `value` cannot be used (it is none of 0, 1, 2), in Czech words that
// continue a sentence; none when it can. An unknown value is never taken for plain text, since the
// user may have meant encryption.
std::optional<QString> unusableSecurityReason(int value);

// The steps of a session in their order, each a place where it can fail.
enum class SmtpStage { Connect, Tls, Authentication, Sender, Recipient, Data };

// "connect", "tls", "authentication", "sender", "recipient", "data".
QString stageName(SmtpStage stage);
// The stage in Czech words, for messages to the user.
QString stageCaption(SmtpStage stage);

// What one delivery came to: on failure the stage that failed and the server's reply to it, or the
// reason in Czech words when there was no reply (no connection, a certificate refused).
struct SmtpOutcome {
    bool delivered = false;
    SmtpStage stage = SmtpStage::Connect;
    QString reply;
    // The session refused to go on (an encryption failure, an address that would break its command
    // line, a reply beyond any sane size) rather than being refused by the server.
    bool sessionError = false;
    // The caller held the message back before it was committed; the server has not taken it.
    bool withdrawn = false;
};

}  // namespace tervalo::transport
