#include "transport/mime/AddressText.h"

#include <QUrl>

#include <algorithm>

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

namespace tervalo::transport {

namespace {

bool isAtomCharacter(QChar ch) {
    static const QStringView kSpecials = u"!#$%&'*+-/=?^_`{|}~";
    return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') || (ch >= u'0' && ch <= u'9') ||
           kSpecials.contains(ch);
}

// Dot-separated runs of atom characters, none of them empty.
bool isDotAtom(QStringView text) {
    if (text.isEmpty()) {
        return false;
    }
    for (QStringView atom : text.split(u'.')) {
        if (atom.isEmpty() || !std::all_of(atom.begin(), atom.end(), isAtomCharacter)) {
            return false;
        }
    }
    return true;
}

bool isHostLabel(QStringView label) {
    return !label.isEmpty() && label.size() <= 63 && !label.startsWith(u'-') && !label.endsWith(u'-') &&
           std::all_of(label.begin(), label.end(), [](QChar ch) {
               return (ch >= u'a' && ch <= u'z') || (ch >= u'A' && ch <= u'Z') ||
                      (ch >= u'0' && ch <= u'9') || ch == u'-';
           });
}

// The domain in its ASCII form (an internationalised one as its "xn--" labels) must be a host name
// of two labels or more.
bool isMailDomain(QStringView domain) {
    if (domain.isEmpty() ||
        std::any_of(domain.begin(), domain.end(), [](QChar ch) { return ch.isSpace(); })) {
        return false;
    }
    const QByteArray ace = QUrl::toAce(domain.toString(), QUrl::AceTransitionalProcessing);
    if (ace.isEmpty() || ace.size() > 253) {
        return false;
    }
    const QStringList labels = QString::fromLatin1(ace).split(u'.');
    return labels.size() >= 2 &&
           std::all_of(labels.begin(), labels.end(), [](const QString& label) { return isHostLabel(label); });
}

}  // namespace

QStringList addressList(QStringView field) {
    QStringList addresses;
    qsizetype begin = 0;
    for (qsizetype i = 0; i <= field.size(); ++i) {
        if (i == field.size() || field[i] == u',' || field[i] == u';') {
            if (QString entry = trimControl(field.mid(begin, i - begin)); !entry.isEmpty()) {
                addresses.append(entry);
            }
            begin = i + 1;
        }
    }
    return addresses;
}

bool isValidMailbox(QStringView address) {
    const qsizetype at = address.lastIndexOf(u'@');
    if (at <= 0 || at > 64) {
        return false;
    }
    return isDotAtom(address.first(at)) && isMailDomain(address.sliced(at + 1));
}

std::optional<QString> invalidAddressWarning(QStringView field) {
    const QStringList addresses = addressList(field);
    if (addresses.isEmpty()) {
        return QStringLiteral("Musíte zadat platnou e-mailovou adresu.");
    }
    for (const QString& address : addresses) {
        if (!isValidMailbox(address)) {
            return QStringLiteral("„") + controlCharactersAsSpaces(address) +
                   QStringLiteral(
                       "“ není platná e-mailová adresa. Zadejte adresu ve tvaru "
                       "jmeno@domena.cz, více adres oddělte čárkou nebo středníkem.");
        }
    }
    return std::nullopt;
}

}  // namespace tervalo::transport
