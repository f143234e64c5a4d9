#include "ExportTestSupport.h"

#include "export/ExportDebtorList.h"
#include "platform/AppVersion.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <functional>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

// Rows of the shipped template (0-based): where the filled values must land.
constexpr int SupplierRow = 1;
constexpr int ToleranceRow = 2;
constexpr int FirstDebtorRow = 5;
constexpr int DocumentRow = 7;
constexpr int TotalsRowWhenEmpty = 5;

const QDate Today(2026, 12, 10);
const QString WaitText =
    QStringLiteral("Export dat - operace může trvat delší dobu, nepřerušujte ji\nčekejte prosím...");

QString overwriteMessage(const QString& path) {
    return QStringLiteral("Nelze přepsat výstupní soubor  ") + path +
           QStringLiteral(
               " Zkontrolujte, zda není používán jiným programem (např. zda není otevřen v "
               "LibreOffice Calc, apod.).");
}

// Column A of the debtor part as the template lays it out, from the tables' current view: per
// debtor its name, street, document numbers, the two total labels and an empty spacer.
QStringList expectedColumnA(import::ExportTables& t) {
    QStringList rows;
    for (t.mtFirmy.first(); !t.mtFirmy.eof(); t.mtFirmy.next()) {
        rows << t.mtFirmy.text(u"OdbNazev") << t.mtFirmy.text(u"OdbUlice");
        for (t.mtDoklady.first(); !t.mtDoklady.eof(); t.mtDoklady.next()) {
            rows << t.mtDoklady.text(u"CisloDokl");
        }
        rows << QStringLiteral("Faktury celkem") << QStringLiteral("Dobropisy celkem") << QString();
    }
    t.mtFirmy.first();
    return rows;
}

QStringList columnA(const test::XlsSheet& sheet, int from, int to) {
    QStringList rows;
    for (int r = from; r < to; ++r) {
        rows << sheet.text(r, 0);
    }
    return rows;
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int rowOf(const test::XlsSheet& sheet, const QString& columnAText) {
    for (const auto& [row, cells] : sheet.rows) {
        if (sheet.text(row, 0) == columnAText) {
            return row;
        }
    }
    return -1;
}

struct WriteFixture : test::DemoExport {
    QString output = dir.file(QStringLiteral("Seznam dlužníků.xls"));
    import::ExportTables& tables = session.tables;
    const size_t loadWaits = ui.waitMessages().size();
    // The load counts the days past due to the day it ran.
    const QDate loadDay = QDate::currentDate();

    // What the waiting window showed during the export.
    std::vector<QString> exportWaits() const {
        return {ui.waitMessages().begin() + std::ptrdiff_t(loadWaits), ui.waitMessages().end()};
    }

    bool run(const QString& templ) { return exporting::WriteDebtorList(tables, templ, output, ui, Today); }
    void expectTablesRestored(memtable::RowId current) {
        EXPECT_EQ(tables.mtFirmy.currentRow(), current);
        EXPECT_FALSE(tables.mtFirmy.controlsDisabled());
        EXPECT_FALSE(tables.mtDoklady.controlsDisabled());
        EXPECT_FALSE(ui.waitWindowVisible());
        for (tables.mtDoklady.first(); !tables.mtDoklady.eof(); tables.mtDoklady.next()) {
            EXPECT_EQ(tables.mtDoklady.intValue(u"ID"), tables.mtFirmy.intValue(u"ID"));
        }
    }
};

TEST(WriteDebtorList, demoExportFillsTheShippedTemplateInOrderWithItsFormatting) {
    WriteFixture f;
    ASSERT_TRUE(f.run(f.templatePath()));
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(f.exportWaits(), (std::vector<QString>{WaitText, QString()}));

    const test::XlsSheet out = test::readWithXlrd(f.output);
    const test::XlsSheet templ = test::readWithXlrd(f.templatePath());
    const int totalsRow = rowOf(out, QStringLiteral("Faktury všech dlužníků"));
    const QStringList expected = expectedColumnA(f.tables);
    EXPECT_EQ(columnA(out, FirstDebtorRow, totalsRow), expected);
    // Anchors independent of the tables: the first debtor by name with its documents, the catch-all
    // group last.
    EXPECT_EQ(expected.mid(0, 5), (QStringList{QStringLiteral("Alfa Stavby s.r.o."),
                                               QStringLiteral("Průmyslová 12"), QStringLiteral("FV260101"),
                                               QStringLiteral("FV260145"), QStringLiteral("DB260007")}));
    EXPECT_EQ(expected.mid(expected.size() - 7, 4),
              (QStringList{QStringLiteral("Ostatní"), QString(), QStringLiteral("FV260142"),
                           QStringLiteral("FV260183")}));

    // The title values, the version in the footer.
    EXPECT_EQ(out.text(SupplierRow, 1), QStringLiteral("Účetní kancelář Horák s.r.o."));
    EXPECT_EQ(out.text(SupplierRow, 7), QStringLiteral("10.12.2026"));
    EXPECT_EQ(out.text(ToleranceRow, 3), QStringLiteral("14"));
    const test::XlsCell* today = out.cell(ToleranceRow, 7);
    ASSERT_NE(today, nullptr);
    EXPECT_EQ(today->ctype, 3);
    EXPECT_EQ(today->value.toDouble(), double(QDate(1899, 12, 30).daysTo(Today)));
    EXPECT_EQ(out.text(out.lastRow(), 3), platform::AppVersion);

    // Alfa's first document: typed values in the template's cell formats.
    const int doc = FirstDebtorRow + 2;
    const QList<std::pair<int, QJsonValue>> documentCells = {
        {0, QStringLiteral("FV260101")},
        {3, QStringLiteral("16.9.2026")},
        {4, double(QDate(2026, 9, 16).daysTo(f.loadDay))},
        {5, QStringLiteral("CZK")},
        {6, 48400.0},
        {7, 48400.0}};
    for (const auto& [col, value] : documentCells) {
        const test::XlsCell* cell = out.cell(doc, col);
        ASSERT_NE(cell, nullptr) << col;
        EXPECT_EQ(cell->value, value) << col;
        EXPECT_EQ(cell->xf, templ.cell(DocumentRow, col)->xf) << col;
    }
    EXPECT_EQ(out.cell(doc, 6)->ctype, 2);
    // Every debtor's name keeps the name format and its merge over columns A to E.
    int nameMerges = 0;
    for (const QJsonValue& m : out.merges) {
        const QJsonArray a = m.toArray();
        if (a[2].toInt() == 0 && a[3].toInt() == 5 && out.cell(a[0].toInt(), 0) != nullptr &&
            out.cell(a[0].toInt(), 0)->xf == templ.cell(FirstDebtorRow, 0)->xf) {
            ++nameMerges;
        }
    }
    EXPECT_EQ(nameMerges, f.tables.mtFirmy.recordCount());
}

TEST(WriteDebtorList, filteredListHasOnlyDebtorsWithEmailAndTheCurrentDebtorStays) {
    WriteFixture f;
    f.tables.mtFirmy.setFilter(u"JeEmail", true);
    f.tables.mtFirmy.setFiltered(true);
    ASSERT_TRUE(f.tables.mtFirmy.moveTo(2));
    const memtable::RowId current = f.tables.mtFirmy.currentRow();
    const QStringList expected = expectedColumnA(f.tables);
    f.tables.mtFirmy.moveTo(2);

    ASSERT_TRUE(f.run(f.templatePath()));
    f.expectTablesRestored(current);

    const test::XlsSheet out = test::readWithXlrd(f.output);
    const QStringList written =
        columnA(out, FirstDebtorRow, rowOf(out, QStringLiteral("Faktury všech dlužníků")));
    EXPECT_EQ(written, expected);
    for (const char* withoutEmail : {"Čermák & Dvořák, v.o.s.", "Farma Úhlava", "Ostatní"}) {
        EXPECT_FALSE(written.contains(QString::fromUtf8(withoutEmail))) << withoutEmail;
    }
    EXPECT_TRUE(written.contains(QStringLiteral("Alfa Stavby s.r.o.")));
}

// The demo's debtors owe in CZK and one in EUR: a total line per currency, never one sum of both,
// and each debtor's sums marked with its currency; the page header and footer name the supplier, the
// date of the export's state, the date of the workbook and the page of pages.
TEST(WriteDebtorList, totalsArePerCurrencyAndThePagesHaveCzechHeadersAndFooters) {
    test::DemoExport f;
    const QString output = f.dir.file(QStringLiteral("měny.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, f.templatePath(), output, f.ui, Today));
    const test::XlsSheet out = test::readWithXlrd(output);

    struct Total {
        QString label, currency;
        double total, remaining;
        bool operator==(const Total&) const = default;
    };
    std::vector<Total> totals;
    QStringList hotelCurrencies;
    bool inHotel = false;
    for (const auto& [row, cells] : out.rows) {
        const QString label = out.text(row, 0);
        inHotel = inHotel || label == QStringLiteral("Hotel Ďáblice a.s.");
        if (label.endsWith(QStringLiteral("všech dlužníků"))) {
            totals.push_back({label, out.text(row, 5), out.cell(row, 6)->value.toDouble(),
                              out.cell(row, 7)->value.toDouble()});
        }
        if (inHotel && label == QStringLiteral("Faktury celkem")) {
            hotelCurrencies << out.text(row, 5);
            inHotel = false;
        }
    }
    const std::vector<Total> expected = {
        {QStringLiteral("Faktury všech dlužníků"), QStringLiteral("CZK"), 317444.0, 264593.75},
        {QStringLiteral("Dobropisy všech dlužníků"), QStringLiteral("CZK"), -13310.0, -13310.0},
        {QStringLiteral("Faktury všech dlužníků"), QStringLiteral("EUR"), 1500.0, 1500.0},
        {QStringLiteral("Dobropisy všech dlužníků"), QStringLiteral("EUR"), 0.0, 0.0},
    };
    EXPECT_EQ(totals, expected);
    EXPECT_EQ(hotelCurrencies, QStringList{QStringLiteral("EUR")});

    EXPECT_TRUE(out.header.contains(QStringLiteral("Účetní kancelář Horák s.r.o.")))
        << out.header.toStdString();
    EXPECT_TRUE(out.header.contains(QStringLiteral("Stav ke dni 10.12.2026"))) << out.header.toStdString();
    EXPECT_FALSE(out.header.contains(QStringLiteral("#."))) << out.header.toStdString();
    EXPECT_TRUE(out.footer.contains(QStringLiteral("Strana &P z &N"))) << out.footer.toStdString();
    EXPECT_TRUE(out.footer.contains(QStringLiteral("Vytvořeno 10.12.2026"))) << out.footer.toStdString();
}

TEST(WriteDebtorList, emptyDebtorListDropsTheBandAndKeepsTheTotals) {
    test::AppFixture f;  // nothing loaded
    f.dir.write(QStringLiteral("TERVALO.XL"),
                readBytes(QStringLiteral(TERVALO_SOURCE_DIR "/data/files/TERVALO.XL")));
    const QString output = f.dir.file(QStringLiteral("prázdný.xls"));
    ASSERT_TRUE(exporting::WriteDebtorList(f.session.tables, f.dir.file(QStringLiteral("TERVALO.XL")), output,
                                           f.ui, Today));
    const test::XlsSheet out = test::readWithXlrd(output);
    EXPECT_EQ(out.text(TotalsRowWhenEmpty - 1, 0), QStringLiteral("Doklad"));
    // No currency occurs, so there is no total line per currency; the count stays.
    EXPECT_EQ(out.text(TotalsRowWhenEmpty, 0), QStringLiteral("Počet dlužníků:"));
    EXPECT_EQ(out.cell(SupplierRow, 1), nullptr);  // no supplier stated: an empty cell
    for (const auto& [row, cells] : out.rows) {
        for (const auto& [col, cell] : cells) {
            EXPECT_NE(cell.ctype, 5) << row << "," << col;  // no #REF! in the totals
        }
    }
}

TEST(WriteDebtorList, failuresShowTheirMessageAndLeaveFilesAndTablesAsTheyWere) {
    struct Case {
        const char* name;
        std::function<QString(WriteFixture&)> prepare;  // returns the template path
        std::function<QString(WriteFixture&, const QString&)> message;
        bool engineRan;
    };
    const std::vector<Case> cases = {
        {"missing_template",
         [](WriteFixture& f) {
             f.dir.write(QStringLiteral("Seznam dlužníků.xls"), "keep me");
             return f.dir.file(QStringLiteral("CHYBÍ.XL"));
         },
         [](WriteFixture&, const QString& templ) {
             return QStringLiteral("Převodní šablona  ") + templ +
                    QStringLiteral(" neexistuje. Zkontrolujte nastavení exportu.");
         },
         false},
        {"output_cannot_be_deleted",
         [](WriteFixture& f) {
             // Root may delete anything in a read-only folder; a folder with contents it may not.
             QDir(f.dir.path()).mkpath(f.output + QStringLiteral("/obsah"));
             return f.templatePath();
         },
         [](WriteFixture& f, const QString&) { return overwriteMessage(f.output); }, false},
        {"output_is_the_template",
         [](WriteFixture& f) {
             f.output = f.templatePath();
             return f.templatePath();
         },
         [](WriteFixture& f, const QString&) { return overwriteMessage(f.output); }, false},
        {"engine_error",
         [](WriteFixture& f) {
             f.write(QStringLiteral("VADNÁ.XL"),
                     test::fixturePath(QStringLiteral("export/unknown-property.xls")));
             return f.dir.file(QStringLiteral("VADNÁ.XL"));
         },
         [](WriteFixture&, const QString&) {
             return QStringLiteral(
                 "Při převodu sestavy došlo k následující chybě: \"Property \"Neznamo\" has not been defined "
                 "or is not published\"");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFixture f;
        f.tables.mtFirmy.moveTo(4);
        const memtable::RowId current = f.tables.mtFirmy.currentRow();
        const QString templ = c.prepare(f);
        const QByteArray templateBytes = readBytes(templ);
        const QByteArray outputBefore = readBytes(f.output);
        const bool outputExisted = QFileInfo::exists(f.output);

        EXPECT_FALSE(f.run(templ));
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("error"), c.message(f, templ)}}));
        f.expectTablesRestored(current);
        EXPECT_EQ(f.exportWaits(),
                  (c.engineRan ? std::vector<QString>{WaitText, QString()} : std::vector<QString>{}));
        EXPECT_EQ(readBytes(templ), templateBytes);
        EXPECT_EQ(QFileInfo::exists(f.output), outputExisted);
        if (outputExisted && QFileInfo(f.output).isFile()) {
            EXPECT_EQ(readBytes(f.output), outputBefore);
        }
    }
}

TEST(WriteDebtorList, replacesAnExistingOutputFile) {
    WriteFixture f;
    f.dir.write(QStringLiteral("Seznam dlužníků.xls"), "old workbook");
    ASSERT_TRUE(f.run(f.templatePath()));
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(test::readWithXlrd(f.output).text(FirstDebtorRow, 0), QStringLiteral("Alfa Stavby s.r.o."));
}

TEST(ExportDebtorList, asksForTheFileWritesFromTheProgramFolderAndOpensTheWorkbook) {
    struct Case {
        const char* name;
        bool cancel;
        int openResult;
        std::vector<Message> messages;
    };
    const QString path = QStringLiteral("%OUTPUT%");
    const std::vector<Case> cases = {
        {"cancelled", true, 0, {}},
        {"opened", false, 42, {}},
        {"other_open_failure_is_not_reported", false, 2, {}},
        {"no_program_for_xls",
         false,
         31,
         {{QStringLiteral("information"),
           QStringLiteral(
               "Se souborem %OUTPUT% není asociován žádný program - pravděpodobně nemáte "
               "nainstalovaný program, který dokáže *.XLS soubory zobrazit (např. LibreOffice Calc nebo "
               "Gnumeric). Chcete-li si výsledný soubor prohlédnout, musíte mít takový program "
               "nainstalovaný.")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::DemoExport f;
        const QString output = f.dir.file(QStringLiteral("Seznam dlužníků.xls"));
        f.ui.queueFile(c.cancel ? std::nullopt : std::optional<QString>(output));
        QStringList opened;
        exporting::ExportDebtorList(f.session.tables, f.session.AppDir, f.ui, [&](const QString& target) {
            opened << target;
            return c.openResult;
        });

        ASSERT_EQ(f.ui.fileRequests().size(), 1u);
        const FileDialogRequest& request = f.ui.fileRequests().front();
        EXPECT_EQ(request.title, QStringLiteral("Exportovat do souboru"));
        EXPECT_EQ(request.filter, QStringLiteral("Sešit Excel 97-2003 (*.xls)|*.xls"));
        EXPECT_EQ(request.defaultExtension, QStringLiteral("xls"));
        EXPECT_EQ(request.fileName, QStringLiteral("Seznam dlužníků"));

        std::vector<Message> expected = c.messages;
        for (Message& m : expected) {
            m.text.replace(path, output);
        }
        EXPECT_EQ(f.ui.messages(), expected);
        EXPECT_EQ(opened, c.cancel ? QStringList() : QStringList{output});
        EXPECT_EQ(QFileInfo::exists(output), !c.cancel);
    }
}

TEST(ExportDebtorList, missingTemplateNamesTheProgramFolderAndOpensNothing) {
    test::DemoExport f;
    QFile::remove(f.templatePath());
    f.ui.queueFile(f.dir.file(QStringLiteral("výstup.xls")));
    bool opened = false;
    exporting::ExportDebtorList(f.session.tables, f.session.AppDir, f.ui, [&](const QString&) {
        opened = true;
        return 42;
    });
    EXPECT_FALSE(opened);
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{{QStringLiteral("error"),
                                     QStringLiteral("Převodní šablona  ") +
                                         f.dir.file(QStringLiteral("TERVALO.XL")) +
                                         QStringLiteral(" neexistuje. Zkontrolujte nastavení exportu.")}}));
}

}  // namespace
