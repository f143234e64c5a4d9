#include "report/BiffRecord.h"
#include "report/ByteIo.h"
#include "report/Formula.h"
#include "report/RkValue.h"
#include "report/SharedStringTable.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tervalo::report;

TEST(RkValue, decodesEachOfItsFourForms) {
    EXPECT_EQ(decodeRk(0x3FF00000), 1.0);    // double
    EXPECT_EQ(decodeRk(0x3FF00001), 0.01);   // double / 100
    EXPECT_EQ(decodeRk(0x00000006), 1.0);    // integer
    EXPECT_EQ(decodeRk(0x0000134B), 12.34);  // integer 1234 / 100
    EXPECT_EQ(decodeRk(0xFFFFFFFE), -1.0);   // negative integer
}

TEST(RkValue, encodesOnlyWhatDecodesToTheSameDouble) {
    struct Case {
        double value;
        bool encodable;
    };
    const Case cases[] = {{0, true},         {1, true},          {-1, true},        {100, true},
                          {1.5, true},       {0.01, true},       {12.34, true},     {-987654.32, true},
                          {536870911, true}, {-536870912, true}, {536870912, true}, {3.14159265358979, false},
                          {1e300, false},    {45351, true},      {0.1, true},       {1234567.891, false}};
    for (const Case& c : cases) {
        const auto rk = encodeRk(c.value);
        EXPECT_EQ(rk.has_value(), c.encodable) << c.value;
        if (rk) {
            EXPECT_EQ(decodeRk(*rk), c.value) << c.value;
        }
    }
}

namespace {

// The physical records of a stream with their payload sizes.
std::vector<std::pair<uint16_t, int>> physicalRecords(const QByteArray& stream) {
    std::vector<std::pair<uint16_t, int>> records;
    for (qsizetype pos = 0; pos + 4 <= stream.size(); pos += 4 + getU16(stream.constData() + pos + 2)) {
        records.emplace_back(getU16(stream.constData() + pos), getU16(stream.constData() + pos + 2));
    }
    return records;
}

RichString rich(const QString& text, int runs, int extBytes) {
    RichString s{text, {}, {}};
    for (int r = 0; r < runs; ++r) {
        putU16(s.runs, uint16_t(r * 3));
        putU16(s.runs, uint16_t(r % 5));
    }
    for (int e = 0; e < extBytes; ++e) {
        s.extRst.append(char(e * 7));
    }
    return s;
}

struct SstCase {
    const char* name;
    std::vector<RichString> strings;
};

void PrintTo(const SstCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<SstCase> sstCases() {
    std::vector<SstCase> cases;
    {
        SstCase c{"many_short_strings", {}};
        for (int i = 0; i < 12000; ++i) {
            c.strings.push_back({QStringLiteral("Dlužník %1").arg(i), {}, {}});
        }
        cases.push_back(c);
    }
    cases.push_back({"long_latin1_string_over_three_records", {{QString(20000, QLatin1Char('x')), {}, {}}}});
    cases.push_back({"long_wide_string_never_splits_a_character", {{QString(20000, QChar(0x0159)), {}, {}}}});
    cases.push_back({"narrow_then_wide_across_the_boundary",
                     {{QString(8000, QLatin1Char('a')), {}, {}},
                      {QString(500, QLatin1Char('b')) + QString(500, QChar(0x20AC)), {}, {}}}});
    // 8 bytes of counts + 3 + 8210 leaves exactly 3 bytes: room for the next header but not for its first
    // character, which must move the whole string to the next record.
    cases.push_back({"header_fits_but_no_character",
                     {{QString(8210, QLatin1Char('h')), {}, {}}, {QStringLiteral("next"), {}, {}}}});
    cases.push_back({"header_and_one_character_fit",
                     {{QString(8209, QLatin1Char('h')), {}, {}}, {QStringLiteral("next"), {}, {}}}});
    cases.push_back(
        {"rich_runs_across_the_boundary",
         {{QString(8150, QLatin1Char('r')), {}, {}}, rich(QStringLiteral("formátovaný"), 40, 0)}});
    cases.push_back({"ext_rst_across_the_boundary",
                     {{QString(8180, QLatin1Char('e')), {}, {}}, rich(QStringLiteral("ふりがな"), 2, 300)}});
    cases.push_back(
        {"empty_strings", {{QString(), {}, {}}, {QStringLiteral("a"), {}, {}}, {QString(), {}, {}}}});
    return cases;
}

class SstRoundTrip : public testing::TestWithParam<SstCase> {};

}  // namespace

TEST_P(SstRoundTrip, writesWithinLimitsAndReadsBackWhole) {
    SharedStringTable table;
    for (const RichString& s : GetParam().strings) {
        table.add(s);
    }
    QByteArray stream(100, '\0');  // the SST does not start the stream: EXTSST offsets are absolute
    RecordWriter writer(stream);
    table.write(writer, 7);
    const QByteArray written = stream.mid(100);

    for (const auto& [id, size] : physicalRecords(written)) {
        EXPECT_LE(size, MaxRecordPayload);
    }
    const std::vector<BiffRecord> records = readRecords(written);
    ASSERT_EQ(records.size(), 2u);
    ASSERT_EQ(records[0].id, rid::Sst);
    EXPECT_EQ(getU32(records[0].data.constData()), 7u);
    EXPECT_EQ(SharedStringTable::parse(records[0]).strings(), table.strings());

    // Each EXTSST bucket points at its first string's header, in the record that holds it.
    const QByteArray& ext = records[1].data;
    const int perBucket = getU16(ext.constData());
    for (qsizetype b = 0; 2 + 8 * b < ext.size(); ++b) {
        const uint32_t at = getU32(ext.constData() + 2 + 8 * b) - 100;
        const uint16_t inRecord = getU16(ext.constData() + 6 + 8 * b);
        EXPECT_EQ(getU16(written.constData() + at), table.strings()[size_t(b * perBucket)].text.size());
        qsizetype recordStart = 0;
        while (recordStart + 4 + getU16(written.constData() + recordStart + 2) <= qsizetype(at)) {
            recordStart += 4 + getU16(written.constData() + recordStart + 2);
        }
        EXPECT_EQ(inRecord, at - recordStart);
    }
}

INSTANTIATE_TEST_SUITE_P(Splits, SstRoundTrip, testing::ValuesIn(sstCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(SharedStringTable, readsCharactersStartingInTheNextRecordAfterAHeader) {
    // Another writer ended the SST right after a string's header; its characters follow in a
    // CONTINUE that opens with a flags byte (here switching to UTF-16).
    QByteArray stream;
    QByteArray sst;
    putU32(sst, 1);
    putU32(sst, 2);
    putU16(sst, 2);
    putU8(sst, 0);
    sst.append("ok");
    putU16(sst, 3);
    putU8(sst, 0);
    RecordWriter writer(stream);
    writer.write(rid::Sst, sst);
    QByteArray cont;
    putU8(cont, 1);
    for (char16_t c : u"ŘŽŠ") {
        if (c != 0) {
            putU16(cont, c);
        }
    }
    writer.write(rid::Continue, cont);
    const SharedStringTable table = SharedStringTable::parse(readRecords(stream).front());
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table.text(1), QStringLiteral("ŘŽŠ"));
}

TEST(SharedStringTable, addReusesPlainStringsButKeepsRichOnesApart) {
    SharedStringTable table;
    EXPECT_EQ(table.add(QStringLiteral("a")), 0u);
    EXPECT_EQ(table.add(rich(QStringLiteral("a"), 1, 0)), 1u);
    EXPECT_EQ(table.add(QStringLiteral("a")), 0u);
}

TEST(RecordWriter, refusesAPayloadOverTheLimitAndKeepsContinueSplits) {
    QByteArray out;
    RecordWriter writer(out);
    EXPECT_THROW(writer.write(rid::Number, QByteArray(MaxRecordPayload + 1, 'x')), ReportError);
    BiffRecord record{0x00EC, QByteArray(9000, 'd'), {8000}, 0};
    writer.write(record);
    const auto read = readRecords(out);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].continueAt, std::vector<qsizetype>{8000});
    EXPECT_EQ(read[0].data, record.data);
}

TEST(Formula, sharedFormulaBecomesPlainForEachCell) {
    // =A1*2 shared over B1:B3: PtgRefN row offset 0, column offset -1, both relative.
    const QByteArray shared = QByteArray::fromHex("4c0000ffc01e020005");
    const QByteArray plain = sharedToPlain(shared, 2, 1);
    EXPECT_EQ(plain, QByteArray::fromHex("440200"
                                         "00c0"
                                         "1e0200"
                                         "05"));
}

TEST(Formula, remapsRowsAndTurnsLostReferencesIntoRefErrors) {
    // =SUM(B2:B3)+C5+Sheet!A1:A65536 as tokens: PtgArea, tAttrSum, PtgRef, add, PtgArea3d whole column.
    QByteArray rgce = QByteArray::fromHex(
        "25"
        "0100"
        "0200"
        "01c0"
        "01c0"
        "19100000"
        "44"
        "0400"
        "02c0"
        "03"
        "3b"
        "0000"
        "0000"
        "ffff"
        "0000"
        "0000");
    remapReferenceRows(rgce.data(), int(rgce.size()), [](std::optional<uint16_t>, RowSpan rows, bool single) {
        return single ? std::optional<RowSpan>()
                      : std::optional<RowSpan>(RowSpan{rows.first + 10, rows.last + 20});
    });
    EXPECT_EQ(rgce.toHex(), QByteArray("25"
                                       "0b00"
                                       "1600"
                                       "01c0"
                                       "01c0"
                                       "19100000"
                                       "4a"
                                       "0400"
                                       "02c0"
                                       "03"
                                       "3b"
                                       "0000"
                                       "0000"
                                       "ffff"
                                       "0000"
                                       "0000"));
}
