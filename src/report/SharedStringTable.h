#pragma once

#include "report/BiffRecord.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <cstdint>
#include <vector>

namespace tervalo::report {

// XLUnicodeRichExtendedString: the text with its formatting runs and phonetic data kept as raw bytes.
//
//   cch:u16  flags:u8 (0x01 UTF-16LE else one byte per char, 0x04 ExtRst, 0x08 rich runs)
//   [cRun:u16] [cbExtRst:u32]  characters  cRun*4 run bytes  cbExtRst bytes
struct RichString {
    QString text;
    QByteArray runs;
    QByteArray extRst;
    bool operator==(const RichString&) const = default;
};

// The workbook's shared strings. Reading accepts every legal split over CONTINUE records; writing
// splits by the rules Excel follows and produces the EXTSST index with stream offsets.
class SharedStringTable {
public:
    static constexpr int MaxChars = 32767;

    // Parses an SST record (with its CONTINUE records).
    static SharedStringTable parse(const BiffRecord& sst);

    const std::vector<RichString>& strings() const { return m_strings; }
    const QString& text(uint32_t index) const { return m_strings[index].text; }
    uint32_t size() const { return uint32_t(m_strings.size()); }
    // The index of a plain string, adding it when it is not there yet.
    uint32_t add(const QString& text);
    uint32_t add(const RichString& string);

    // SST and CONTINUE records followed by EXTSST, at the writer's position (EXTSST holds absolute
    // stream offsets). `totalRefs` is the number of LABELSST cells in the workbook.
    void write(RecordWriter& writer, uint32_t totalRefs) const;

private:
    std::vector<RichString> m_strings;
    QHash<QString, uint32_t> m_plainIndex;
};

}  // namespace tervalo::report
