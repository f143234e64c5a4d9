#include "payment/Spayd.h"

#include <QRegularExpression>

namespace tervalo::compose {

namespace {

constexpr qsizetype kMaxMessage = 60;

bool isQrAlphanumeric(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || QStringLiteral(" $%*+-./:").contains(c);
}

QString escaped(const QString& text) {
    QString out = text;
    out.replace(QLatin1Char('%'), QStringLiteral("%25"));
    out.replace(QLatin1Char('*'), QStringLiteral("%2A"));
    return out;
}

bool isDigits(const QString& text) {
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,10}$"));
    return digits.match(text).hasMatch();
}

}  // namespace

QString SpaydAmount(qint64 cents) {
    return QString::number(cents / 100) + QLatin1Char('.') +
           QString::number(cents % 100).rightJustified(2, QLatin1Char('0'));
}

QString SpaydText(const PaymentCode& code) {
    QString text = QStringLiteral("SPD*1.0*ACC:") + code.iban;
    if (!code.bic.isEmpty()) {
        text += QLatin1Char('+') + code.bic;
    }
    text += QStringLiteral("*AM:") + SpaydAmount(code.cents) + QStringLiteral("*CC:") + code.currency;
    if (!code.message.isEmpty()) {
        text += QStringLiteral("*MSG:") + code.message;
    }
    if (!code.variableSymbol.isEmpty()) {
        text += QStringLiteral("*X-VS:") + code.variableSymbol;
    }
    return text;
}

QString SpaydMessage(const QString& text) {
    QString plain;
    for (const QChar c : text.normalized(QString::NormalizationForm_KD)) {
        if (c.category() == QChar::Mark_NonSpacing) {
            continue;
        }
        const QChar upper = c.toUpper();
        plain += isQrAlphanumeric(upper) ? upper : QLatin1Char(' ');
    }
    plain = plain.simplified();

    QString result;
    for (const QString& word : plain.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString next = result.isEmpty() ? escaped(word) : result + QLatin1Char(' ') + escaped(word);
        if (next.size() > kMaxMessage) {
            if (result.isEmpty()) {
                // One word longer than the field: as much of it as fits, escapes kept whole.
                for (const QChar c : word) {
                    const QString piece = escaped(QString(c));
                    if (result.size() + piece.size() > kMaxMessage) {
                        break;
                    }
                    result += piece;
                }
            }
            break;
        }
        result = next;
    }
    return result;
}

QString PaymentVariableSymbol(const QString& documentNumber, const QString& variableSymbol) {
    if (isDigits(variableSymbol.trimmed())) {
        return variableSymbol.trimmed();
    }
    const QString number = documentNumber.trimmed();
    if (isDigits(number)) {
        return number;
    }
    QString digits = number;
    digits.remove(QRegularExpression(QStringLiteral("[^0-9]")));
    return isDigits(digits) ? digits : QString();
}

}  // namespace tervalo::compose
