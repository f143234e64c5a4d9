#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace tervalo::platform {
class SystemLocale;
}

namespace tervalo::transport {

// The character sets program text and mail text can be in.
enum class Charset {
    ISO_8859_1,
    ISO_8859_2,
    ISO_8859_3,
    ISO_8859_4,
    ISO_8859_5,
    ISO_8859_6,
    ISO_8859_7,
    ISO_8859_8,
    ISO_8859_9,
    ISO_8859_10,
    ISO_8859_13,
    ISO_8859_14,
    ISO_8859_15,
    CP1250,
    CP1251,
    CP1252,
    CP1253,
    CP1254,
    CP1255,
    CP1256,
    CP1257,
    CP1258,
    KOI8_R,
    KOI8_U,
    CP852,
    CP895,
    ISO_2022_JP,
    EUC_CN,
    EUC_TW,
    EUC_KR,
    UTF_8,
};

// The label written into messages ("ISO-8859-2", "ISO_8859-8", "CN-GB"...).
QString charsetLabel(Charset charset);

// The character set of all program text for an ANSI code page number.
Charset localCharsetForCodePage(int ansiCodePage);
Charset LocalCharset(const platform::SystemLocale& locale);

// Program text (QString) as bytes in a character set; characters the set cannot hold become "?",
// as they would in the ANSI string of a Windows program.
QByteArray encodeText(QStringView text, Charset charset);

}  // namespace tervalo::transport
