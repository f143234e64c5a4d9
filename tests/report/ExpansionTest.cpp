#include "FakeDataSource.h"
#include "XlsTestSupport.h"

#include "report/BiffRecord.h"
#include "report/ByteIo.h"
#include "report/ReportError.h"
#include "report/TemplateReport.h"

#include <gtest/gtest.h>

using namespace tervalo::report;
using namespace tervalo::report::test;

namespace {

// Three debtors, the first with two documents, the second with one, the third with none.
void addDebtors(FakeDataSource& source, int debtorCount) {
    std::vector<std::vector<ReportValue>> debtors = {
        {1.0, QStringLiteral("Alfa"), 100.0, QStringLiteral("a@alfa.cz")},
        {2.0, QStringLiteral("Beta"), 50.0, QString()},
        {3.0, QStringLiteral("Gama"), 0.0, ReportValue()},
    };
    debtors.resize(size_t(debtorCount));
    auto& firmy = source.add(
        QStringLiteral("mtFirmy"),
        {QStringLiteral("ID"), QStringLiteral("OdbNazev"), QStringLiteral("Celkem"), QStringLiteral("Email")},
        debtors);
    auto& doklady = source.add(QStringLiteral("mtDoklady"),
                               {QStringLiteral("ID"), QStringLiteral("Cislo"), QStringLiteral("Castka")},
                               {{1.0, QStringLiteral("F1"), 60.0},
                                {1.0, QStringLiteral("F2"), 40.0},
                                {2.0, QStringLiteral("F3"), 50.0}});
    doklady.linkTo(&firmy, QStringLiteral("ID"), QStringLiteral("ID"));
    source.setProperty(QStringLiteral("Dodavatel"), {QStringLiteral("Firma s.r.o.")});
    source.setProperty(QStringLiteral("Pole"), {QStringLiteral("a"), QStringLiteral("b")});
}

struct ExpansionCase {
    const char* name;
    TemplateSheet sheet;
    int debtors;
    std::vector<const char*> grid;
    std::vector<const char*> merges;
    std::vector<int> pageBreaks;
};

void PrintTo(const ExpansionCase& c, std::ostream* os) {
    *os << c.name;
}

QStringList utf8(const std::vector<const char*>& texts) {
    QStringList list;
    for (const char* text : texts) {
        list << QString::fromUtf8(text);
    }
    return list;
}

TemplateBand band(const char* name, int first, int last) {
    return {QString::fromLatin1(name), first, last};
}

std::vector<ExpansionCase> expansionCases() {
    const QString firm = QStringLiteral("##mtFirmy##OdbNazev");
    const TemplateSheet simple{
        QStringLiteral("List1"),
        {QStringLiteral("Hlavička"), QStringLiteral("##mtFirmy##OdbNazev|##mtFirmy##Celkem"),
         QStringLiteral("Konec")},
        {band("__mtFirmy__", 2, 2)},
        {},
        {}};
    return {
        {"no_records_remove_the_band", simple, 0, {"Hlavička", "Konec"}, {}, {}},
        {"one_record", simple, 1, {"Hlavička", "Alfa|100", "Konec"}, {}, {}},
        {"many_records", simple, 3, {"Hlavička", "Alfa|100", "Beta|50", "Gama|0", "Konec"}, {}, {}},
        {"empty_fields_become_empty_cells",
         {QStringLiteral("List1"),
          {QStringLiteral("##mtFirmy##OdbNazev|##mtFirmy##Email|x")},
          {band("__mtFirmy__", 1, 1)},
          {},
          {}},
         3,
         {"Alfa|a@alfa.cz|x", "Beta||x", "Gama||x"},
         {},
         {}},
        {"nested_band_runs_fully_per_outer_record",
         {QStringLiteral("List1"),
          {firm, QStringLiteral("|##mtDoklady##Cislo|##mtDoklady##Castka"),
           QStringLiteral("Součet||=SUM(C2:C2)")},
          {band("__mtFirmy__", 1, 3), band("__mtDoklady__", 2, 2)},
          {},
          {}},
         3,
         {"Alfa", "|F1|60", "|F2|40", "Součet||=SUM(C2:C3)", "Beta", "|F3|50", "Součet||=SUM(C6:C6)", "Gama",
          "Součet||=SUM(#REF!)"},
         {},
         {}},
        {"delete_and_page_break_markers",
         {QStringLiteral("List1"),
          {firm, QStringLiteral("...delete row...|zmizí"), QStringLiteral("...page break...|zůstane")},
          {band("__mtFirmy__", 1, 3)},
          {},
          {}},
         3,
         {"Alfa", "|zůstane", "Beta", "|zůstane", "Gama", "|zůstane"},
         {},
         {2, 4, 6}},
        {"band_at_the_end_of_the_sheet",
         {QStringLiteral("List1"), {QStringLiteral("Titul"), firm}, {band("__mtFirmy__", 2, 2)}, {}, {}},
         3,
         {"Titul", "Alfa", "Beta", "Gama"},
         {},
         {}},
        {"total_below_the_band_grows_with_it",
         {QStringLiteral("List1"),
          {QStringLiteral("Titul|1"), QStringLiteral("##mtFirmy##OdbNazev|##mtFirmy##Celkem"),
           QStringLiteral("Celkem|=SUM(B2:B2)|=SUM(B1:B2)"), QStringLiteral("|=B3*2")},
          {band("__mtFirmy__", 2, 2)},
          {},
          {}},
         3,
         {"Titul|1", "Alfa|100", "Beta|50", "Gama|0", "Celkem|=SUM(B2:B4)|=SUM(B1:B4)", "|=B5*2"},
         {},
         {}},
        {"formula_in_a_band_refers_to_its_own_copy",
         {QStringLiteral("List1"),
          {QStringLiteral("##mtFirmy##Celkem|=A1*2")},
          {band("__mtFirmy__", 1, 1)},
          {},
          {}},
         3,
         {"100|=A1*2", "50|=A2*2", "0|=A3*2"},
         {},
         {}},
        {"merges_copied_per_record_and_shifted_below",
         {QStringLiteral("List1"),
          {firm, QStringLiteral("pod")},
          {band("__mtFirmy__", 1, 1)},
          {{1, 1, 0, 1}, {2, 2, 0, 2}},
          {5}},
         3,
         {"Alfa", "Beta", "Gama", "pod"},
         {"A1:B1", "A2:B2", "A3:B3", "A4:C4"},
         {7}},
        {"whole_dataset_as_a_table",
         {QStringLiteral("List1"),
          {QStringLiteral("##mtDoklady##*|vedle"), QStringLiteral("pod")},
          {band("__Hlavicka__", 1, 2)},
          {},
          {}},
         1,
         {"ID|Cislo|Castka", "1|F1|60", "1|F2|40", "pod"},
         {},
         {}},
        {"properties_with_array_indexes",
         {QStringLiteral("List1"),
          {QStringLiteral("#.Dodavatel|#.Pole#.1")},
          {band("__Hlavicka__", 1, 1)},
          {},
          {}},
         0,
         {"Firma s.r.o.|b"},
         {},
         {}},
        {"only_the_main_band_is_filled",
         {QStringLiteral("List1"),
          {firm, QStringLiteral("#.Dodavatel")},
          {band("__mtFirmy__", 1, 1)},
          {},
          {}},
         2,
         {"Alfa", "Beta", "#.Dodavatel"},
         {},
         {}},
    };
}

class Expansion : public testing::TestWithParam<ExpansionCase> {};

}  // namespace

TEST_P(Expansion, fillsTheTemplateAsExpected) {
    const ExpansionCase& c = GetParam();
    FakeDataSource source;
    addDebtors(source, c.debtors);
    const QByteArray output = renderWorkbook(buildWorkbook({c.sheet}), source);
    EXPECT_EQ(checkStructure(output), QStringList());
    EXPECT_EQ(readGrid(output), utf8(c.grid));
    EXPECT_EQ(readMerges(output), utf8(c.merges));
    EXPECT_EQ(readPageBreaks(output), c.pageBreaks);
}

INSTANTIATE_TEST_SUITE_P(Cases, Expansion, testing::ValuesIn(expansionCases()),
                         [](const auto& param) { return std::string(param.param.name); });

namespace {

struct ErrorCase {
    const char* name;
    TemplateSheet sheet;
    BuildOptions options;
    QString message;  // the message, or a part of it after "~"
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name;
}

std::vector<ErrorCase> errorCases() {
    return {
        {"missing_dataset",
         {QStringLiteral("List1"), {QStringLiteral("##mtNic##Pole")}, {band("__Hlavicka__", 1, 1)}, {}, {}},
         {},
         QStringLiteral("Can\u00B4t find the dataset mtNic")},
        {"unknown_property",
         {QStringLiteral("List1"), {QStringLiteral("#.Nic")}, {band("__Hlavicka__", 1, 1)}, {}, {}},
         {},
         QStringLiteral("Property \"Nic\" has not been defined or is not published")},
        {"array_index_out_of_range",
         {QStringLiteral("List1"), {QStringLiteral("#.Pole#.5")}, {band("__Hlavicka__", 1, 1)}, {}, {}},
         {},
         QStringLiteral("Property \"Pole\" has not been defined or is not published")},
        {"too_many_rows",
         {QStringLiteral("List1"), {QStringLiteral("##mtVelky##N")}, {band("__mtVelky__", 1, 1)}, {}, {}},
         {},
         QStringLiteral("~65 536 řádků")},
        {"table_wider_than_the_sheet",
         {QStringLiteral("List1"),
          {QStringLiteral("|||##mtSiroky##*")},
          {band("__Hlavicka__", 1, 1)},
          {},
          {}},
         {},
         QStringLiteral("~256 sloupců")},
        {"merge_across_a_band_boundary",
         {QStringLiteral("List1"),
          {QStringLiteral("a"), QStringLiteral("##mtFirmy##OdbNazev")},
          {band("__mtFirmy__", 2, 2)},
          {{1, 2, 0, 0}},
          {}},
         {},
         QStringLiteral("~zasahují přes hranici pásu __mtFirmy__")},
        {"relative_band_reference",
         {QStringLiteral("List1"),
          {QStringLiteral("a")},
          {TemplateBand{QStringLiteral("__mtFirmy__"), 1, 1, true}},
          {},
          {}},
         {},
         QStringLiteral("~absolutními odkazy")},
        {"biff5_template",
         {QStringLiteral("List1"), {QStringLiteral("a")}, {}, {}, {}},
         {0x0500, false},
         QStringLiteral("~starém formátu")},
        {"encrypted_template",
         {QStringLiteral("List1"), {QStringLiteral("a")}, {}, {}, {}},
         {0x0600, true},
         QStringLiteral("~chráněna heslem")},
        {"macro_template",
         {QStringLiteral("List1"), {QStringLiteral("a")}, {}, {}, {}},
         {0x0600, false, true},
         QStringLiteral("~makra")},
    };
}

class ExpansionError : public testing::TestWithParam<ErrorCase> {};

}  // namespace

TEST_P(ExpansionError, stopsWithAClearMessage) {
    const ErrorCase& c = GetParam();
    FakeDataSource source;
    addDebtors(source, 3);
    std::vector<std::vector<ReportValue>> many(70000, {1.0});
    source.add(QStringLiteral("mtVelky"), {QStringLiteral("N")}, many);
    QStringList wide;
    for (int f = 0; f < 254; ++f) {
        wide << QStringLiteral("F%1").arg(f);
    }
    source.add(QStringLiteral("mtSiroky"), wide, {});
    try {
        renderWorkbook(buildWorkbook({c.sheet}, c.options), source);
        FAIL() << "no error";
    } catch (const ReportError& e) {
        if (c.message.startsWith(QLatin1Char('~'))) {
            EXPECT_TRUE(e.text().contains(c.message.mid(1))) << e.text().toStdString();
        } else {
            EXPECT_EQ(e.text(), c.message);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, ExpansionError, testing::ValuesIn(errorCases()),
                         [](const auto& param) { return std::string(param.param.name); });

TEST(Expansion, everySheetIsFilledAndReferencesAcrossSheetsFollowTheirBand) {
    FakeDataSource source;
    addDebtors(source, 3);
    const TemplateSheet debtors{QStringLiteral("Dluznici"),
                                {QStringLiteral("##mtFirmy##OdbNazev|##mtFirmy##Celkem")},
                                {band("Dluznici!__mtFirmy__", 1, 1)},
                                {},
                                {}};
    const TemplateSheet summary{
        QStringLiteral("Souhrn"),
        {QStringLiteral("Celkem|=SUM(0!B1:B1)"), QStringLiteral("##mtFirmy##OdbNazev")},
        {band("__mtFirmy__", 2, 2)},
        {},
        {}};
    const QByteArray output = renderWorkbook(buildWorkbook({debtors, summary}), source);
    EXPECT_EQ(checkStructure(output), QStringList());
    EXPECT_EQ(readGrid(output, 0), utf8({"Alfa|100", "Beta|50", "Gama|0"}));
    EXPECT_EQ(readGrid(output, 1), utf8({"Celkem|=SUM(0!B1:B3)", "Alfa", "Beta", "Gama"}));
}

TEST(Expansion, datesFollowTheWorkbooksDateSystem) {
    FakeDataSource source;
    source.setProperty(QStringLiteral("Datum"), {QDate(2024, 5, 31)});
    const TemplateSheet sheet{
        QStringLiteral("List1"), {QStringLiteral("#.Datum")}, {band("__X__", 1, 1)}, {}, {}};
    EXPECT_EQ(readGrid(renderWorkbook(buildWorkbook({sheet}), source)), utf8({"45443"}));
    BuildOptions mac;
    mac.dates1904 = true;
    EXPECT_EQ(readGrid(renderWorkbook(buildWorkbook({sheet}, mac), source)), utf8({"43981"}));
}

TEST(StructureChecker, reportsTheFaultsItLooksFor) {
    // The template builder leaves DIMENSIONS empty, which the checker must notice.
    QByteArray stream =
        buildWorkbook({TemplateSheet{QStringLiteral("List1"), {QStringLiteral("a|b")}, {}, {}, {}}});
    EXPECT_TRUE(
        checkStructure(stream).join(QLatin1Char('\n')).contains(QStringLiteral("DIMENSIONS miss A1")));

    FakeDataSource source;
    QByteArray written = renderWorkbook(stream, source);
    ASSERT_EQ(checkStructure(written), QStringList());
    const BiffRecord boundSheet = [&] {
        for (const BiffRecord& r : readRecords(written)) {
            if (r.id == rid::BoundSheet) {
                return r;
            }
        }
        return BiffRecord{};
    }();
    setU32(written.data() + boundSheet.offset + 4, getU32(boundSheet.data.constData()) + 4);
    EXPECT_TRUE(checkStructure(written).join(QLatin1Char('\n')).contains(QStringLiteral("is not on a BOF")));
}
