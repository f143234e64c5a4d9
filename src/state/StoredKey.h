#pragma once

#include "platform/AnsiCodec.h"
#include "platform/SystemLocale.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace tervalo::state {

// The bytes under which a state table stores a text in its key field: the text upper-cased by the
// locale, encoded in the table's code page, cut or padded with blanks to the field's width. These are
// the bytes the index compares.
class StoredKey {
public:
    StoredKey(const platform::SystemLocale& locale, const platform::AnsiCodec& codec, int width);

    int width() const { return m_width; }
    // Writes width() bytes to `out`.
    void encode(const QString& text, char* out) const;
    QByteArray encode(const QString& text) const;

private:
    // Upper-casing is context-free for these characters in every locale (only combining marks, final
    // sigma and Greek accents depend on their neighbours), so each maps on its own; a character whose
    // upper case is not one character takes the locale's whole-text path.
    static constexpr char16_t kDirectLimit = 0x180;  // Latin-1 and Latin Extended-A
    static constexpr short kNotDirect = -1;

    const platform::SystemLocale& m_locale;
    platform::AnsiCodec m_codec;  // a copy: the key outlives a reopening of its table
    int m_width;
    std::array<short, kDirectLimit> m_direct{};  // encoded upper case, or kNotDirect
};

}  // namespace tervalo::state
