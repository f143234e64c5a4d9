#pragma once

#include "transport/charset/Charset.h"

#include <QByteArray>

namespace tervalo::transport {

// Converts text between character sets through UTF-16. The C library's iconv serves every pair it
// knows; the built-in single-byte tables serve the rest, and all pairs when the converter is made
// with `BuiltInTables` (what a system without a conversion library gets).
class CharsetConverter {
public:
    enum class Engine { ConversionLibrary, BuiltInTables };
    // What happens to a character the target set cannot hold.
    enum class Purpose {
        Sending,    // becomes "_" (iconv: transliterated where it can be, else dropped)
        RoundTrip,  // dropped
    };

    explicit CharsetConverter(Engine engine = Engine::ConversionLibrary) : m_engine(engine) {}

    Engine engine() const { return m_engine; }

    // Never fails: what cannot be converted is replaced or dropped as `purpose` says.
    QByteArray ConvertCharset(const QByteArray& text, Charset source, Charset target,
                              Purpose purpose = Purpose::Sending) const;

    // The first MIME candidate that carries the first 1024 characters of `localText` through a
    // round trip unchanged, else the one that kept the most of them (the earlier one on a tie).
    Charset ChooseMimeCharset(const QByteArray& localText, Charset local) const;

private:
    Engine m_engine;
};

}  // namespace tervalo::transport
