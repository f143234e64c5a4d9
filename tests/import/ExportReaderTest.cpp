#include "import/ExportReader.h"
#include "import/ReadExportFile.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

#include <gtest/gtest.h>

using namespace tervalo;
using import::CellMatrix;
using import::ExportReader::DetectSeparator;
using import::ExportReader::ParseExport;

namespace {

const platform::AnsiCodec& codec() {
    return test::cp1250();
}

using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(const CellMatrix& matrix) {
    Rows rows;
    for (int r = 0; r < matrix.rowCount(); ++r) {
        std::vector<std::string> cells;
        for (int c = 0; c < matrix.cellCount(r); ++c) {
            cells.push_back(matrix.cell(r, c, codec()).toStdString());
        }
        rows.push_back(cells);
    }
    return rows;
}

struct SeparatorCase {
    const char* name;
    const char* line1;
    const char* line2;
    char expected;  // 0: none
};

class SeparatorTest : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorTest, detectsFromTheFirstTwoLines) {
    auto separator = DetectSeparator(GetParam().line1, GetParam().line2);
    EXPECT_EQ(separator.value_or(0), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SeparatorTest,
    ::testing::Values(SeparatorCase{"three_semicolons_each", "a;b;c;d", "e;f;g;h", ';'},
                      SeparatorCase{"comma_and_semicolon_equal_earlier_wins", "a,b;c", "d;e,f", ','},
                      SeparatorCase{"higher_equal_count_wins", "a,b;c;d;e", "f,g;h;i;j", ';'},
                      SeparatorCase{"even_run_counts_nothing", "a;;b|c|d", "e;;f|g|h", '|'},
                      SeparatorCase{"odd_run_counts_once", "a;;;b", "c;d", ';'},
                      SeparatorCase{"last_position_does_not_count", "a;b;", "c;d", ';'},
                      SeparatorCase{"tab_separated", "a\tb\tc", "d\te\tf", '\t'},
                      SeparatorCase{"hash_separated", "a#b", "c#d", '#'},
                      SeparatorCase{"plain_counts_when_runs_disagree", "a;;b;c", "d;e;f;;", ';'},
                      SeparatorCase{"highest_count_when_lines_disagree", "a;b;c,d", "e", ';'},
                      SeparatorCase{"highest_count_tie_earlier_wins", "a;b,c", "", ','},
                      SeparatorCase{"missing_second_line", "a|b", "", '|'},
                      SeparatorCase{"no_candidate", "abc", "def", 0}),
    test::CaseName());

struct SplitCase {
    const char* name;
    const char* text;
    Rows expected;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, splitsLinesIntoCells) {
    CellMatrix matrix;
    ParseExport(QByteArray(GetParam().text), matrix);
    EXPECT_EQ(rowsOf(matrix), GetParam().expected);
}

// Every case's first two lines settle the separator as ";".
INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTest,
    ::testing::Values(
        SplitCase{"plain_cells", "a;b;c\nd;e;f\n", {{"a", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{"quoted_cell_with_separator", "a;\"x;y\";c\nd;e;f", {{"a", "x;y", "c"}, {"d", "e", "f"}}},
        SplitCase{
            "quoted_last_cell_with_separator", "a;b;\"x;y\"\nd;e;f", {{"a", "b", "x;y"}, {"d", "e", "f"}}},
        SplitCase{"doubled_quote_in_quoted_cell",
                  "a;\"say \"\"hi\"\"\";c\nd;e;f",
                  {{"a", "say \"hi\"", "c"}, {"d", "e", "f"}}},
        SplitCase{"quote_inside_unquoted_middle_cell_kept",
                  "a;b\"c;d\ne;f;g",
                  {{"a", "b\"c", "d"}, {"e", "f", "g"}}},
        SplitCase{"unterminated_quote_middle_cell_is_empty",
                  "a;\"bc;d;e\nf;g;h;i",
                  {{"a", "", "d", "e"}, {"f", "g", "h", "i"}}},
        SplitCase{"unterminated_quote_last_cell", "a;b;\"cd\ne;f;g", {{"a", "b", "cd"}, {"e", "f", "g"}}},
        SplitCase{"last_cell_quote_runs_reduced", "a;b;x\"\"y\ne;f;g", {{"a", "b", "x\"y"}, {"e", "f", "g"}}},
        SplitCase{
            "text_after_closing_quote_dropped", "a;\"b\"junk;c\nd;e;f", {{"a", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{"trailing_separator_adds_no_cell", "a;b;c;\nd;e;f;", {{"a", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{
            "two_separators_give_empty_cell", "a;;c;d\ne;f;g;h", {{"a", "", "c", "d"}, {"e", "f", "g", "h"}}},
        SplitCase{"cells_not_trimmed", " a ;b;c\nd;e;f", {{" a ", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{"empty_line_is_row_without_cells",
                  "a;b;c\nd;e;f\n\ng;h",
                  {{"a", "b", "c"}, {"d", "e", "f"}, {}, {"g", "h"}}},
        SplitCase{"crlf_and_lone_cr", "a;b;c\r\nd;e\r;f\r\n", {{"a", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{"no_final_line_break", "a;b;c\nd;e;f", {{"a", "b", "c"}, {"d", "e", "f"}}},
        SplitCase{"empty_file", "", {}}),
    test::CaseName());

TEST(ExportReader, withoutSeparatorEveryLineIsOneCell) {
    CellMatrix matrix;
    EXPECT_FALSE(ParseExport(QByteArray("<?xml version=\"1.0\"?>\n<data/>\n"), matrix));
    EXPECT_EQ(rowsOf(matrix), (Rows{{"<?xml version=\"1.0\"?>"}, {"<data/>"}}));
}

TEST(ExportReader, lastRowAndColumnAreZeroBased) {
    CellMatrix matrix;
    ParseExport(QByteArray("a;b;c\nd;e;f;g;h\n\nx"), matrix);
    EXPECT_EQ(matrix.lastRow(), 3);
    EXPECT_EQ(matrix.lastCol(), 4);
    EXPECT_EQ(matrix.cell(0, 4, codec()), QString());
    EXPECT_EQ(matrix.cell(9, 0, codec()), QString());
}

// Rows given back read as empty; the rows after them, and the counts, stay as they were.
TEST(CellMatrix, rowsReleasedFromTheFrontReadEmptyAndTheRestIntact) {
    QByteArray bytes;
    for (int row = 0; row < 100000; ++row) {
        bytes += "F;R;" + QByteArray::number(row) + ";\"a;\"\"b\"\"\";" + QByteArray(row % 7, 'x') + "\r\n";
    }
    CellMatrix whole;
    CellMatrix released;
    ParseExport(bytes, whole);
    ParseExport(bytes, released);
    ASSERT_GT(released.memoryBytes(), std::size_t(4) << 20);
    released.releaseRowsBefore(60000);
    released.releaseRowsBefore(10);  // never back
    EXPECT_EQ(released.rowCount(), whole.rowCount());
    EXPECT_EQ(released.lastCol(), whole.lastCol());
    for (int row : {0, 1, 30000, 59999}) {
        EXPECT_EQ(released.cellCount(row), 0) << row;
        EXPECT_EQ(released.cellBytes(row, 0), std::string_view()) << row;
    }
    for (int row = 60000; row < whole.rowCount(); ++row) {
        ASSERT_EQ(released.cellCount(row), whole.cellCount(row)) << row;
        for (int col = 0; col < whole.cellCount(row); ++col) {
            ASSERT_EQ(released.cellBytes(row, col), whole.cellBytes(row, col)) << row << ' ' << col;
        }
    }
    EXPECT_EQ(released.cellBytes(60000, 3), "a;\"b\"");
    released.releaseRowsBefore(released.rowCount());
    EXPECT_EQ(released.cellCount(released.lastRow()), 0);
}

TEST(ExportReader, decodesWindows1250) {
    CellMatrix matrix;
    ParseExport(codec().encode(QStringLiteral("Odběratel;Žluťoučký kůň;1\nx;y;z")), matrix);
    EXPECT_EQ(matrix.cell(0, 1, codec()), QStringLiteral("Žluťoučký kůň"));
}

struct FormatCase {
    const char* name;
    const char* text;
    bool wrong;
};

class FormatTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatTest, checksTheFirstRow) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("e.csv"), QByteArray(GetParam().text));
    CellMatrix matrix;
    test::FakeUserInterface ui;
    auto result = import::ReadExportFile(dir.file(QStringLiteral("e.csv")), matrix, codec(), ui);
    EXPECT_EQ(result.ok, !GetParam().wrong);
    if (GetParam().wrong) {
        ASSERT_EQ(ui.messages().size(), 1u);
        EXPECT_EQ(ui.messages()[0].kind, QStringLiteral("warning"));
        EXPECT_EQ(
            ui.messages()[0].text,
            QStringLiteral(
                "Chybný formát načteného souboru - při exportu z Ekvan je nutné vybrat \"formát CSV\" a "
                "dále zaškrtnout políčko \"názvy polí se budou udávat číselně\". Ukončete tento "
                "program a proveďte znovu export z Ekvan!"));
    } else {
        EXPECT_TRUE(ui.messages().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, FormatTest,
                         ::testing::Values(FormatCase{"numeric_third_cell", "T;H;101;102\nT;D;a;b\n", false},
                                           FormatCase{"word_third_cell", "T;H;Nazev;102\nT;D;a;b\n", true},
                                           FormatCase{"xml_declaration", "<?xml version=\"1.0\";H;1\n", true},
                                           FormatCase{"xml_in_lower_case", "x<?xMl;H;1\na;b;c\n", true},
                                           FormatCase{"too_few_cells", "T;H\nT;D\n", true},
                                           FormatCase{"empty_file", "", true}),
                         test::CaseName());

TEST(ExportReader, unreadableFileGivesTheWarning) {
    CellMatrix matrix;
    test::FakeUserInterface ui;
    // A file that opens but cannot be read.
    const QString path = QStringLiteral("/proc/self/mem");
    EXPECT_FALSE(import::ReadExportFile(path, matrix, codec(), ui).ok);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_EQ(ui.messages()[0],
              (test::FakeUserInterface::Message{
                  QStringLiteral("warning"),
                  QStringLiteral(
                      "Nastala chyba při načítání souboru /proc/self/mem Zkontrolujte, zda není používán "
                      "jiným programem (např. zda není otevřen v LibreOffice Calc, apod.).")}));
}

}  // namespace
