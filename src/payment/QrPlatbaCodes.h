#pragma once

#include "payment/Spayd.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace tervalo::compose {

// An included document of a debtor, as payment codes see it.
struct QrDocument {
    QString number;
    QString variableSymbol;  // the export's own, may be empty
    qint64 cents = 0;        // remaining amount; credit notes count as negative whatever their sign
    QString currency;
    bool creditNote = false;
};

// The accounts and the way codes are made.
struct QrPaymentAccounts {
    QString czkIban;
    QString bic;                        // goes with the CZK account
    QMap<QString, QString> otherIbans;  // by upper-case currency code
    bool perDocument = true;            // QRRezim 1; otherwise one code per currency
};

// The codes for a debtor's included documents and, for the user, why a document or currency got
// none. Per document: every invoice gets a code with its variable symbol; credit notes get none. For
// the total, or per document with more than 10 invoices: one code per currency (in order of first
// appearance) for the sum of invoices less credit notes, without variable symbol. A currency without
// an account and an amount not above 0 or above 9 999 999.99 give no code. `message` makes the
// text for the documents a code pays, before it is made fit for the code.
struct QrCodePlan {
    std::vector<PaymentCode> codes;
    QStringList reasons;
};
QrCodePlan PlanPaymentCodes(const std::vector<QrDocument>& documents, const QrPaymentAccounts& accounts,
                            const std::function<QString(const QStringList& documents)>& message);

// "CZK" for an empty currency and for "Kč"; otherwise the code in upper case.
QString QrCurrencyCode(const QString& currency);

}  // namespace tervalo::compose
