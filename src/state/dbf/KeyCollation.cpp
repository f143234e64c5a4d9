#include "state/dbf/KeyCollation.h"

#include "state/dbf/DbfError.h"

#include <unicode/ucol.h>

namespace tervalo::state::dbf {

struct KeyCollation::Collator {
    UCollator* handle = nullptr;
    ~Collator() {
        if (handle) {
            ucol_close(handle);
        }
    }
};

KeyCollation::KeyCollation(const QString& locale) : m_collator(std::make_unique<Collator>()) {
    UErrorCode status = U_ZERO_ERROR;
    m_collator->handle = ucol_open(locale.toLatin1().constData(), &status);
    if (U_FAILURE(status)) {
        throw DbfError(QStringLiteral("No collation for locale \"%1\".").arg(locale));
    }
    ucol_setStrength(m_collator->handle, UCOL_TERTIARY);
}

KeyCollation::~KeyCollation() = default;

QByteArray KeyCollation::sortKey(QStringView text) const {
    static_assert(sizeof(UChar) == sizeof(char16_t));
    const auto* chars = reinterpret_cast<const UChar*>(text.utf16());
    QByteArray key(int(text.size()) * 4 + 16, Qt::Uninitialized);
    int32_t length = ucol_getSortKey(m_collator->handle, chars, int32_t(text.size()),
                                     reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    if (length > key.size()) {
        key.resize(length);
        length = ucol_getSortKey(m_collator->handle, chars, int32_t(text.size()),
                                 reinterpret_cast<uint8_t*>(key.data()), int32_t(key.size()));
    }
    key.truncate(length);  // the key ends with its 0x00 terminator, so no key is a prefix of another
    return key;
}

int KeyCollation::compare(QStringView a, QStringView b) const {
    return ucol_strcoll(m_collator->handle, reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
                        reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size()));
}

}  // namespace tervalo::state::dbf
