#include "transport/charset/Charset.h"

#include "transport/charset/CharsetTable.h"

#include "platform/SystemLocale.h"

namespace tervalo::transport {

QString charsetLabel(Charset charset) {
    return QLatin1String(charsetInfo(charset).label);
}

Charset localCharsetForCodePage(int ansiCodePage) {
    if (ansiCodePage >= 1250 && ansiCodePage <= 1258) {
        return Charset(int(Charset::CP1250) + (ansiCodePage - 1250));
    }
    if (ansiCodePage >= 28591 && ansiCodePage <= 28599) {
        return Charset(int(Charset::ISO_8859_1) + (ansiCodePage - 28591));
    }
    switch (ansiCodePage) {
        case 852:
            return Charset::CP852;
        case 895:
            return Charset::CP895;
        case 65001:
            return Charset::UTF_8;
        case 437:
        case 850:
        case 20127:
            return Charset::ISO_8859_1;
        case 874:
            return Charset::ISO_8859_15;
        default:
            return Charset::CP1252;
    }
}

Charset LocalCharset(const platform::SystemLocale& locale) {
    return localCharsetForCodePage(locale.ansiCodePage());
}

QByteArray encodeText(QStringView text, Charset charset) {
    if (charset == Charset::UTF_8) {
        return text.toUtf8();
    }
    if (const platform::AnsiCodec* codec = builtInCodec(charset)) {
        return codec->encode(text, '?');
    }
    return text.toLatin1();
}

}  // namespace tervalo::transport
