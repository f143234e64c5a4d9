#include "platform/AnsiCodec.h"

#include "platform/SingleByteTables.h"

#include <stdexcept>
#include <string>

namespace tervalo::platform {

namespace {
const SingleByteTable* findTable(int codePage) {
    for (const auto& table : singleByteTables()) {
        if (table.codePage == codePage) {
            return &table;
        }
    }
    return nullptr;
}
}  // namespace

bool AnsiCodec::isSupported(int codePage) {
    return findTable(codePage) != nullptr;
}

AnsiCodec::AnsiCodec(int codePage) : m_codePage(codePage) {
    const SingleByteTable* table = findTable(codePage);
    if (!table) {
        throw std::invalid_argument("unsupported code page " + std::to_string(codePage));
    }
    m_name = table->name;
    m_toUnicode = table->toUnicode;
    for (int b = 0x80; b < 256; ++b) {
        // First byte wins where a code page maps two bytes to one character.
        m_fromUnicode.emplace(m_toUnicode[b], static_cast<unsigned char>(b));
    }
}

QString AnsiCodec::decode(const char* data, std::size_t size) const {
    QString out;
    decodeInto(data, size, out);
    return out;
}

void AnsiCodec::decodeInto(const char* data, std::size_t size, QString& out) const {
    out.resize(qsizetype(size));
    char16_t* dst = reinterpret_cast<char16_t*>(out.data());
    const auto* src = reinterpret_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        dst[i] = m_toUnicode[src[i]];
    }
}

int AnsiCodec::encodeChar(char16_t ch) const {
    if (ch < 0x80) {
        return ch;
    }
    auto it = m_fromUnicode.find(ch);
    return it == m_fromUnicode.end() ? -1 : it->second;
}

QByteArray AnsiCodec::encode(QStringView text, char replacement) const {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        int b = encodeChar(text[i].unicode());
        dst[i] = b < 0 ? replacement : static_cast<char>(b);
    }
    return out;
}

bool AnsiCodec::canEncode(QStringView text) const {
    for (QChar ch : text) {
        if (encodeChar(ch.unicode()) < 0) {
            return false;
        }
    }
    return true;
}

}  // namespace tervalo::platform
