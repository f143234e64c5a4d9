#include "state/StoredKey.h"

#include <algorithm>
#include <cstring>

namespace tervalo::state {

StoredKey::StoredKey(const platform::SystemLocale& locale, const platform::AnsiCodec& codec, int width)
    : m_locale(locale), m_codec(codec), m_width(width) {
    for (char16_t c = 0; c < kDirectLimit; ++c) {
        const QString upper = m_locale.toUpper(QString(QChar(c)));
        m_direct[c] = upper.size() == 1 ? short(quint8(m_codec.encode(upper).at(0))) : kNotDirect;
    }
}

void StoredKey::encode(const QString& text, char* out) const {
    const qsizetype used = std::min<qsizetype>(text.size(), m_width);
    const char16_t* chars = reinterpret_cast<const char16_t*>(text.utf16());
    qsizetype i = 0;
    for (; i < used; ++i) {
        const char16_t c = chars[i];
        if (c >= kDirectLimit || m_direct[c] == kNotDirect) {
            break;
        }
        out[i] = char(m_direct[c]);
    }
    if (i == used) {
        std::memset(out + used, ' ', std::size_t(m_width - used));
        return;
    }
    const QByteArray bytes = m_codec.encode(m_locale.toUpper(text)).left(m_width);
    std::memcpy(out, bytes.constData(), std::size_t(bytes.size()));
    std::memset(out + bytes.size(), ' ', std::size_t(m_width - bytes.size()));
}

QByteArray StoredKey::encode(const QString& text) const {
    QByteArray bytes(m_width, Qt::Uninitialized);
    encode(text, bytes.data());
    return bytes;
}

}  // namespace tervalo::state
