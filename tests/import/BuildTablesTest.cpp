#include "import/BuildTables.h"
#include "import/ExportReader.h"
#include "import/VarMap.h"
#include "state/StateTables.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

const QDate kToday(2026, 12, 10);

// A program folder with the demo definition file and fresh state tables.
struct TablesFixture {
    TablesFixture() {
        test::writeDemoDefFile(dir);
        stateTables.OpenStateTables();
    }

    bool build(const QByteArray& exportBytes) {
        import::ExportReader::ParseExport(exportBytes, matrix);
        return import::BuildTables(tables,
                                   {matrix, dir.file(QStringLiteral("uhterv.def")), QLatin1Char(','), kToday},
                                   stateTables.snapshot(), ui);
    }
    bool buildDemo() {
        QFile demo(test::demoExportPath());
        demo.open(QIODevice::ReadOnly);
        return build(demo.readAll());
    }

    // The values of one field over the current view.
    QStringList column(memtable::MemTable& table, const char16_t* field) {
        QStringList values;
        for (table.first(); !table.eof(); table.next()) {
            values << table.value(field).toString();
        }
        return values;
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    state::StateTables stateTables{dir.path(), locale};
    import::CellMatrix matrix;
    import::ExportTables tables{locale};
    test::FakeUserInterface ui;
};

QByteArray exportOf(const QString& text) {
    return test::cp1250().encode(text);
}

const QString kHeaders = QStringLiteral(
    "TITUL;HLAVICKA;901;902;903\n"
    "ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114\n"
    "FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208\n"
    "DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308\n");

TEST(BuildTables, demoExportBecomesSortedDebtorsWithTheirDocuments) {
    TablesFixture f;
    ASSERT_TRUE(f.buildDemo());
    EXPECT_TRUE(f.ui.messages().empty());
    auto& firmy = f.tables.mtFirmy;
    auto& doklady = f.tables.mtDoklady;
    EXPECT_EQ(firmy.recordCount(), 12);
    EXPECT_EQ(firmy.currentIndex(), QStringLiteral("OdbNazev"));
    EXPECT_EQ(firmy.recNo(), 1);
    EXPECT_EQ(firmy.text(u"OdbNazev"), QStringLiteral("Alfa Stavby s.r.o."));
    EXPECT_EQ(f.tables.AsOfDate, QStringLiteral("10.12.2026"));
    EXPECT_EQ(f.tables.ToleranceDays, QStringLiteral("14"));
    EXPECT_EQ(f.tables.SupplierName, QStringLiteral("Účetní kancelář Horák s.r.o."));
    EXPECT_EQ(f.tables.lblStavKeDniText,
              QStringLiteral("stav ke dni: 10.12.2026, počet tolerovaných dní po splatnosti: 14"));
    EXPECT_FALSE(f.tables.NoDocuments);

    // The first debtor's documents only, in load order, the credit note marked.
    EXPECT_EQ(
        f.column(doklady, u"CisloDokl"),
        (QStringList{QStringLiteral("FV260101"), QStringLiteral("FV260145"), QStringLiteral("DB260007")}));
    EXPECT_EQ(f.column(doklady, u"Dobropis"),
              (QStringList{QStringLiteral("false"), QStringLiteral("false"), QStringLiteral("true")}));
    doklady.first();
    EXPECT_DOUBLE_EQ(doklady.floatValue(u"Celkem"), 48400.0);
    EXPECT_DOUBLE_EQ(doklady.floatValue(u"DnuPoSplat"), 85.0);  // due 16.9.2026
    EXPECT_TRUE(doklady.boolValue(u"Exportovat"));
    EXPECT_DOUBLE_EQ(firmy.floatValue(u"ZbyvaUh"), 54450.25);

    // Czech collation puts "Č" after "C" and "Ch" after "H".
    QStringList names = f.column(firmy, u"OdbNazev");
    EXPECT_LT(names.indexOf(QStringLiteral("Bělohradský a syn; stavební firma")),
              names.indexOf(QStringLiteral("Čermák & Dvořák, v.o.s.")));
    EXPECT_EQ(firmy.findKey(QStringLiteral("Dřevovýroba Šťastný")), true);
    EXPECT_EQ(firmy.text(u"OdbEmail"), QStringLiteral("stastny@drevo-stastny.cz"));  // blanks trimmed
    ASSERT_TRUE(firmy.findKey(QStringLiteral("Farma Úhlava")));
    EXPECT_FALSE(firmy.boolValue(u"JeEmail"));
    EXPECT_TRUE(firmy.boolValue(u"Exportovat"));
    ASSERT_TRUE(firmy.findKey(QStringLiteral("Ostatní")));
    EXPECT_TRUE(f.tables.isCatchAllGroup(firmy.text(u"OdbNazev")));
    EXPECT_TRUE(f.tables.isCatchAllGroup(QStringLiteral("OSTATNÍ")));
}

TEST(BuildTables, rowsTakeTheStoredExclusionsAndNoteMarks) {
    TablesFixture f;
    f.stateTables.SetAddressExport(QStringLiteral("FAKTURACE@elektrozizka.cz"), false);
    f.stateTables.SetDocumentExport(QStringLiteral("fv260133"), false);
    f.stateTables.writeDocumentNote(QStringLiteral("FV260133"), QStringLiteral("Volal, zaplatí do pátku"));
    ASSERT_TRUE(f.buildDemo());
    ASSERT_TRUE(f.tables.mtFirmy.findKey(QStringLiteral("Elektro Žižka s.r.o.")));
    EXPECT_FALSE(f.tables.mtFirmy.boolValue(u"Exportovat"));
    f.tables.mtDoklady.first();
    EXPECT_EQ(f.tables.mtDoklady.text(u"CisloDokl"), QStringLiteral("FV260133"));
    EXPECT_FALSE(f.tables.mtDoklady.boolValue(u"Exportovat"));
    EXPECT_TRUE(f.tables.mtDoklady.boolValue(u"JePozn"));
    f.tables.mtDoklady.next();
    EXPECT_TRUE(f.tables.mtDoklady.boolValue(u"Exportovat"));
    EXPECT_FALSE(f.tables.mtDoklady.boolValue(u"JePozn"));
}

TEST(BuildTables, carriesValuesOverAndCutsTexts) {
    TablesFixture f;
    const QString longName(60, QLatin1Char('N'));
    // The document section's header lacks the number (201) and due date (203) after the first row:
    // a second header would not count, so the codes come from a header listing fewer codes.
    ASSERT_TRUE(f.build(
        exportOf(QStringLiteral("TITUL;HLAVICKA;901\n"
                                "FAKTURA;HLAVICKA;201;203;206;207\n"
                                "FAKTURA;RADEK;F0;11.12.2026;1;1\n"
                                "ODBERATEL;HLAVICKA;101\n"
                                "ODBERATEL;RADEK;") +
                 longName +
                 QStringLiteral("\nFAKTURA;RADEK;F1;9.12.2026;2,5;-1,25\nFAKTURA;RADEK;;10.12.2026;3;3\n"))));
    EXPECT_TRUE(f.ui.messages().empty());
    auto& firmy = f.tables.mtFirmy;
    ASSERT_EQ(firmy.recordCount(), 1);
    EXPECT_EQ(firmy.text(u"OdbNazev"), QString(50, QLatin1Char('N')));
    EXPECT_EQ(firmy.text(u"OdbEmail"), QString());  // no e-mail code: empty for every row
    EXPECT_FALSE(firmy.boolValue(u"JeEmail"));
    EXPECT_TRUE(firmy.boolValue(u"Exportovat"));
    EXPECT_EQ(f.column(f.tables.mtDoklady, u"DnuPoSplat"),
              (QStringList{QStringLiteral("1"), QStringLiteral("0")}));
    // An empty cell is a found value: the number is not carried over from the row before.
    EXPECT_EQ(f.column(f.tables.mtDoklady, u"CisloDokl"), (QStringList{QStringLiteral("F1"), QString()}));
    // The document above the first debtor belongs to no debtor.
    f.tables.mtDoklady.clearMasterLink();
    f.tables.mtDoklady.first();
    EXPECT_EQ(f.tables.mtDoklady.intValue(u"ID"), 0);
    EXPECT_DOUBLE_EQ(f.tables.mtDoklady.floatValue(u"DnuPoSplat"), -1.0);
}

TEST(BuildTables, moreDistinctSectionTextsAndDueDatesThanAreKeptStillLoad) {
    // Texts worked out once are kept up to a bound; past it every row works its own out.
    TablesFixture f;
    QString text = QStringLiteral("FAKTURA;HLAVICKA;201;203;206;207\n");
    for (int i = 0; i < 5000; ++i) {
        text += QStringLiteral("X%1;Y%1\n").arg(i);  // rows of no section
    }
    const QDate first(2000, 1, 1);
    for (int i = 0; i < 5000; ++i) {
        text +=
            QStringLiteral("FAKTURA;RADEK;F%1;%2;1;1\n").arg(i).arg(first.addDays(i).toString(u"d.M.yyyy"));
    }
    ASSERT_TRUE(f.build(exportOf(text)));
    auto& doklady = f.tables.mtDoklady;
    doklady.clearMasterLink();
    ASSERT_EQ(doklady.recordCount(), 5000);
    doklady.last();
    EXPECT_EQ(doklady.text(u"CisloDokl"), QStringLiteral("F4999"));
    EXPECT_DOUBLE_EQ(doklady.floatValue(u"DnuPoSplat"), double(first.addDays(4999).daysTo(kToday)));
}

// An export whose document header lacks the due-date code loads: the due date and the days past due
// stay empty as for any missing code, and a due date met later is carried over as usual.
TEST(BuildTables, exportWithoutDueDateCodeLeavesDueDateAndDaysPastDueEmpty) {
    TablesFixture f;
    ASSERT_TRUE(
        f.build(exportOf(QStringLiteral("ODBERATEL;HLAVICKA;101\n"
                                        "FAKTURA;HLAVICKA;201;206;207;208\n"
                                        "DOBROPIS;HLAVICKA;301;303;306;307;308\n"
                                        "ODBERATEL;RADEK;Firma\n"
                                        "FAKTURA;RADEK;F1;100;50;CZK\n"
                                        "DOBROPIS;RADEK;D1;8.12.2026;-10;-10;CZK\n"
                                        "FAKTURA;RADEK;F2;200;200;CZK\n"))));
    EXPECT_TRUE(f.ui.messages().empty());
    auto& doklady = f.tables.mtDoklady;
    EXPECT_EQ(f.column(doklady, u"CisloDokl"),
              (QStringList{QStringLiteral("F1"), QStringLiteral("D1"), QStringLiteral("F2")}));
    EXPECT_EQ(f.column(doklady, u"DatSplat"),
              (QStringList{QString(), QStringLiteral("8.12.2026"), QString()}));
    EXPECT_EQ(f.column(doklady, u"DnuPoSplat"),
              (QStringList{QString(), QStringLiteral("2"), QStringLiteral("2")}));
    doklady.first();
    EXPECT_TRUE(doklady.isNull(u"DnuPoSplat"));
    EXPECT_DOUBLE_EQ(doklady.floatValue(u"CelkNeprop"), 50.0);
}

TEST(BuildTables, debtorsWithoutDocumentsSetNoDocuments) {
    TablesFixture f;
    ASSERT_TRUE(
        f.build(exportOf(kHeaders + QStringLiteral("ODBERATEL;RADEK;Firma;;;;;;;;;a@b.cz;1;1;0;0\n"))));
    EXPECT_TRUE(f.tables.NoDocuments);
    EXPECT_EQ(f.tables.mtFirmy.recordCount(), 1);
}

TEST(BuildTables, unconvertibleValuesEndTheLoadNamingTextAndRow) {
    struct Case {
        const char* name;
        QString dataRow;
        QString message;
    };
    const Case cases[] = {
        {"amount_with_full_stop", QStringLiteral("ODBERATEL;RADEK;Firma;;;;;;;;;;12.50;0;0;0"),
         QStringLiteral("Hodnotu \"12.50\" na řádku 5 vstupního souboru nelze převést na číslo.")},
        {"empty_amount", QStringLiteral("FAKTURA;RADEK;F1;1.1.2026;2.1.2026;1.1.2026;1;;1;CZK"),
         QStringLiteral("Hodnotu \"\" na řádku 5 vstupního souboru nelze převést na číslo.")},
        {"bad_due_date", QStringLiteral("FAKTURA;RADEK;F1;1.1.2026;31.2.2026;1.1.2026;1;1;1;CZK"),
         QStringLiteral("Hodnotu \"31.2.2026\" na řádku 5 vstupního souboru nelze převést na datum.")},
        {"empty_due_date", QStringLiteral("DOBROPIS;RADEK;D1;1.1.2026;;1.1.2026;1;1;1;CZK"),
         QStringLiteral("Hodnotu \"\" na řádku 5 vstupního souboru nelze převést na datum.")},
    };
    for (const auto& c : cases) {
        TablesFixture f;
        EXPECT_FALSE(f.build(exportOf(kHeaders + c.dataRow + QLatin1Char('\n')))) << c.name;
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("error"), c.message}})) << c.name;
    }
}

// Every field of every row, in the table's order.
std::vector<QVariantList> rowsOf(memtable::MemTable& table) {
    std::vector<QVariantList> rows;
    for (table.first(); !table.eof(); table.next()) {
        QVariantList row;
        for (int field = 0; field < table.fieldCount(); ++field) {
            row << table.value(field);
        }
        rows.push_back(row);
    }
    return rows;
}

// An export of some megabytes, so that rows are given back while building: quoted names with the
// separator and doubled quotes, names beyond the field's size, empty cells, credit notes, and a CR LF
// inside quotes (which ends the line there, as every LF does).
QByteArray generatedExport() {
    QString text = kHeaders + QStringLiteral("TITUL;RADEK;10.12.2026;14;Dodavatel\r\n");
    for (int debtor = 0; debtor < 2500; ++debtor) {
        const QString name =
            debtor % 5 == 0   ? QStringLiteral("\"Firma %1; \"\"Žluťoučký\"\" kůň\"").arg(debtor)
            : debtor % 5 == 1 ? QStringLiteral("\"Dlouhý %1\"").arg(QString(60, QLatin1Char('N')))
            : debtor % 5 == 2 ? QString()
                              : QStringLiteral("Odběratel %1").arg(debtor);
        text += QStringLiteral(
                    "ODBERATEL;RADEK;%1;Ulice %2;Město nad řekou, okres s dlouhým "
                    "jménem;;CZ;;;;;%3;%2,50;%2;0;0\r\n")
                    .arg(name)
                    .arg(debtor)
                    .arg(debtor % 3 == 0 ? QString() : QStringLiteral(" f%1@firma.cz ").arg(debtor));
        for (int document = 0; document < 10; ++document) {
            const int number = debtor * 10 + document;
            text += QStringLiteral("%1;RADEK;FV%2;1.%3.2026;%4.%3.2026;1.%3.2026;%5;%6,25;%6;%7\r\n")
                        .arg(document == 7 ? QStringLiteral("DOBROPIS") : QStringLiteral("FAKTURA"))
                        .arg(number)
                        .arg(1 + number % 12)
                        .arg(1 + number % 28)
                        .arg(document == 3 ? QString() : QString::number(number))
                        .arg(number * 3)
                        .arg(document == 5   ? QStringLiteral("EUR")
                             : document == 9 ? QStringLiteral("\"C\r\nZK\"")
                                             : QStringLiteral("CZK"));
        }
    }
    return exportOf(text);
}

TEST(BuildTables, givingRowsBackWhileBuildingLeavesTheSameTablesAndAnEmptyMatrix) {
    const QByteArray bytes = generatedExport();
    ASSERT_GT(bytes.size(), 2 << 20);
    TablesFixture kept;
    ASSERT_TRUE(kept.build(bytes));
    TablesFixture released;
    import::ExportReader::ParseExport(bytes, released.matrix);
    import::BuildInput input{released.matrix, released.dir.file(QStringLiteral("uhterv.def")),
                             QLatin1Char(','), kToday, &released.matrix};
    ASSERT_TRUE(import::BuildTables(released.tables, input, released.stateTables.snapshot(), released.ui));

    EXPECT_EQ(released.matrix.rowCount(), 0);
    EXPECT_LT(released.matrix.memoryBytes(), 64u);
    EXPECT_EQ(kept.matrix.rowCount(), 4 + 1 + 2500 * 12);
    for (auto* f : {&kept, &released}) {
        f->tables.mtDoklady.clearMasterLink();
        EXPECT_TRUE(f->ui.messages().empty());
    }
    EXPECT_EQ(kept.tables.mtFirmy.recordCount(), 2500);
    EXPECT_EQ(kept.tables.mtDoklady.recordCount(), 25000);
    EXPECT_EQ(rowsOf(released.tables.mtFirmy), rowsOf(kept.tables.mtFirmy));
    EXPECT_EQ(rowsOf(released.tables.mtDoklady), rowsOf(kept.tables.mtDoklady));
    EXPECT_EQ(released.tables.SupplierName, QStringLiteral("Dodavatel"));
}

TEST(VarMap, mapsCodesUpToTheFirstEmptyCell) {
    platform::SystemLocale locale;
    memtable::MemTable map(QStringLiteral("mtVarItems"), locale);
    import::DefineVarMap(map);
    map.open();
    import::CellMatrix matrix;
    import::ExportReader::ParseExport(QByteArray("D;H;101;102;;104;x\nD;H;a;b;c;d;e\n"), matrix);
    import::BuildVarMap(map, matrix, 0, locale);
    EXPECT_EQ(import::FindVarCol(map, QStringLiteral("101")), 2);
    EXPECT_EQ(import::FindVarCol(map, QStringLiteral("102")), 3);
    EXPECT_EQ(import::FindVarCol(map, QStringLiteral("104")), std::nullopt);
    EXPECT_EQ(import::FindVarCol(map, QStringLiteral(" 101")), std::nullopt);
    EXPECT_EQ(import::FindVarCol(map, QString()), std::nullopt);
    // A header row of fewer than three cells empties the map.
    import::ExportReader::ParseExport(QByteArray("D;H\nD;H\n"), matrix);
    import::BuildVarMap(map, matrix, 0, locale);
    EXPECT_EQ(map.recordCount(), 0);
}

}  // namespace
