#include "transport/mime/HeaderEncoding.h"

#include "transport/mime/AddressText.h"

#include <array>
#include <cstdlib>

namespace tervalo::transport {

namespace {

constexpr qsizetype kFoldLimit = 78;
constexpr qsizetype kEncodedWordLength = 32;

bool isHeaderSpecial(uchar byte) {
    switch (byte) {
        case '"':
        case '(':
        case ')':
        case ',':
        case '/':
        case ':':
        case ';':
        case '<':
        case '=':
        case '>':
        case '?':
        case '@':
        case '[':
        case ']':
        case '\\':
        case '_':
            return true;
        default:
            return false;
    }
}

bool isControlOrEightBit(uchar byte) {
    return byte < 32 || byte >= 127;
}

void appendEscaped(QByteArray& out, uchar byte) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    out.append('=');
    out.append(kHex[byte >> 4]);
    out.append(kHex[byte & 0x0F]);
}

// The last "; " or ", " ending at a 1-based position up to the limit, as the 1-based position of
// its punctuation; 0 when there is none.
qsizetype lastPairWithin(const QByteArray& text, const char* pair) {
    return text.lastIndexOf(pair, kFoldLimit - 2) + 1;
}

}  // namespace

QByteArray EncodeHeaderText(QStringView text, const MimeCharsets& charsets) {
    const QByteArray local = charsets.toLocal(text);
    bool needsEncoding = false;
    for (char c : local) {
        const uchar byte = uchar(c);
        if ((isHeaderSpecial(byte) && byte != '_') || isControlOrEightBit(byte)) {
            needsEncoding = true;
            break;
        }
    }
    if (!needsEncoding) {
        return local;
    }

    const Charset charset = charsets.converter.ChooseMimeCharset(local, charsets.local);
    const QByteArray converted = charsets.converter.ConvertCharset(local, charsets.local, charset);
    const QByteArray prefix = "=?" + charsetLabel(charset).toLatin1() + "?Q?";

    QByteArray out;
    QByteArray word;
    auto flushWord = [&] {
        if (!out.isEmpty()) {
            out.append(' ');
        }
        out.append(prefix).append(word).append("?=");
        word.clear();
    };
    for (char c : converted) {
        const uchar byte = uchar(c);
        if (byte == ' ') {
            word.append('_');
            if (word.size() > kEncodedWordLength) {
                flushWord();
            }
        } else if (isHeaderSpecial(byte) || isControlOrEightBit(byte)) {
            appendEscaped(word, byte);
        } else {
            word.append(c);
        }
    }
    if (!word.isEmpty()) {
        flushWord();
    }
    return out;
}

QByteArray EncodeAddressField(QStringView entry, const MimeCharsets& charsets) {
    const QString trimmed = trimControl(entry);
    const QString address = extractAddress(trimmed);
    QString name;
    if (const qsizetype quote = trimmed.indexOf(u'"'); quote >= 0) {
        const qsizetype second = trimmed.indexOf(u'"', quote + 1);
        name = second < 0 ? trimmed.mid(quote + 1) : trimmed.mid(quote + 1, second - quote - 1);
    } else if (const qsizetype angle = trimmed.indexOf(u'<'); angle >= 0) {
        name = trimmed.left(angle);
    } else if (const qsizetype paren = trimmed.indexOf(u'('); paren >= 0) {
        const qsizetype close = trimmed.indexOf(u')', paren + 1);
        name = close < 0 ? trimmed.mid(paren + 1) : trimmed.mid(paren + 1, close - paren - 1);
    }
    name = trimControl(name);
    if (name.isEmpty()) {
        return charsets.toLocal(address);
    }
    const QByteArray encodedName = EncodeHeaderText(name, charsets);
    if (encodedName.startsWith("=?")) {
        // Encoded words must stand bare and be followed by a blank: inside a quoted string or
        // run into "<" they are not encoded words to a reader that keeps to the standard.
        return encodedName + " <" + charsets.toLocal(address) + '>';
    }
    return '"' + encodedName + "\"<" + charsets.toLocal(address) + '>';
}

QByteArray FormatMailDate(const QDateTime& localTime, int biasMinutes) {
    static constexpr std::array<const char*, 7> kDays{"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    static constexpr std::array<const char*, 12> kMonths{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const QDate date = localTime.date();
    const QTime time = localTime.time();
    const int offset = -biasMinutes;
    const int magnitude = std::abs(offset);
    return QByteArray(kDays[std::size_t(date.dayOfWeek() - 1)]) + ", " + QByteArray::number(date.day()) +
           ' ' + kMonths[std::size_t(date.month() - 1)] + ' ' +
           QString::asprintf("%04d %02d:%02d:%02d %c%02d%02d", date.year(), time.hour(), time.minute(),
                             time.second(), offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60)
               .toLatin1();
}

QList<QByteArray> FoldHeaderLine(const QByteArray& line) {
    QList<QByteArray> pieces;
    QByteArray rest = line;
    while (rest.size() >= kFoldLimit) {
        const qsizetype semicolon = lastPairWithin(rest, "; ");
        const qsizetype comma = lastPairWithin(rest, ", ");
        const qsizetype space = rest.lastIndexOf(' ', kFoldLimit - 1) + 1;
        qsizetype cut;
        if (semicolon > 1) {
            cut = semicolon;
        } else if (comma > 1) {
            cut = comma;
        } else if (space > 1) {
            cut = space - 1;
        } else {
            // Nothing to fold at within the limit: fold at the next blank, however far.
            cut = rest.indexOf(' ', 1);
            if (cut < 0) {
                break;
            }
        }
        pieces.append(rest.left(cut));
        rest = rest.mid(cut);
    }
    pieces.append(rest);
    return pieces;
}

}  // namespace tervalo::transport
