#include "payment/QrPlatbaCodes.h"

namespace tervalo::compose {

namespace {

constexpr qint64 kMaxCents = 999999999;  // 9 999 999.99
constexpr int kMaxPerDocumentCodes = 10;

QString shownAmount(qint64 cents) {
    return cents < 0 ? QLatin1Char('-') + SpaydAmount(-cents) : SpaydAmount(cents);
}

QString ibanFor(const QString& currency, const QrPaymentAccounts& accounts) {
    return currency == QStringLiteral("CZK") ? accounts.czkIban : accounts.otherIbans.value(currency);
}

class Planner {
public:
    Planner(const QrPaymentAccounts& accounts, const std::function<QString(const QStringList&)>& message)
        : m_accounts(accounts), m_message(message) {}

    void add(const QStringList& documents, qint64 cents, const QString& currency,
             const QString& variableSymbol, const QString& what) {
        const QString iban = ibanFor(currency, m_accounts);
        if (iban.isEmpty()) {
            if (!m_currenciesWithoutAccount.contains(currency)) {
                m_currenciesWithoutAccount.append(currency);
                plan.reasons.append(QStringLiteral("Pro měnu ") + currency +
                                    QStringLiteral(" není nastaven účet, QR platba se v ní nevytvoří."));
            }
            return;
        }
        if (cents <= 0 || cents > kMaxCents) {
            plan.reasons.append(
                what + QStringLiteral(": částka ") + shownAmount(cents) + QLatin1Char(' ') + currency +
                (cents <= 0 ? QStringLiteral(" není kladná") : QStringLiteral(" přesahuje 9999999.99")) +
                QStringLiteral(", QR platba se nevytvoří."));
            return;
        }
        PaymentCode code;
        code.iban = iban;
        code.bic = currency == QStringLiteral("CZK") ? m_accounts.bic : QString();
        code.cents = cents;
        code.currency = currency;
        code.variableSymbol = variableSymbol;
        code.message = SpaydMessage(m_message(documents));
        code.documents = documents;
        plan.codes.push_back(code);
    }

    QrCodePlan plan;

private:
    const QrPaymentAccounts& m_accounts;
    const std::function<QString(const QStringList&)>& m_message;
    QStringList m_currenciesWithoutAccount;
};

// A debtor without anything to pay is told so too, rather than getting no code without a word.
QrCodePlan finished(QrCodePlan plan) {
    if (plan.codes.empty() && plan.reasons.isEmpty()) {
        plan.reasons.append(QStringLiteral("Žádný zahrnutý doklad k úhradě, QR platba se nevytvoří."));
    }
    return plan;
}

}  // namespace

QString QrCurrencyCode(const QString& currency) {
    const QString code = currency.trimmed().toUpper();
    return code.isEmpty() || code == QStringLiteral("KČ") ? QStringLiteral("CZK") : code;
}

QrCodePlan PlanPaymentCodes(const std::vector<QrDocument>& documents, const QrPaymentAccounts& accounts,
                            const std::function<QString(const QStringList& documents)>& message) {
    Planner planner(accounts, message);
    qsizetype invoices = 0;
    for (const QrDocument& document : documents) {
        invoices += document.creditNote ? 0 : 1;
    }
    if (accounts.perDocument && invoices <= kMaxPerDocumentCodes) {
        for (const QrDocument& document : documents) {
            if (!document.creditNote) {
                planner.add({document.number}, document.cents, QrCurrencyCode(document.currency),
                            PaymentVariableSymbol(document.number, document.variableSymbol),
                            QStringLiteral("Doklad ") + document.number);
            }
        }
        return finished(std::move(planner.plan));
    }

    QStringList currencies;
    for (const QrDocument& document : documents) {
        if (const QString currency = QrCurrencyCode(document.currency); !currencies.contains(currency)) {
            currencies.append(currency);
        }
    }
    for (const QString& currency : currencies) {
        QStringList numbers;
        qint64 total = 0;
        for (const QrDocument& document : documents) {
            if (QrCurrencyCode(document.currency) == currency) {
                numbers.append(document.number);
                total += document.creditNote ? -qAbs(document.cents) : document.cents;
            }
        }
        planner.add(numbers, total, currency, QString(), QStringLiteral("Doklady v měně ") + currency);
    }
    return finished(std::move(planner.plan));
}

}  // namespace tervalo::compose
