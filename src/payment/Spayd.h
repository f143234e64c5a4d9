#pragma once

#include <QString>
#include <QStringList>

namespace tervalo::compose {

// One payment a code asks for.
struct PaymentCode {
    QString iban;
    QString bic;  // optional
    qint64 cents = 0;
    QString currency;
    QString variableSymbol;  // empty: none
    QString message;         // as written in the code (see SpaydMessage)
    QStringList documents;   // the document numbers it pays

    bool operator==(const PaymentCode&) const = default;
};

// The amount with two decimals and a dot: 12345 gives "123.45".
QString SpaydAmount(qint64 cents);

// The Short Payment Descriptor: "SPD*1.0*ACC:iban[+bic]*AM:..*CC:..*MSG:..*X-VS:..", the optional
// fields only when set. No due date (DT is the date of execution) and no CRC32.
QString SpaydText(const PaymentCode& code);

// The message as a code carries it, so the code stays in the QR alphanumeric mode: letters without
// their accents, upper case, anything outside 0-9 A-Z and " $%*+-./:" a space, "*" (the field
// separator) and "%" written "%2A" and "%25" as percent-escapes; at most 60 characters, cut after
// the last whole word that fits (a single longer word is cut, never inside an escape).
QString SpaydMessage(const QString& text);

// The variable symbol for a document: `variableSymbol` when it is 1 to 10 digits; otherwise the
// number when it is 1 to 10 digits, otherwise the digits it contains when they are 1 to 10; none
// (empty) otherwise.
QString PaymentVariableSymbol(const QString& documentNumber, const QString& variableSymbol = {});

}  // namespace tervalo::compose
