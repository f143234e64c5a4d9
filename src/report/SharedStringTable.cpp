#include "report/SharedStringTable.h"

#include "report/ByteIo.h"

#include <algorithm>

namespace tervalo::report {

namespace {

constexpr uint8_t HighByte = 0x01;
constexpr uint8_t HasExtRst = 0x04;
constexpr uint8_t HasRuns = 0x08;

// Reads across the CONTINUE boundaries of one logical record. Character data that goes on in a new
// CONTINUE record is preceded there by a flags byte giving the width of the rest.
class ContinuedReader {
public:
    explicit ContinuedReader(const BiffRecord& record) : m_rec(record) {}

    bool atBoundary() {
        while (m_next < m_rec.continueAt.size() && m_rec.continueAt[m_next] < m_pos) {
            ++m_next;
        }
        return m_next < m_rec.continueAt.size() && m_rec.continueAt[m_next] == m_pos;
    }
    uint8_t u8() {
        need(1);
        return uint8_t(m_rec.data[m_pos++]);
    }
    uint16_t u16() {
        need(2);
        const uint16_t v = getU16(m_rec.data.constData() + m_pos);
        m_pos += 2;
        return v;
    }
    uint32_t u32() {
        need(4);
        const uint32_t v = getU32(m_rec.data.constData() + m_pos);
        m_pos += 4;
        return v;
    }
    QByteArray raw(qsizetype n) {
        need(n);
        QByteArray v = m_rec.data.mid(m_pos, n);
        m_pos += n;
        return v;
    }
    QString chars(int count, bool wide) {
        QString text;
        text.reserve(count);
        for (int i = 0; i < count; ++i) {
            if (i > 0 && atBoundary()) {
                wide = (u8() & HighByte) != 0;
            }
            text.append(QChar(wide ? u16() : char16_t(u8())));
        }
        return text;
    }

private:
    void need(qsizetype n) const {
        if (m_pos + n > m_rec.data.size()) {
            throw XlsFormatError(QStringLiteral("tabulka sdílených textů je kratší, než udává"),
                                 m_rec.offset);
        }
    }
    const BiffRecord& m_rec;
    qsizetype m_pos = 0;
    size_t m_next = 0;
};

// Builds the SST payload with CONTINUE splits, tracking where each physical record starts.
class SplitBuilder {
public:
    QByteArray data;
    std::vector<qsizetype> splits;

    qsizetype room() const { return MaxRecordPayload - (data.size() - recordStart()); }
    qsizetype recordStart() const { return splits.empty() ? 0 : splits.back(); }
    void startContinue() { splits.push_back(data.size()); }
};

}  // namespace

SharedStringTable SharedStringTable::parse(const BiffRecord& sst) {
    ContinuedReader in(sst);
    SharedStringTable table;
    in.u32();  // total references, recomputed on write
    const uint32_t unique = in.u32();
    table.m_strings.reserve(std::min<uint32_t>(unique, 1u << 20));
    for (uint32_t i = 0; i < unique; ++i) {
        RichString s;
        const uint16_t cch = in.u16();
        const uint8_t flags = in.u8();
        const uint16_t runCount = (flags & HasRuns) ? in.u16() : 0;
        const uint32_t extSize = (flags & HasExtRst) ? in.u32() : 0;
        bool wide = (flags & HighByte) != 0;
        if (cch > 0 && in.atBoundary()) {
            wide = (in.u8() & HighByte) != 0;
        }
        s.text = in.chars(cch, wide);
        s.runs = in.raw(qsizetype(runCount) * 4);
        s.extRst = in.raw(extSize);
        table.m_strings.push_back(std::move(s));
        if (table.m_strings.back().runs.isEmpty() && table.m_strings.back().extRst.isEmpty()) {
            table.m_plainIndex.insert(table.m_strings.back().text, i);
        }
    }
    return table;
}

uint32_t SharedStringTable::add(const QString& text) {
    if (auto it = m_plainIndex.constFind(text); it != m_plainIndex.constEnd()) {
        return it.value();
    }
    const uint32_t index = size();
    m_strings.push_back(RichString{text, {}, {}});
    m_plainIndex.insert(text, index);
    return index;
}

uint32_t SharedStringTable::add(const RichString& string) {
    if (string.runs.isEmpty() && string.extRst.isEmpty()) {
        return add(string.text);
    }
    m_strings.push_back(string);
    return size() - 1;
}

void SharedStringTable::write(RecordWriter& writer, uint32_t totalRefs) const {
    const qint64 sstHeader = writer.pos();
    const uint32_t unique = size();
    const uint32_t perBucket = std::max<uint32_t>(unique / 128 + 1, 8);

    SplitBuilder b;
    putU32(b.data, totalRefs);
    putU32(b.data, unique);
    QByteArray extSst;
    putU16(extSst, uint16_t(perBucket));
    for (uint32_t i = 0; i < unique; ++i) {
        const RichString& s = m_strings[i];
        const bool wide =
            std::any_of(s.text.begin(), s.text.end(), [](QChar c) { return c.unicode() > 0xFF; });
        const int width = wide ? 2 : 1;
        const qsizetype header = 3 + (s.runs.isEmpty() ? 0 : 2) + (s.extRst.isEmpty() ? 0 : 4);
        // A header is never split, and at least one character must follow it in the same record.
        if (b.room() < header + (s.text.isEmpty() ? 0 : width)) {
            b.startContinue();
        }
        if (i % perBucket == 0) {
            const qsizetype inRecord = b.data.size() - b.recordStart() + 4;
            const qint64 absolute = sstHeader + 4 + b.data.size() + 4 * qint64(b.splits.size());
            putU32(extSst, uint32_t(absolute));
            putU16(extSst, uint16_t(inRecord));
            putU16(extSst, 0);
        }
        putU16(b.data, uint16_t(s.text.size()));
        putU8(b.data, uint8_t((wide ? HighByte : 0) | (s.runs.isEmpty() ? 0 : HasRuns) |
                              (s.extRst.isEmpty() ? 0 : HasExtRst)));
        if (!s.runs.isEmpty()) {
            putU16(b.data, uint16_t(s.runs.size() / 4));
        }
        if (!s.extRst.isEmpty()) {
            putU32(b.data, uint32_t(s.extRst.size()));
        }
        for (qsizetype c = 0; c < s.text.size(); ++c) {
            if (b.room() < width) {
                b.startContinue();
                putU8(b.data, wide ? HighByte : 0);
            }
            const uint16_t code = s.text[c].unicode();
            if (wide) {
                putU16(b.data, code);
            } else {
                putU8(b.data, uint8_t(code));
            }
        }
        for (qsizetype r = 0; r < s.runs.size(); r += 4) {
            if (b.room() < 4) {
                b.startContinue();
            }
            b.data.append(s.runs.mid(r, 4));
        }
        for (qsizetype e = 0; e < s.extRst.size();) {
            if (b.room() == 0) {
                b.startContinue();
            }
            const qsizetype n = std::min(b.room(), s.extRst.size() - e);
            b.data.append(s.extRst.mid(e, n));
            e += n;
        }
    }
    writer.writeSplit(rid::Sst, b.data, b.splits);
    writer.write(rid::ExtSst, extSst);
}

}  // namespace tervalo::report
