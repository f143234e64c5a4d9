#include "FakeDataSource.h"
#include "XlsTestSupport.h"

#include "report/BiffRecord.h"
#include "report/CompoundFile.h"
#include "report/ReportError.h"
#include "report/TemplateReport.h"
#include "support/LibreOfficeCsv.h"
#include "support/RunProcess.h"
#include "support/TempAppDir.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo::report;
using namespace tervalo::report::test;
using tervalo::test::fixturePath;
using tervalo::test::libreOfficeCsvLines;
using tervalo::test::ProcessResult;
using tervalo::test::runProcess;
using tervalo::test::TempAppDir;

namespace {

QString dumpScript() {
    return QStringLiteral(TERVALO_REPORT_TESTS "/xlrd_dump.py");
}

QJsonObject xlrdDump(const QString& path) {
    return QJsonDocument::fromJson(tervalo::test::runPython({dumpScript(), path})).object();
}

QJsonObject sheetDump(const QJsonObject& dump, int sheet) {
    return dump[QStringLiteral("sheets")].toArray()[sheet].toObject();
}

// Cell (row, col) of an xlrd dump as [ctype, value, xf], or null.
QJsonArray cellOf(const QJsonObject& sheet, int row, int col) {
    for (const QJsonValue& v : sheet[QStringLiteral("cells")].toArray()) {
        const QJsonArray c = v.toArray();
        if (c[0].toInt() == row && c[1].toInt() == col) {
            return QJsonArray{c[2], c[3], c[4]};
        }
    }
    return {};
}

QJsonArray areaOf(const QJsonObject& dump, const QString& name) {
    for (const QJsonValue& v : dump[QStringLiteral("names")].toArray()) {
        if (v.toObject()[QStringLiteral("name")].toString() == name) {
            return v.toObject()[QStringLiteral("areas")].toArray()[0].toArray();
        }
    }
    return {};
}

// Globals records other than the ones the engine rebuilds.
std::vector<std::pair<uint16_t, QByteArray>> keptGlobals(const QByteArray& stream) {
    std::vector<std::pair<uint16_t, QByteArray>> kept;
    for (const BiffRecord& r : readRecords(stream)) {
        if (r.id != rid::Sst && r.id != rid::ExtSst && r.id != rid::BoundSheet) {
            kept.emplace_back(r.id, r.data);
        }
        if (r.id == rid::Eof) {
            break;
        }
    }
    return kept;
}

void fillDebtors(FakeDataSource& source) {
    auto& firmy = source.add(
        QStringLiteral("mtFirmy"),
        {QStringLiteral("ID"), QStringLiteral("OdbNazev"), QStringLiteral("Email"), QStringLiteral("Celkem")},
        {{1.0, QStringLiteral("Alfa, a.s."), QStringLiteral("alfa@example.cz"), 100.5},
         {2.0, QStringLiteral("Beta Žďár"), QString(), 50.0},
         {3.0, QStringLiteral("Gama"), ReportValue(), 0.0}});
    auto& doklady = source.add(
        QStringLiteral("mtDoklady"),
        {QStringLiteral("ID"), QStringLiteral("Cislo"), QStringLiteral("DatSplat"), QStringLiteral("Castka")},
        {{1.0, QStringLiteral("FV-001"), QDate(2024, 3, 15), 60.25},
         {1.0, QStringLiteral("FV-002"), QDate(2024, 4, 1), 40.25},
         {2.0, QStringLiteral("FV-003"), QDate(2023, 12, 31), 50.0}});
    doklady.linkTo(&firmy, QStringLiteral("ID"), QStringLiteral("ID"));
    source.setProperty(QStringLiteral("AsOfDate"), {QDate(2024, 5, 31)});
}

class TemplateFile : public testing::Test {
protected:
    TempAppDir dir;
    QString output = dir.file(QStringLiteral("Seznam dlužníků.xls"));
};

}  // namespace

TEST_F(TemplateFile, templateWithoutBandsComesBackAsItWas) {
    FakeDataSource source;
    const QString templ = fixturePath(QStringLiteral("report/plain.xls"));
    renderTemplate(templ, output, source);

    const QByteArray stream = workbookStreamOf(output);
    EXPECT_EQ(checkStructure(stream), QStringList());
    EXPECT_EQ(keptGlobals(stream), keptGlobals(workbookStreamOf(templ)));
    EXPECT_EQ(xlrdDump(output), xlrdDump(templ));
    // The repeated formulas were stored as one shared formula; each cell now has its own.
    const QStringList grid = readGrid(stream);
    EXPECT_EQ(grid.value(2).section(QLatin1Char('|'), 1, 1), QStringLiteral("=A3*2"));
    EXPECT_EQ(grid.value(4).section(QLatin1Char('|'), 1, 1), QStringLiteral("=A5*2"));

    CompoundFile in = CompoundFile::read(templ);
    CompoundFile out = CompoundFile::read(output);
    ASSERT_EQ(in.entries.size(), out.entries.size());
    for (const CompoundEntry& entry : in.entries) {
        if (entry.name != QStringLiteral("Workbook")) {
            ASSERT_NE(out.find(entry.name), nullptr);
            EXPECT_EQ(out.find(entry.name)->data, entry.data) << entry.name.toStdString();
        }
    }
    EXPECT_EQ(out.classId, in.classId);
}

TEST_F(TemplateFile, debtorListIsFilledAndReadByXlrd) {
    FakeDataSource source;
    fillDebtors(source);
    renderTemplate(fixturePath(QStringLiteral("report/debtors.xls")), output, source);
    EXPECT_EQ(checkStructure(workbookStreamOf(output)), QStringList());

    const QJsonObject dump = xlrdDump(output);
    const QJsonObject sheet = sheetDump(dump, 0);
    const QJsonObject templSheet = sheetDump(xlrdDump(fixturePath(QStringLiteral("report/debtors.xls"))), 0);
    const int nameXf = cellOf(templSheet, 2, 0)[2].toInt();
    const int moneyXf = cellOf(templSheet, 2, 4)[2].toInt();
    const int dateXf = cellOf(templSheet, 3, 1)[2].toInt();

    // [ctype, value, xf]: 1 text, 2 number, 3 date (number in a date format), 5 error.
    EXPECT_EQ(cellOf(sheet, 0, 5), (QJsonArray{3, 45443, cellOf(templSheet, 0, 5).at(2)}));
    EXPECT_EQ(cellOf(sheet, 2, 0), (QJsonArray{1, QStringLiteral("Alfa, a.s."), nameXf}));
    EXPECT_EQ(cellOf(sheet, 2, 3),
              (QJsonArray{1, QStringLiteral("alfa@example.cz"), cellOf(templSheet, 2, 3).at(2)}));
    EXPECT_EQ(cellOf(sheet, 2, 4), (QJsonArray{2, 100.5, moneyXf}));
    EXPECT_EQ(cellOf(sheet, 3, 0), (QJsonArray{1, QStringLiteral("FV-001"), cellOf(templSheet, 3, 0).at(2)}));
    EXPECT_EQ(cellOf(sheet, 3, 1), (QJsonArray{3, 45366, dateXf}));
    EXPECT_EQ(cellOf(sheet, 4, 3), (QJsonArray{2, 40.25, cellOf(templSheet, 3, 3).at(2)}));
    EXPECT_EQ(cellOf(sheet, 7, 0), (QJsonArray{1, QStringLiteral("Beta Žďár"), nameXf}));
    EXPECT_TRUE(cellOf(sheet, 7, 3).isEmpty());  // empty e-mail: an empty cell
    EXPECT_EQ(cellOf(sheet, 8, 1), (QJsonArray{3, 45291, dateXf}));
    EXPECT_EQ(cellOf(sheet, 11, 0), (QJsonArray{1, QStringLiteral("Gama"), nameXf}));
    EXPECT_EQ(cellOf(sheet, 12, 0).at(1), QStringLiteral("Mezisoučet"));
    EXPECT_EQ(cellOf(sheet, 14, 0).at(1), QStringLiteral("Celkem"));
    EXPECT_EQ(cellOf(sheet, 14, 4).at(1), QStringLiteral("##mtFirmy##OdbNazev"));  // outside the main band
    for (int row : {6, 10, 13}) {
        EXPECT_TRUE(cellOf(sheet, row, 0).isEmpty()) << row;  // page-break markers emptied
    }

    const QStringList grid = readGrid(workbookStreamOf(output));
    EXPECT_EQ(grid.value(5).section(QLatin1Char('|'), 3, 3), QStringLiteral("=SUM(D4:D5)"));
    EXPECT_EQ(grid.value(4).section(QLatin1Char('|'), 4, 4), QStringLiteral("=D5*2"));
    EXPECT_EQ(grid.value(9).section(QLatin1Char('|'), 3, 3), QStringLiteral("=SUM(D9:D9)"));
    EXPECT_EQ(grid.value(14).section(QLatin1Char('|'), 3, 3), QStringLiteral("=SUM(D3:D14)"));

    EXPECT_EQ(sheet[QStringLiteral("merges")].toArray(),
              (QJsonArray{QJsonArray{0, 1, 0, 3}, QJsonArray{2, 3, 0, 2}, QJsonArray{7, 8, 0, 2},
                          QJsonArray{11, 12, 0, 2}}));
    EXPECT_EQ(sheet[QStringLiteral("breaks")].toArray(), (QJsonArray{6, 10, 13}));
    const QJsonObject heights = sheet[QStringLiteral("heights")].toObject();
    for (const char* row : {"2", "7", "11"}) {
        EXPECT_EQ(heights[QLatin1String(row)],
                  templSheet[QStringLiteral("heights")].toObject()[QStringLiteral("2")]);
    }
    EXPECT_EQ(heights[QStringLiteral("3")],
              templSheet[QStringLiteral("heights")].toObject()[QStringLiteral("3")]);

    // Names as xlrd gives them: sheet, sheet + 1, first row, last row + 1, first column, last column + 1.
    EXPECT_EQ(areaOf(dump, QStringLiteral("Print_Area")), (QJsonArray{0, 1, 0, 15, 0, 5}));
    EXPECT_EQ(areaOf(dump, QStringLiteral("Print_Titles")), (QJsonArray{0, 1, 1, 2, 0, 256}));
    EXPECT_EQ(areaOf(dump, QStringLiteral("__Hlavicka__")), (QJsonArray{0, 1, 0, 14, 0, 256}));
    EXPECT_EQ(areaOf(dump, QStringLiteral("__mtFirmy__")), (QJsonArray{0, 1, 2, 14, 0, 256}));
    EXPECT_EQ(areaOf(dump, QStringLiteral("__mtDoklady__")), (QJsonArray{0, 1, 3, 9, 0, 256}));
}

TEST_F(TemplateFile, outputOpensInLibreOfficeAndGnumeric) {
    FakeDataSource source;
    fillDebtors(source);
    renderTemplate(fixturePath(QStringLiteral("report/debtors.xls")), output, source);

    {
        const QStringList lines = libreOfficeCsvLines(output, QStringLiteral("Dlužníci"), dir.path());
        EXPECT_TRUE(lines.value(2).startsWith(QStringLiteral("\"Alfa, a.s.\"")))
            << lines.value(2).toStdString();
        EXPECT_TRUE(lines.value(3).startsWith(QStringLiteral("FV-001,"))) << lines.value(3).toStdString();
        EXPECT_TRUE(lines.value(3).contains(QStringLiteral(",60.25,120.5"))) << lines.value(3).toStdString();
        // The subtotal is recalculated over its grown range.
        EXPECT_TRUE(lines.value(5).startsWith(QStringLiteral("Mezisoučet,,,100.5")))
            << lines.value(5).toStdString();
        EXPECT_TRUE(lines.value(14).startsWith(QStringLiteral("Celkem,"))) << lines.value(14).toStdString();
    }
    {
        const ProcessResult gnumeric =
            runProcess({.program = QStringLiteral("ssconvert"),
                        .arguments = {output, dir.path() + QStringLiteral("gnumeric.csv")},
                        .timeoutMs = 180000});
        EXPECT_EQ(gnumeric.exitCode, 0);
        const QString complaints = QString::fromUtf8(gnumeric.err);
        EXPECT_FALSE(complaints.contains(QStringLiteral("rror"))) << complaints.toStdString();
        QFile csv(dir.path() + QStringLiteral("gnumeric.csv"));
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_TRUE(QString::fromUtf8(csv.readAll()).contains(QStringLiteral("Beta Žďár")));
    }
}

TEST_F(TemplateFile, refusesToWriteOverAnExistingFileAndLeavesItWhole) {
    dir.write(QStringLiteral("Seznam dlužníků.xls"), "keep me");
    FakeDataSource source;
    EXPECT_THROW(renderTemplate(fixturePath(QStringLiteral("report/plain.xls")), output, source),
                 ReportError);
    QFile kept(output);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("keep me"));
}

TEST_F(TemplateFile, failedRunLeavesNoFileBehind) {
    FakeDataSource source;  // no mtFirmy: the debtor template cannot be filled
    source.setProperty(QStringLiteral("AsOfDate"), {QDate(2024, 5, 31)});
    try {
        renderTemplate(fixturePath(QStringLiteral("report/debtors.xls")), output, source);
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_EQ(e.text(), QStringLiteral("Can\u00B4t find the dataset mtFirmy"));
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList());
}

TEST_F(TemplateFile, nonWorkbookFilesAreRefused) {
    dir.write(QStringLiteral("TERVALO.XL"), "not a compound file at all");
    FakeDataSource source;
    EXPECT_THROW(renderTemplate(dir.file(QStringLiteral("TERVALO.XL")), output, source), ReportError);
    EXPECT_THROW(renderTemplate(dir.file(QStringLiteral("missing.XL")), output, source), ReportError);
    EXPECT_FALSE(QFile::exists(output));
}

TEST_F(TemplateFile, largeExportSpansManyRowBlocksAndStringRecords) {
    FakeDataSource source;
    std::vector<std::vector<ReportValue>> debtors, documents;
    for (int d = 0; d < 400; ++d) {
        debtors.push_back({double(d), QStringLiteral("Odběratel č. %1 – Žluťoučký kůň").arg(d),
                           QStringLiteral("ucetni%1@example.cz").arg(d), 30.0 * d});
        for (int k = 0; k < 3; ++k) {
            documents.push_back({double(d), QStringLiteral("FV-%1-%2").arg(d).arg(k),
                                 QDate(2024, 1, 1).addDays(d + k), 10.0 * d + k});
        }
    }
    auto& firmy = source.add(
        QStringLiteral("mtFirmy"),
        {QStringLiteral("ID"), QStringLiteral("OdbNazev"), QStringLiteral("Email"), QStringLiteral("Celkem")},
        debtors);
    source
        .add(QStringLiteral("mtDoklady"),
             {QStringLiteral("ID"), QStringLiteral("Cislo"), QStringLiteral("DatSplat"),
              QStringLiteral("Castka")},
             documents)
        .linkTo(&firmy, QStringLiteral("ID"), QStringLiteral("ID"));
    source.setProperty(QStringLiteral("AsOfDate"), {QDate(2024, 5, 31)});
    renderTemplate(fixturePath(QStringLiteral("report/debtors.xls")), output, source);

    EXPECT_EQ(checkStructure(workbookStreamOf(output)), QStringList());
    const QJsonObject sheet = sheetDump(xlrdDump(output), 0);
    // Per debtor: its row, 3 documents, the subtotal and the page-break row; 2 header rows, 1 total.
    EXPECT_EQ(cellOf(sheet, 2 + 6 * 399, 0).at(1), QStringLiteral("Odběratel č. 399 – Žluťoučký kůň"));
    EXPECT_EQ(cellOf(sheet, 2 + 6 * 400, 0).at(1), QStringLiteral("Celkem"));
    EXPECT_EQ(sheet[QStringLiteral("breaks")].toArray().size(), 400);
}

TEST_F(TemplateFile, shapeAboveTheBandStaysWhileTheBandRepeats) {
    FakeDataSource source;
    fillDebtors(source);
    const QString templ = fixturePath(QStringLiteral("report/shape-above-band.xls"));
    renderTemplate(templ, output, source);
    const QByteArray stream = workbookStreamOf(output);
    EXPECT_EQ(checkStructure(stream), QStringList());
    EXPECT_EQ(readGrid(stream),
              (QStringList{QStringLiteral("Logo"), QStringLiteral("Alfa, a.s."), QStringLiteral("Beta Žďár"),
                           QStringLiteral("Gama"), QStringLiteral("konec")}));
    // The drawing and its object record are carried over unchanged.
    const auto drawingRecords = [](const QByteArray& s) {
        std::vector<QByteArray> kept;
        for (const BiffRecord& r : readRecords(s)) {
            if (r.id == rid::MsoDrawing || r.id == rid::Obj) {
                kept.push_back(r.data);
            }
        }
        return kept;
    };
    EXPECT_EQ(drawingRecords(stream), drawingRecords(workbookStreamOf(templ)));
    EXPECT_FALSE(drawingRecords(stream).empty());
}

TEST_F(TemplateFile, commentOnABandRowIsRefused) {
    FakeDataSource source;
    fillDebtors(source);
    try {
        renderTemplate(fixturePath(QStringLiteral("report/comment-in-band.xls")), output, source);
        FAIL() << "no error";
    } catch (const ReportError& e) {
        EXPECT_TRUE(e.text().contains(QStringLiteral("komentáře"))) << e.text().toStdString();
    }
    EXPECT_FALSE(QFile::exists(output));
}
