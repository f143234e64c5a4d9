#include "report/BiffRecord.h"

#include "report/ByteIo.h"

namespace tervalo::report {

std::vector<BiffRecord> readRecords(const QByteArray& stream) {
    std::vector<BiffRecord> records;
    qsizetype pos = 0;
    while (pos + 4 <= stream.size()) {
        const uint16_t id = getU16(stream.constData() + pos);
        const uint16_t len = getU16(stream.constData() + pos + 2);
        if (id == 0 && len == 0) {
            break;
        }
        if (pos + 4 + len > stream.size()) {
            throw XlsFormatError(
                QStringLiteral("záznam 0x%1 přesahuje konec dat").arg(id, 4, 16, QLatin1Char('0')), pos);
        }
        const QByteArray payload = stream.mid(pos + 4, len);
        if (id == rid::Continue && !records.empty()) {
            BiffRecord& last = records.back();
            last.continueAt.push_back(last.data.size());
            last.data.append(payload);
        } else {
            records.push_back(BiffRecord{id, payload, {}, pos});
        }
        pos += 4 + len;
    }
    return records;
}

void RecordWriter::write(uint16_t id, const QByteArray& payload) {
    if (payload.size() > MaxRecordPayload) {
        throw ReportError(QStringLiteral("Záznam 0x%1 je delší než %2 bajtů a nelze jej zapsat.")
                              .arg(id, 4, 16, QLatin1Char('0'))
                              .arg(MaxRecordPayload));
    }
    putU16(m_out, id);
    putU16(m_out, uint16_t(payload.size()));
    m_out.append(payload);
}

void RecordWriter::write(const BiffRecord& record) {
    writeSplit(record.id, record.data, record.continueAt);
}

void RecordWriter::writeSplit(uint16_t id, const QByteArray& data, const std::vector<qsizetype>& splits) {
    qsizetype start = 0;
    uint16_t currentId = id;
    for (qsizetype split : splits) {
        write(currentId, data.mid(start, split - start));
        start = split;
        currentId = rid::Continue;
    }
    write(currentId, data.mid(start));
}

}  // namespace tervalo::report
