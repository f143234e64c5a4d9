#pragma once

#include "report/ReportError.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstring>

namespace tervalo::report {

// Little-endian access to record payloads.
inline uint16_t getU16(const char* p) {
    return uint16_t(uint8_t(p[0]) | (uint8_t(p[1]) << 8));
}
inline uint32_t getU32(const char* p) {
    return uint32_t(uint8_t(p[0])) | (uint32_t(uint8_t(p[1])) << 8) | (uint32_t(uint8_t(p[2])) << 16) |
           (uint32_t(uint8_t(p[3])) << 24);
}
inline void setU16(char* p, uint16_t v) {
    p[0] = char(v & 0xFF);
    p[1] = char(v >> 8);
}
inline void setU32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = char((v >> (8 * i)) & 0xFF);
    }
}
inline void putU8(QByteArray& out, uint8_t v) {
    out.append(char(v));
}
inline void putU16(QByteArray& out, uint16_t v) {
    out.append(char(v & 0xFF));
    out.append(char(v >> 8));
}
inline void putU32(QByteArray& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out.append(char((v >> (8 * i)) & 0xFF));
    }
}
inline void putDouble(QByteArray& out, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(out, uint32_t(bits));
    putU32(out, uint32_t(bits >> 32));
}
inline double getDouble(const char* p) {
    const uint64_t bits = uint64_t(getU32(p)) | (uint64_t(getU32(p + 4)) << 32);
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Reads a payload front to back; running past its end is a format error at the payload's stream
// offset.
class ByteCursor {
public:
    ByteCursor(const QByteArray& bytes, qint64 streamOffset) : m_bytes(bytes), m_streamOffset(streamOffset) {}

    qsizetype pos() const { return m_pos; }
    qsizetype remaining() const { return m_bytes.size() - m_pos; }
    void need(qsizetype n) const {
        if (n < 0 || m_pos + n > m_bytes.size()) {
            throw XlsFormatError(QStringLiteral("záznam je kratší, než jeho obsah udává"),
                                 m_streamOffset + m_pos);
        }
    }
    uint8_t u8() {
        need(1);
        return uint8_t(m_bytes[m_pos++]);
    }
    uint16_t u16() {
        need(2);
        const uint16_t v = getU16(m_bytes.constData() + m_pos);
        m_pos += 2;
        return v;
    }
    uint32_t u32() {
        need(4);
        const uint32_t v = getU32(m_bytes.constData() + m_pos);
        m_pos += 4;
        return v;
    }
    QByteArray bytes(qsizetype n) {
        need(n);
        QByteArray v = m_bytes.mid(m_pos, n);
        m_pos += n;
        return v;
    }
    void skip(qsizetype n) {
        need(n);
        m_pos += n;
    }
    qint64 streamOffset() const { return m_streamOffset + m_pos; }

private:
    const QByteArray& m_bytes;
    qint64 m_streamOffset;
    qsizetype m_pos = 0;
};

}  // namespace tervalo::report
