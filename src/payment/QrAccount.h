#pragma once

#include <QMap>
#include <QString>

namespace tervalo::compose {

// An account for payment codes as the user typed it, checked: `iban` is set when the text is a valid
// Czech account "[prefix-]number/bank" or a valid IBAN, `problem` (Czech, for the user) otherwise.
struct QrAccount {
    QString iban;     // upper case, without blanks
    QString problem;  // empty when valid

    bool valid() const { return problem.isEmpty(); }
};

// A Czech account passes the weighted mod-11 check of its prefix (weights 10 5 8 4 2 1) and of its
// number (6 3 7 9 10 5 8 4 2 1), and becomes the IBAN CZkk bbbb pppppp nnnnnnnnnn. An IBAN passes
// the mod-97 check, and a Czech IBAN the mod-11 checks of the account it holds. Blanks are ignored.
QrAccount ParseQrAccount(const QString& text);

// The IBAN of each currency of "EUR=CZ...;USD=CZ..." (upper-case codes), or the problem of the first
// entry that is no valid pair. Empty entries are skipped.
struct QrCurrencyAccounts {
    QMap<QString, QString> ibans;
    QString problem;
};
QrCurrencyAccounts ParseQrCurrencyAccounts(const QString& text);

}  // namespace tervalo::compose
