#include "transport/mime/BodyEncoding.h"
#include "transport/mime/HeaderEncoding.h"
#include "transport/mime/MakeBoundary.h"
#include "transport/mime/MimeTypeForFile.h"

#include <QRegularExpression>

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tervalo::transport {
namespace {

using Lines = QList<QByteArray>;

const MimeCharsets kCzech{Charset::CP1250, CharsetConverter()};

struct TextCase {
    const char* name;
    QString input;
    QByteArray expected;
};

std::string caseName(const testing::TestParamInfo<TextCase>& param) {
    return param.param.name;
}

class EncodeHeaderTextTest : public testing::TestWithParam<TextCase> {};

TEST_P(EncodeHeaderTextTest, encodesOnlyWhatNeedsIt) {
    EXPECT_EQ(EncodeHeaderText(GetParam().input, kCzech), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, EncodeHeaderTextTest,
    testing::Values(
        TextCase{"czech_subject_in_two_words",
                 QStringLiteral("Upomínka neuhrazených dokladů ke dni 05.03.2024"),
                 "=?ISO-8859-2?Q?Upom=EDnka_neuhrazen=FDch_doklad=F9_?= =?ISO-8859-2?Q?ke_dni_05.03.2024?="},
        TextCase{"ascii_with_comma", QStringLiteral("Firma, a.s."), "=?ISO-8859-1?Q?Firma=2C_a.s.?="},
        TextCase{"long_plain_ascii_unchanged",
                 QStringLiteral("Payment reminder for all outstanding invoices of the last quarter"),
                 "Payment reminder for all outstanding invoices of the last quarter"},
        TextCase{"underscore_alone_unchanged", QStringLiteral("Doklady_2024 list"), "Doklady_2024 list"},
        TextCase{"underscore_escaped_once_encoding", QStringLiteral("a_b, c"), "=?ISO-8859-1?Q?a=5Fb=2C_c?="},
        TextCase{"word_without_blanks_never_split", QStringLiteral("Žluťoučkýkůňúpělďábelskéódy"),
                 "=?ISO-8859-2?Q?=AElu=BBou=E8k=FDk=F9=F2=FAp=ECl=EF=E1belsk=E9=F3dy?="},
        TextCase{"control_character", QStringLiteral("a\tb"), "=?ISO-8859-1?Q?a=09b?="}),
    caseName);

class EncodeAddressFieldTest : public testing::TestWithParam<TextCase> {};

TEST_P(EncodeAddressFieldTest, writesNameAndAddress) {
    EXPECT_EQ(EncodeAddressField(GetParam().input, kCzech), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, EncodeAddressFieldTest,
    testing::Values(
        TextCase{"bare_address", QStringLiteral("info@firma.cz"), "info@firma.cz"},
        TextCase{"angle_brackets_only", QStringLiteral("<info@firma.cz>"), "info@firma.cz"},
        TextCase{"empty_name_leading_blank", QStringLiteral(" <info@firma.cz>"), "info@firma.cz"},
        TextCase{"plain_name", QStringLiteral("Firma <info@firma.cz>"), "\"Firma\"<info@firma.cz>"},
        TextCase{"czech_name", QStringLiteral("Jan Novák <jan@firma.cz>"),
                 "=?ISO-8859-1?Q?Jan_Nov=E1k?= <jan@firma.cz>"},
        TextCase{"name_with_comma", QStringLiteral("Firma, a.s. <info@firma.cz>"),
                 "=?ISO-8859-1?Q?Firma=2C_a.s.?= <info@firma.cz>"},
        TextCase{"quoted_name_wins", QStringLiteral("\"Řezník\" s.r.o. <a@b.cz>"),
                 "=?ISO-8859-2?Q?=D8ezn=EDk?= <a@b.cz>"},
        TextCase{"missing_closing_bracket", QStringLiteral("Firma <a@b.cz"), "\"Firma\"<a@b.cz>"}),
    caseName);

struct DateCase {
    const char* name;
    QDateTime local;
    int bias;
    QByteArray expected;
};

class FormatMailDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(FormatMailDateTest, writesEnglishNamesAndTheZone) {
    EXPECT_EQ(FormatMailDate(GetParam().local, GetParam().bias), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Dates, FormatMailDateTest,
    testing::Values(DateCase{"winter", QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7)), -60,
                             "Tue, 5 Mar 2024 14:03:07 +0100"},
                    DateCase{"summer_sunday_midnight", QDateTime(QDate(2024, 3, 31), QTime(0, 0, 0)), -120,
                             "Sun, 31 Mar 2024 00:00:00 +0200"},
                    DateCase{"utc", QDateTime(QDate(2023, 12, 30), QTime(23, 59, 59)), 0,
                             "Sat, 30 Dec 2023 23:59:59 +0000"},
                    DateCase{"west_of_utc", QDateTime(QDate(2024, 1, 1), QTime(9, 5, 0)), 300,
                             "Mon, 1 Jan 2024 09:05:00 -0500"},
                    DateCase{"half_hour_zone", QDateTime(QDate(2024, 2, 29), QTime(12, 0, 0)), -330,
                             "Thu, 29 Feb 2024 12:00:00 +0530"}),
    [](const auto& param) { return std::string(param.param.name); });

struct LinesCase {
    const char* name;
    QByteArray input;
    Lines expected;
};

std::string linesCaseName(const testing::TestParamInfo<LinesCase>& param) {
    return param.param.name;
}

class FoldHeaderLineTest : public testing::TestWithParam<LinesCase> {};

TEST_P(FoldHeaderLineTest, foldsAtTheBestPlaceWithinTheLimit) {
    EXPECT_EQ(FoldHeaderLine(GetParam().input), GetParam().expected);
}

const QByteArray a50(50, 'a');
const QByteArray a60(60, 'a');
const QByteArray a90(90, 'a');

INSTANTIATE_TEST_SUITE_P(
    Lines, FoldHeaderLineTest,
    testing::Values(
        LinesCase{"short_unchanged", "Subject: Hello", {"Subject: Hello"}},
        LinesCase{"boundary_line_of_76_unchanged",
                  "Content-type: Multipart/Mixed; boundary=\"0123ABCD_89ABCDEF_Synapse_boundary\"",
                  {"Content-type: Multipart/Mixed; boundary=\"0123ABCD_89ABCDEF_Synapse_boundary\""}},
        LinesCase{"subject_between_encoded_words",
                  "Subject: =?ISO-8859-2?Q?Upom=EDnka_neuhrazen=FDch_doklad=F9_?= "
                  "=?ISO-8859-2?Q?ke_dni_05.03.2024?=",
                  {"Subject: =?ISO-8859-2?Q?Upom=EDnka_neuhrazen=FDch_doklad=F9_?=",
                   " =?ISO-8859-2?Q?ke_dni_05.03.2024?="}},
        LinesCase{"after_semicolon",
                  "X: " + a60 + "; " + QByteArray(30, 'b'),
                  {"X: " + a60 + ";", " " + QByteArray(30, 'b')}},
        LinesCase{"comma_before_blank",
                  "X: " + a50 + ", " + QByteArray(10, 'b') + " " + QByteArray(30, 'c'),
                  {"X: " + a50 + ",", " " + QByteArray(10, 'b') + " " + QByteArray(30, 'c')}},
        LinesCase{"long_word_folds_at_the_next_blank", "X: " + a90 + " tail", {"X:", " " + a90, " tail"}},
        LinesCase{"no_blank_at_all_stays_whole", "X:" + a90, {"X:" + a90}},
        LinesCase{"exactly_78_is_folded",
                  "X: " + QByteArray(71, 'a') + " bcd",
                  {"X: " + QByteArray(71, 'a'), " bcd"}},
        LinesCase{"77_is_not_folded",
                  "X: " + QByteArray(70, 'a') + " bcd",
                  {"X: " + QByteArray(70, 'a') + " bcd"}}),
    linesCaseName);

class QuotePrintableLineTest : public testing::TestWithParam<LinesCase> {};

TEST_P(QuotePrintableLineTest, escapesAndBreaksSoftly) {
    EXPECT_EQ(QuotePrintableLine(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, QuotePrintableLineTest,
    testing::Values(
        LinesCase{"empty_line", "", {""}}, LinesCase{"equals_sign", "a=b", {"a=3Db"}},
        LinesCase{"eight_bit", "k\xF9\xF2", {"k=F9=F2"}},
        LinesCase{"trailing_blank", "to pay ", {"to pay=20"}},
        LinesCase{"trailing_tab", "to pay\t", {"to pay=09"}},
        LinesCase{"hundred_letters", QByteArray(100, 'a'), {QByteArray(78, 'a') + "=", QByteArray(22, 'a')}},
        LinesCase{"exactly_78_letters", QByteArray(78, 'a'), {QByteArray(78, 'a')}},
        LinesCase{"escape_at_the_limit_moves_whole",
                  QByteArray(76, 'a') + "\xF8" + "bc",
                  {QByteArray(76, 'a') + "=", "=F8bc"}},
        LinesCase{"cut_before_the_last_blank",
                  QByteArray(70, 'a') + " " + QByteArray(20, 'b'),
                  {QByteArray(70, 'a') + "=", " " + QByteArray(20, 'b')}},
        LinesCase{"blank_after_escape_wins",
                  QByteArray(60, 'a') + " b=c " + QByteArray(30, 'd'),
                  {QByteArray(60, 'a') + " b=3Dc=", " " + QByteArray(30, 'd')}},
        LinesCase{"escape_after_blank_wins",
                  QByteArray(70, 'a') + " bc=" + QByteArray(20, 'd'),
                  {QByteArray(70, 'a') + " bc=", "=3D" + QByteArray(20, 'd')}}),
    linesCaseName);

// Decoding the output must give the input back, with no line over 79 characters, none ending in
// a blank, and escapes whole.
TEST(QuotePrintableLine, longMixedLinesDecodeToTheInput) {
    QByteArray line;
    for (int i = 0; i < 400; ++i) {
        line.append(i % 7 == 0 ? ' ' : i % 11 == 0 ? '=' : i % 13 == 0 ? '\xE8' : char('a' + i % 26));
    }
    for (qsizetype length : {77, 78, 79, 80, 155, 156, 157, 400}) {
        const QByteArray input = line.left(length);
        const Lines out = QuotePrintableLine(input);
        QByteArray joined;
        for (qsizetype i = 0; i < out.size(); ++i) {
            EXPECT_LE(out[i].size(), 79) << length;
            EXPECT_FALSE(out[i].endsWith(' ')) << length;
            const bool soft = i + 1 < out.size();
            EXPECT_EQ(out[i].endsWith('='), soft) << length << " line " << i;
            joined += soft ? out[i].chopped(1) : out[i];
        }
        QByteArray decoded;
        for (qsizetype i = 0; i < joined.size(); ++i) {
            if (joined[i] == '=') {
                decoded.append(char(joined.mid(i + 1, 2).toInt(nullptr, 16)));
                i += 2;
            } else {
                decoded.append(joined[i]);
            }
        }
        EXPECT_EQ(decoded, input) << length;
    }
}

class SplitTextLinesTest : public testing::TestWithParam<LinesCase> {};

TEST_P(SplitTextLinesTest, breaksAtEveryKindOfLineEnd) {
    EXPECT_EQ(splitTextLines(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, SplitTextLinesTest,
                         testing::Values(LinesCase{"empty_text_has_no_lines", "", {}},
                                         LinesCase{"no_final_break", "a\r\nb", {"a", "b"}},
                                         LinesCase{"final_break_adds_nothing", "a\r\n", {"a"}},
                                         LinesCase{"empty_last_line", "a\r\n\r\n", {"a", ""}},
                                         LinesCase{"lone_cr_and_lf", "a\rb\nc", {"a", "b", "c"}},
                                         LinesCase{"lf_cr_is_two_breaks", "a\n\rb", {"a", "", "b"}}),
                         linesCaseName);

TEST(Base64Lines, seventyTwoCharactersPerLine) {
    EXPECT_TRUE(base64Lines({}).isEmpty());
    QByteArray content;
    for (int i = 0; i < 109; ++i) {
        content.append(char(i * 37));
    }
    const Lines lines = base64Lines(content);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[0].size(), 72);
    EXPECT_EQ(lines[1].size(), 72);
    EXPECT_EQ(lines[2], content.right(1).toBase64());
    EXPECT_EQ(QByteArray::fromBase64(lines.join()), content);
}

struct FileTypeCase {
    const char* name;
    QString fileName;
    MimeType expected;
};

class MimeTypeForFileTest : public testing::TestWithParam<FileTypeCase> {};

TEST_P(MimeTypeForFileTest, goesByTheExtension) {
    EXPECT_EQ(MimeTypeForFile(GetParam().fileName), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, MimeTypeForFileTest,
    testing::Values(FileTypeCase{"zip_archive",
                                 QStringLiteral("Doklady.zip"),
                                 {QStringLiteral("application"), QStringLiteral("ZIP")}},
                    FileTypeCase{"upper_case_extension",
                                 QStringLiteral("scan.JPG"),
                                 {QStringLiteral("image"), QStringLiteral("JPEG")}},
                    FileTypeCase{"last_extension_counts",
                                 QStringLiteral("/tmp/a.b/report.v2.pdf"),
                                 {QStringLiteral("application"), QStringLiteral("PDF")}},
                    FileTypeCase{"text_file_is_octet_stream",
                                 QStringLiteral("Doklady.txt"),
                                 {QStringLiteral("application"), QStringLiteral("octet-stream")}},
                    FileTypeCase{"name_without_extension_looked_up_whole",
                                 QStringLiteral("zip"),
                                 {QStringLiteral("application"), QStringLiteral("ZIP")}},
                    FileTypeCase{"unknown_name",
                                 QStringLiteral("README"),
                                 {QStringLiteral("application"), QStringLiteral("octet-stream")}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST(MakeBoundary, twoInARowDifferAndKeepTheirForm) {
    const QString first = MakeBoundary();
    const QString second = MakeBoundary();
    EXPECT_NE(first, second);
    const QRegularExpression form(QStringLiteral("^[0-9A-F]{8}_[0-9A-F]{8}_Synapse_boundary$"));
    EXPECT_TRUE(form.match(first).hasMatch()) << first.toStdString();
    EXPECT_EQ(first.size(), 34);
    EXPECT_NE(first.left(8), second.left(8));
}

}  // namespace
}  // namespace tervalo::transport
