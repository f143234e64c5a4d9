#include "transport/AddressText.h"

namespace tervalo::transport {

QString trimControl(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= u' ') {
        ++begin;
    }
    while (end > begin && text[end - 1].unicode() <= u' ') {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

QString extractAddress(QStringView entry) {
    const qsizetype open = entry.indexOf(u'<');
    if (open < 0) {
        return trimControl(entry);
    }
    const qsizetype close = entry.indexOf(u'>', open + 1);
    return trimControl(close < 0 ? entry.mid(open + 1) : entry.mid(open + 1, close - open - 1));
}

bool isControlCharacter(QChar ch) {
    return ch.category() == QChar::Other_Control;  // C0, DEL and C1
}

std::optional<QString> controlCharacterProblem(QStringView address) {
    for (QChar ch : address) {
        if (isControlCharacter(ch)) {
            return QStringLiteral("obsahuje nepovolený řídicí znak (kód %1)").arg(ch.unicode());
        }
    }
    return std::nullopt;
}

std::optional<QString> addressFieldWarning(const QString& caption, QStringView address) {
    const std::optional<QString> problem = controlCharacterProblem(address);
    if (!problem) {
        return std::nullopt;
    }
    return QStringLiteral("Pole „") + caption + QStringLiteral("“ ") + *problem +
           QStringLiteral(". Opravte ho prosím.");
}

QString controlCharactersAsSpaces(QStringView text) {
    QString result = text.toString();
    for (QChar& ch : result) {
        if (isControlCharacter(ch)) {
            ch = u' ';
        }
    }
    return result;
}

}  // namespace tervalo::transport
