#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>
#include <cstddef>
#include <unordered_map>

namespace tervalo::platform {

// Conversion between the bytes of a single-byte code page and QString. This is the one place where
// file text in the ANSI code page becomes program text and back.
class AnsiCodec {
public:
    // Throws std::invalid_argument for a code page without a built-in table.
    explicit AnsiCodec(int codePage);

    int codePage() const { return m_codePage; }
    const char* name() const { return m_name; }

    QString decode(const char* data, std::size_t size) const;
    QString decode(const QByteArray& bytes) const {
        return decode(bytes.constData(), std::size_t(bytes.size()));
    }
    // Decodes into `out`, reusing its buffer: no allocation per call when decoding many short texts.
    void decodeInto(const char* data, std::size_t size, QString& out) const;
    char16_t decodeByte(unsigned char byte) const { return m_toUnicode[byte]; }

    // Characters the code page cannot hold become `replacement`.
    QByteArray encode(QStringView text, char replacement = '?') const;
    // Whether every character of the text survives a round trip.
    bool canEncode(QStringView text) const;
    // The byte of one character, or -1 when the code page has none.
    int encodeChar(char16_t ch) const;

    static bool isSupported(int codePage);

private:
    int m_codePage;
    const char* m_name;
    const char16_t* m_toUnicode;
    std::unordered_map<char16_t, unsigned char> m_fromUnicode;  // non-ASCII characters only
};

}  // namespace tervalo::platform
