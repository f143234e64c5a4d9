#pragma once

#include <QByteArray>

#include <cstdint>
#include <vector>

namespace tervalo::report {

// Record identifiers the engine reads or writes; every other record is carried through unchanged.
namespace rid {
constexpr uint16_t Formula = 0x0006;
constexpr uint16_t Eof = 0x000A;
constexpr uint16_t Header = 0x0014;
constexpr uint16_t Footer = 0x0015;
constexpr uint16_t ExternSheet = 0x0017;
constexpr uint16_t Name = 0x0018;
constexpr uint16_t HorizontalPageBreaks = 0x001B;
constexpr uint16_t Note = 0x001C;
constexpr uint16_t DateMode = 0x0022;
constexpr uint16_t FilePass = 0x002F;
constexpr uint16_t Continue = 0x003C;
constexpr uint16_t DefColWidth = 0x0055;
constexpr uint16_t Obj = 0x005D;
constexpr uint16_t Uncalced = 0x005E;
constexpr uint16_t BoundSheet = 0x0085;
constexpr uint16_t MulRk = 0x00BD;
constexpr uint16_t MulBlank = 0x00BE;
constexpr uint16_t RString = 0x00D6;
constexpr uint16_t DbCell = 0x00D7;
constexpr uint16_t ObProj = 0x00D3;
constexpr uint16_t MergedCells = 0x00E5;
constexpr uint16_t MsoDrawing = 0x00EC;
constexpr uint16_t Sst = 0x00FC;
constexpr uint16_t LabelSst = 0x00FD;
constexpr uint16_t ExtSst = 0x00FF;
constexpr uint16_t SupBook = 0x01AE;
constexpr uint16_t CondFmt = 0x01B0;
constexpr uint16_t DVal = 0x01B2;
constexpr uint16_t TxO = 0x01B6;
constexpr uint16_t HLink = 0x01B8;
constexpr uint16_t Dimensions = 0x0200;
constexpr uint16_t Blank = 0x0201;
constexpr uint16_t Number = 0x0203;
constexpr uint16_t Label = 0x0204;
constexpr uint16_t BoolErr = 0x0205;
constexpr uint16_t String = 0x0207;
constexpr uint16_t Row = 0x0208;
constexpr uint16_t Index = 0x020B;
constexpr uint16_t Array = 0x0221;
constexpr uint16_t Table = 0x0236;
constexpr uint16_t Rk = 0x027E;
constexpr uint16_t ShrFmla = 0x04BC;
constexpr uint16_t Bof = 0x0809;
}  // namespace rid

// Largest record payload Excel accepts; longer data goes on in CONTINUE records.
constexpr int MaxRecordPayload = 8224;

// One logical record: its payload with the payloads of any CONTINUE records that followed it
// appended, and where each of those began, so an untouched record is written back split exactly as
// it was read.
struct BiffRecord {
    uint16_t id = 0;
    QByteArray data;
    std::vector<qsizetype> continueAt;
    qint64 offset = 0;  // stream offset of the record's header
};

// Splits a Workbook stream into logical records. Zero padding after the last record ends the stream.
std::vector<BiffRecord> readRecords(const QByteArray& stream);

// Appends records to a stream, refusing payloads over the record limit.
class RecordWriter {
public:
    explicit RecordWriter(QByteArray& out) : m_out(out) {}
    qint64 pos() const { return m_out.size(); }
    void write(uint16_t id, const QByteArray& payload);
    // Writes `record.data` as the record and its CONTINUE records, split where it was read.
    void write(const BiffRecord& record);
    // Writes `data` split at `splits` (offsets of the CONTINUE records' starts).
    void writeSplit(uint16_t id, const QByteArray& data, const std::vector<qsizetype>& splits);

private:
    QByteArray& m_out;
};

}  // namespace tervalo::report
