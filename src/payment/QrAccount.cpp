#include "payment/QrAccount.h"

#include <QRegularExpression>

#include <array>

namespace tervalo::compose {

namespace {

bool weightedMod11(const QString& digits, const int* weights, int count) {
    const QString padded = digits.rightJustified(count, QLatin1Char('0'));
    int sum = 0;
    for (int i = 0; i < count; ++i) {
        sum += padded[i].digitValue() * weights[i];
    }
    return sum % 11 == 0;
}

constexpr std::array<int, 6> kPrefixWeights{10, 5, 8, 4, 2, 1};
constexpr std::array<int, 10> kNumberWeights{6, 3, 7, 9, 10, 5, 8, 4, 2, 1};

// The remainder of the IBAN's number form (letters as 10..35, the first four characters moved to
// the end) divided by 97, taken piece by piece so no big numbers are needed.
int ibanRemainder(const QString& iban) {
    const QString moved = iban.mid(4) + iban.left(4);
    int remainder = 0;
    for (const QChar c : moved) {
        const int value = c.isDigit() ? c.digitValue() : c.unicode() - 'A' + 10;
        remainder = value >= 10 ? (remainder * 100 + value) % 97 : (remainder * 10 + value) % 97;
    }
    return remainder;
}

QString czechAccountProblem(const QString& prefix, const QString& number) {
    if (!weightedMod11(prefix, kPrefixWeights.data(), int(kPrefixWeights.size()))) {
        return QStringLiteral("Předčíslí účtu ") + prefix + QStringLiteral(" nevyhovuje kontrole modulo 11.");
    }
    if (number.count(QRegularExpression(QStringLiteral("[1-9]"))) < 2) {
        return QStringLiteral("Číslo účtu ") + number +
               QStringLiteral(" musí mít alespoň dvě nenulové číslice.");
    }
    if (!weightedMod11(number, kNumberWeights.data(), int(kNumberWeights.size()))) {
        return QStringLiteral("Číslo účtu ") + number + QStringLiteral(" nevyhovuje kontrole modulo 11.");
    }
    return {};
}

QrAccount fromCzechAccount(const QString& prefix, const QString& number, const QString& bank) {
    if (QString problem = czechAccountProblem(prefix, number); !problem.isEmpty()) {
        return {{}, problem};
    }
    const QString bban =
        bank + prefix.rightJustified(6, QLatin1Char('0')) + number.rightJustified(10, QLatin1Char('0'));
    const int check = 98 - ibanRemainder(QStringLiteral("CZ00") + bban);
    return {QStringLiteral("CZ") + QString::number(check).rightJustified(2, QLatin1Char('0')) + bban, {}};
}

QrAccount fromIban(const QString& iban) {
    static const QRegularExpression form(QStringLiteral("^[A-Z]{2}[0-9]{2}[A-Z0-9]{11,30}$"));
    if (!form.match(iban).hasMatch()) {
        return {{},
                QStringLiteral("Číslo účtu ") + iban +
                    QStringLiteral(" není ve tvaru předčíslí-číslo/kód banky ani IBAN.")};
    }
    if (ibanRemainder(iban) != 1) {
        return {{}, QStringLiteral("IBAN ") + iban + QStringLiteral(" nevyhovuje kontrole modulo 97.")};
    }
    if (iban.startsWith(QStringLiteral("CZ"))) {
        static const QRegularExpression czech(QStringLiteral("^CZ[0-9]{22}$"));
        if (!czech.match(iban).hasMatch()) {
            return {{}, QStringLiteral("IBAN ") + iban + QStringLiteral(" nemá tvar českého IBAN.")};
        }
        if (QString problem = czechAccountProblem(iban.mid(8, 6), iban.mid(14)); !problem.isEmpty()) {
            return {{}, problem};
        }
    }
    return {iban, {}};
}

}  // namespace

QrAccount ParseQrAccount(const QString& text) {
    QString compact = text;
    compact.remove(QRegularExpression(QStringLiteral("\\s")));
    compact = compact.toUpper();
    if (compact.isEmpty()) {
        return {{}, QStringLiteral("Číslo účtu není vyplněno.")};
    }
    static const QRegularExpression czech(QStringLiteral("^(?:([0-9]{1,6})-)?([0-9]{2,10})/([0-9]{4})$"));
    if (const auto match = czech.match(compact); match.hasMatch()) {
        return fromCzechAccount(match.captured(1), match.captured(2), match.captured(3));
    }
    return fromIban(compact);
}

QrCurrencyAccounts ParseQrCurrencyAccounts(const QString& text) {
    QrCurrencyAccounts result;
    static const QRegularExpression code(QStringLiteral("^[A-Z]{3}$"));
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (entry.trimmed().isEmpty()) {
            continue;
        }
        const qsizetype equals = entry.indexOf(QLatin1Char('='));
        const QString currency = entry.left(equals).trimmed().toUpper();
        if (equals < 0 || !code.match(currency).hasMatch()) {
            result.problem = QStringLiteral("Položka \"") + entry.trimmed() +
                             QStringLiteral("\" nemá tvar MĚNA=IBAN (např. EUR=CZ...).");
            return result;
        }
        const QrAccount account = ParseQrAccount(entry.mid(equals + 1));
        if (!account.valid()) {
            result.problem = currency + QStringLiteral(": ") + account.problem;
            return result;
        }
        result.ibans.insert(currency, account.iban);
    }
    return result;
}

}  // namespace tervalo::compose
