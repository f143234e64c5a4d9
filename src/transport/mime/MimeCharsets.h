#pragma once

#include "transport/charset/Charset.h"
#include "transport/charset/CharsetConverter.h"

namespace tervalo::transport {

// How program text becomes message bytes: the local character set the text is held in (what
// `LocalCharset` gives) and the converter to the MIME charsets.
struct MimeCharsets {
    Charset local = Charset::CP1250;
    CharsetConverter converter;

    QByteArray toLocal(QStringView text) const { return encodeText(text, local); }
};

}  // namespace tervalo::transport
