#include "transport/mime/BodyEncoding.h"

namespace tervalo::transport {

namespace {
constexpr qsizetype kLineLimit = 78;
constexpr qsizetype kBase64BytesPerLine = 54;
}  // namespace

QList<QByteArray> splitTextLines(const QByteArray& text) {
    QList<QByteArray> lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < size && text[i + 1] == '\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < size) {
        lines.append(text.mid(start));
    }
    return lines;
}

QList<QByteArray> QuotePrintableLine(const QByteArray& line) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    QByteArray encoded;
    encoded.reserve(line.size() * 3);
    for (char c : line) {
        const uchar byte = uchar(c);
        if (byte == '=' || byte < 32 || byte >= 127) {
            encoded.append('=').append(kHex[byte >> 4]).append(kHex[byte & 0x0F]);
        } else {
            encoded.append(c);
        }
    }
    // A blank at the end of a line would be lost in transport (a tab is escaped above already).
    if (encoded.endsWith(' ')) {
        encoded.chop(1);
        encoded.append("=20");
    }

    QList<QByteArray> out;
    QByteArray rest = encoded;
    do {
        if (rest.size() < kLineLimit) {
            out.append(rest);
            rest.clear();
            break;
        }
        // 1-based positions of the last "=" and the last blank within the limit, 0 for none.
        const qsizetype escape = rest.lastIndexOf('=', kLineLimit - 1) + 1;
        const qsizetype blank = rest.lastIndexOf(' ', kLineLimit - 1) + 1;
        qsizetype cut = escape > blank ? escape - 1 : blank - 1;
        if (cut <= 0) {
            cut = kLineLimit;
        }
        QByteArray piece = rest.left(cut);
        rest = rest.mid(cut);
        if (!rest.isEmpty()) {
            piece.append('=');
        }
        out.append(piece);
    } while (!rest.isEmpty());
    return out;
}

QList<QByteArray> base64Lines(const QByteArray& content) {
    QList<QByteArray> lines;
    lines.reserve(content.size() / kBase64BytesPerLine + 1);
    for (qsizetype at = 0; at < content.size(); at += kBase64BytesPerLine) {
        lines.append(content.mid(at, kBase64BytesPerLine).toBase64());
    }
    return lines;
}

}  // namespace tervalo::transport
