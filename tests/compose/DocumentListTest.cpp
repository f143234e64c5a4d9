#include "compose/BuildDocumentList.h"
#include "compose/DebtorHasNothingToSend.h"
#include "import/DocumentListLayout.h"
#include "import/TemplateVariables.h"
#include "platform/CheckZipLibrary.h"
#include "support/CaseName.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "support/RunProcess.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <unistd.h>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::compose;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// ---- Layout

TEST(DocumentListLayout, matchesTheWorkedExampleWithTheDefaultTitles) {
    const app::AppSettings defaults;
    const DocumentTableLine titles = {defaults.EF_CisDokl,  defaults.EF_Vystaveno, defaults.EF_Splatno,
                                      defaults.EF_CenaCelk, defaults.EF_ZbyvaUhr,  defaults.EF_Mena};
    const QString amount = FormatDocumentAmount(1234.5, QLatin1Char('.'));
    const QString table =
        LayOutDocumentTable(titles, {{QStringLiteral("FV0001"), QStringLiteral("01.02.2005"),
                                      QStringLiteral("15.02.2005"), amount, amount, QStringLiteral("CZK")}});

    const QString sp = QStringLiteral(" ");
    const QString titleLine = QStringLiteral("Doklad č.") + sp + sp + QStringLiteral("Vystaveno") + sp +
                              QString(3, u' ') + QStringLiteral("Splatno") + sp +
                              QStringLiteral("Cena celkem") + sp + QStringLiteral("Zbývá uhradit") + sp +
                              QStringLiteral("Měna") + sp;
    const QString documentLine = QStringLiteral("FV0001") + QString(4, u' ') + QStringLiteral("01.02.2005") +
                                 sp + QStringLiteral("15.02.2005") + sp + QString(4, u' ') +
                                 QStringLiteral("1234.50") + sp + QString(6, u' ') +
                                 QStringLiteral("1234.50") + sp + QStringLiteral("CZK") + QString(2, u' ');
    EXPECT_EQ(titleLine.size(), 63);
    EXPECT_EQ(documentLine.size(), 63);
    EXPECT_EQ(table, titleLine + kCrLf + QString(63, u' ') + kCrLf + documentLine + kCrLf);
}

TEST(DocumentListLayout, headingIsFramedByRulesOfItsLength) {
    EXPECT_EQ(AddDocumentListHeading(QStringLiteral("Seznam"), QStringLiteral("T\r\n")),
              QStringLiteral("======\r\nSeznam\r\n======\r\n\r\nT\r\n"));
    EXPECT_EQ(AddDocumentListHeading(QString(), QStringLiteral("T\r\n")),
              QStringLiteral("\r\n\r\n\r\n\r\nT\r\n"));
}

struct AmountCase {
    std::string name;
    double value;
    QString text;
};

class DocumentAmountTest : public ::testing::TestWithParam<AmountCase> {};

TEST_P(DocumentAmountTest, hasTwoDecimalsAndTheGivenSeparator) {
    EXPECT_EQ(FormatDocumentAmount(GetParam().value, QLatin1Char(',')), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Amounts, DocumentAmountTest,
    ::testing::Values(AmountCase{"rounded", 1234.505, QStringLiteral("1234,51")},
                      AmountCase{"no_thousands_separator", 1234567.0, QStringLiteral("1234567,00")},
                      AmountCase{"negative", -2420.0, QStringLiteral("-2420,00")},
                      AmountCase{"tiny_negative_is_unsigned_zero", -0.001, QStringLiteral("0,00")},
                      AmountCase{"not_a_number_is_zero", std::nan(""), QStringLiteral("0,00")}),
    test::CaseName());

// ---- Template variables

struct VariableCase {
    std::string name;
    QString text;
    DocumentsVariable documents;
    QString expected;
};

class TemplateVariablesTest : public ::testing::TestWithParam<VariableCase> {};

TEST_P(TemplateVariablesTest, replacesInAnyCaseOneAfterAnother) {
    const TemplateValues values{QStringLiteral("10.12.2026"), QStringLiteral("Dodavatel %odberatel%"),
                                QStringLiteral("Žluťák"), QStringLiteral("SEZNAM")};
    EXPECT_EQ(ReplaceTemplateVariables(GetParam().text, values, GetParam().documents), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Variables, TemplateVariablesTest,
    ::testing::Values(VariableCase{"all_in_upper_case", QStringLiteral("%DATUM% %ODBERATEL%"),
                                   DocumentsVariable::Kept, QStringLiteral("10.12.2026 Žluťák")},
                      VariableCase{"lower_and_mixed_case", QStringLiteral("%datum%/%Odberatel%/%DATUM%"),
                                   DocumentsVariable::Kept, QStringLiteral("10.12.2026/Žluťák/10.12.2026")},
                      VariableCase{"value_holding_a_later_variable", QStringLiteral("%DODAVATEL%"),
                                   DocumentsVariable::Kept, QStringLiteral("Dodavatel Žluťák")},
                      VariableCase{"documents_kept_outside_the_body", QStringLiteral("%DOKLADY%"),
                                   DocumentsVariable::Kept, QStringLiteral("%DOKLADY%")},
                      VariableCase{"documents_replaced_in_the_body", QStringLiteral("a%doklady%b"),
                                   DocumentsVariable::Replaced, QStringLiteral("aSEZNAMb")}),
    test::CaseName());

// ---- Building the list from the tables

struct Document {
    QString number;
    double total;
    bool included;
};

platform::SystemLocale pointLocale() {
    platform::LocaleSettings settings;
    settings.decimalSeparator = QLatin1Char('.');
    return platform::SystemLocale(settings);
}

class BuildDocumentListTest : public ::testing::Test {
protected:
    BuildDocumentListTest() : locale(pointLocale()), tables(locale) {
        tables.AsOfDate = QStringLiteral("10.12.2026");
        tables.SupplierName = QStringLiteral("Horák s.r.o.");
        tempDir = dir.path() + QStringLiteral("Temp/");
        QDir().mkpath(tempDir);
    }

    void addDebtor(int id, const QString& name, bool included, const std::vector<Document>& documents) {
        tables.mtFirmy.append();
        tables.mtFirmy.setText(u"OdbNazev", name);
        tables.mtFirmy.setBool(u"Exportovat", included);
        tables.mtFirmy.setInt(u"ID", id);
        tables.mtFirmy.post();
        for (const Document& document : documents) {
            tables.mtDoklady.append();
            tables.mtDoklady.setText(u"CisloDokl", document.number);
            tables.mtDoklady.setText(u"DatVyst", QStringLiteral("1.2.2026"));
            tables.mtDoklady.setText(u"DatSplat", QStringLiteral("15.2.2026"));
            tables.mtDoklady.setFloat(u"Celkem", document.total);
            tables.mtDoklady.setFloat(u"CelkNeprop", document.total / 2);
            tables.mtDoklady.setText(u"Mena", QStringLiteral("CZK"));
            tables.mtDoklady.setBool(u"Exportovat", document.included);
            tables.mtDoklady.setInt(u"ID", id);
            tables.mtDoklady.post();
        }
    }

    void selectDebtor(int id) {
        for (int position = 0; position < tables.mtFirmy.recordCount(); ++position) {
            tables.mtFirmy.moveTo(position);
            if (tables.mtFirmy.intValue(u"ID") == id) {
                return;
            }
        }
        FAIL() << "no debtor " << id;
    }

    // Python's zipfile on the archive: each entry's name, method, flags and content.
    static QJsonArray zipEntries(const QString& archive) {
        return QJsonDocument::fromJson(
                   test::runPython(
                       {QStringLiteral("-c"),
                        QStringLiteral("import json, sys, zipfile\n"
                                       "z = zipfile.ZipFile(sys.argv[1])\n"
                                       "print(json.dumps([{'name': i.filename, 'method': i.compress_type,\n"
                                       "  'flags': i.flag_bits, 'content': z.read(i).decode('cp1250'),\n"
                                       "  'date': '%04d-%02d-%02d' % i.date_time[:3]}\n"
                                       "  for i in z.infolist()]))"),
                        archive}))
            .array();
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    import::ExportTables tables;
    app::AppSettings settings;
    test::FakeUserInterface ui;
    QString tempDir;
};

TEST_F(BuildDocumentListTest, writesTheListOfIncludedDocumentsItsMemoAndArchive) {
    addDebtor(1, QStringLiteral("Adam"), true, {{QStringLiteral("A1"), 1, true}});
    addDebtor(17, QStringLiteral("Žluťák"), true,
              {{QStringLiteral("FV1"), 100, true},
               {QStringLiteral("FV2"), 5, false},
               {QStringLiteral("FV260003"), -20.5, true}});
    settings.EF_Nadpis = QStringLiteral("Doklady pro %odberatel% ke dni %DATUM% %DOKLADY%");
    selectDebtor(17);
    tables.mtDoklady.moveTo(2);

    const QString archive = BuildDocumentList(17, tables, settings, tempDir, ui);

    EXPECT_EQ(archive, tempDir + QStringLiteral("17/Doklady.zip"));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(tables.mtDoklady.currentPosition(), 2);
    const QString heading = QStringLiteral("Doklady pro Žluťák ke dni 10.12.2026 %DOKLADY%");
    const QString rule(heading.size(), u'=');
    const QString expected =
        rule + kCrLf + heading + kCrLf + rule + kCrLf + kCrLf +
        QStringLiteral("Doklad č. Vystaveno   Splatno Cena celkem Zbývá uhradit Měna ") + kCrLf +
        QString(61, u' ') + kCrLf +
        QStringLiteral("FV1        1.2.2026 15.2.2026      100.00         50.00 CZK  ") + kCrLf +
        QStringLiteral("FV260003   1.2.2026 15.2.2026      -20.50        -10.25 CZK  ") + kCrLf;
    EXPECT_EQ(tables.mtFirmy.text(u"TextNeuhrDokl"), expected);
    QFile list(tempDir + QStringLiteral("17/Doklady.txt"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_EQ(list.readAll(), test::cp1250().encode(expected));

    const QJsonArray entries = zipEntries(archive);
    ASSERT_EQ(entries.size(), 1);
    const QJsonObject entry = entries[0].toObject();
    EXPECT_EQ(entry.value(QStringLiteral("name")).toString(), QStringLiteral("Doklady.txt"));
    EXPECT_EQ(entry.value(QStringLiteral("method")).toInt(), 8);     // deflate
    EXPECT_EQ(entry.value(QStringLiteral("flags")).toInt() & 1, 0);  // not encrypted
    EXPECT_EQ(entry.value(QStringLiteral("content")).toString(), expected);
    EXPECT_EQ(entry.value(QStringLiteral("date")).toString(), QDate::currentDate().toString(Qt::ISODate));
}

TEST_F(BuildDocumentListTest, debtorWithoutIncludedDocumentsGetsHeadingAndTitlesOnly) {
    addDebtor(3, QStringLiteral("Bez"), true, {{QStringLiteral("X"), 1, false}});
    settings.EF_Nadpis = QStringLiteral("H");
    selectDebtor(3);

    ASSERT_FALSE(BuildDocumentList(3, tables, settings, tempDir, ui).isEmpty());
    const QString titles = QStringLiteral("Doklad č. Vystaveno Splatno Cena celkem Zbývá uhradit Měna ");
    EXPECT_EQ(tables.mtFirmy.text(u"TextNeuhrDokl"),
              QStringLiteral("=\r\nH\r\n=\r\n\r\n") + titles + kCrLf + QString(titles.size(), u' ') + kCrLf);
}

TEST_F(BuildDocumentListTest, rebuildReplacesTheFilesOfAnEarlierRun) {
    addDebtor(4, QStringLiteral("Nový"), true, {{QStringLiteral("N1"), 1, true}});
    selectDebtor(4);
    QDir().mkpath(tempDir + QStringLiteral("4"));
    dir.write(QStringLiteral("Temp/4/Doklady.txt"), QByteArray(5000, 'x'));
    dir.write(QStringLiteral("Temp/4/Doklady.zip"), QByteArray("not an archive"));

    const QString archive = BuildDocumentList(4, tables, settings, tempDir, ui);

    const QJsonArray entries = zipEntries(archive);
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].toObject().value(QStringLiteral("content")).toString(),
              tables.mtFirmy.text(u"TextNeuhrDokl"));
    EXPECT_EQ(dir.read(QStringLiteral("Temp/4/Doklady.txt")),
              test::cp1250().encode(tables.mtFirmy.text(u"TextNeuhrDokl")));
}

// A name in the debtor's folder may have been made a link to some other file since the last run; the
// build replaces the link and leaves that file as it was.
TEST_F(BuildDocumentListTest, linksUnderTheFileNamesAreReplacedNotWrittenThrough) {
    addDebtor(8, QStringLiteral("Osmý"), true, {{QStringLiteral("O1"), 1, true}});
    selectDebtor(8);
    QDir().mkpath(tempDir + QStringLiteral("8"));
    dir.write(QStringLiteral("list-victim"), QByteArray("victim"));
    dir.write(QStringLiteral("archive-victim"), QByteArray("victim"));
    ASSERT_TRUE(
        QFile::link(dir.file(QStringLiteral("list-victim")), tempDir + QStringLiteral("8/Doklady.txt")));
    ASSERT_EQ(link(QFile::encodeName(dir.file(QStringLiteral("archive-victim"))).constData(),
                   QFile::encodeName(tempDir + QStringLiteral("8/Doklady.zip")).constData()),
              0);

    const QString archive = BuildDocumentList(8, tables, settings, tempDir, ui);

    ASSERT_EQ(archive, tempDir + QStringLiteral("8/Doklady.zip"));
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(dir.read(QStringLiteral("list-victim")), QByteArray("victim"));
    EXPECT_EQ(dir.read(QStringLiteral("archive-victim")), QByteArray("victim"));
    EXPECT_FALSE(QFileInfo(tempDir + QStringLiteral("8/Doklady.txt")).isSymLink());
    EXPECT_EQ(dir.read(QStringLiteral("Temp/8/Doklady.txt")),
              test::cp1250().encode(tables.mtFirmy.text(u"TextNeuhrDokl")));
    EXPECT_EQ(zipEntries(archive).size(), 1);
}

struct FailureCase {
    std::string name;
    QString blocker;  // made a non-empty folder, which cannot be deleted as a file
    QString message;
    bool memoWritten;
};

class BuildDocumentListFailureTest : public BuildDocumentListTest,
                                     public ::testing::WithParamInterface<FailureCase> {};

TEST_P(BuildDocumentListFailureTest, reportsTheBlockedFileAndGivesNoArchive) {
    addDebtor(5, QStringLiteral("Pátý"), true, {{QStringLiteral("P1"), 1, true}});
    selectDebtor(5);
    const FailureCase& failure = GetParam();
    QDir().mkpath(tempDir + failure.blocker + QStringLiteral("/inside"));

    EXPECT_EQ(BuildDocumentList(5, tables, settings, tempDir, ui), QString());
    EXPECT_EQ(ui.messages(), (std::vector<test::FakeUserInterface::Message>{
                                 {QStringLiteral("error"), failure.message + tempDir + failure.blocker}}));
    EXPECT_EQ(tables.mtFirmy.text(u"TextNeuhrDokl").isEmpty(), !failure.memoWritten);
}

INSTANTIATE_TEST_SUITE_P(BlockedFiles, BuildDocumentListFailureTest,
                         ::testing::Values(FailureCase{"scratch_file", QStringLiteral("~temp"),
                                                       QStringLiteral("Chyba: nelze přepsat soubor "), false},
                                           FailureCase{"list_file", QStringLiteral("5/Doklady.txt"),
                                                       QStringLiteral("Chyba: nelze přepsat soubor "), false},
                                           FailureCase{"archive", QStringLiteral("5/Doklady.zip"),
                                                       QStringLiteral("Chyba: nelze přepsat soubor "), true}),
                         test::CaseName());

TEST_F(BuildDocumentListTest, debtorFolderThatCannotBeMadeIsReported) {
    addDebtor(6, QStringLiteral("Šestý"), true, {{QStringLiteral("S1"), 1, true}});
    selectDebtor(6);
    dir.write(QStringLiteral("Temp/6"), QByteArray("a file in the way"));

    EXPECT_EQ(BuildDocumentList(6, tables, settings, tempDir, ui), QString());
    EXPECT_EQ(ui.messages(),
              (std::vector<test::FakeUserInterface::Message>{
                  {QStringLiteral("error"), QStringLiteral("Chyba : nelze vytvořit dočasný adresář ") +
                                                tempDir + QStringLiteral("6/")}}));
}

TEST_F(BuildDocumentListTest, missingCompressionLibraryFailsThePacking) {
    addDebtor(7, QStringLiteral("Sedmý"), true, {{QStringLiteral("S1"), 1, true}});
    selectDebtor(7);

    EXPECT_EQ(BuildDocumentList(7, tables, settings, tempDir, ui, nullptr), QString());
    EXPECT_EQ(ui.messages(),
              (std::vector<test::FakeUserInterface::Message>{
                  {QStringLiteral("error"), QStringLiteral("Nastala chyba při vytváření ZIP souboru ") +
                                                tempDir + QStringLiteral("7/Doklady.zip")}}));
    EXPECT_FALSE(QFile::exists(tempDir + QStringLiteral("7/Doklady.zip")));
}

// ---- Whether a debtor has anything to send

struct NothingToSendCase {
    std::string name;
    bool debtorIncluded;
    std::vector<Document> documents;
    bool nothing;
};

class DebtorHasNothingToSendTest : public BuildDocumentListTest,
                                   public ::testing::WithParamInterface<NothingToSendCase> {};

TEST_P(DebtorHasNothingToSendTest, needsTheDebtorAndOneIncludedDocument) {
    addDebtor(1, QStringLiteral("Jiný"), true, {{QStringLiteral("J1"), 1, true}});
    addDebtor(2, QStringLiteral("Tento"), GetParam().debtorIncluded, GetParam().documents);
    selectDebtor(2);
    const int position = tables.mtDoklady.currentPosition();
    EXPECT_EQ(DebtorHasNothingToSend(tables), GetParam().nothing);
    EXPECT_EQ(tables.mtDoklady.currentPosition(), position);
}

INSTANTIATE_TEST_SUITE_P(
    Debtors, DebtorHasNothingToSendTest,
    ::testing::Values(NothingToSendCase{"one_included_document",
                                        true,
                                        {{QStringLiteral("A"), 1, false}, {QStringLiteral("B"), 1, true}},
                                        false},
                      NothingToSendCase{"debtor_excluded", false, {{QStringLiteral("A"), 1, true}}, true},
                      NothingToSendCase{"all_documents_excluded",
                                        true,
                                        {{QStringLiteral("A"), 1, false}, {QStringLiteral("B"), 1, false}},
                                        true},
                      NothingToSendCase{"no_documents", true, {}, true}),
    test::CaseName());

// ---- The start-up check

TEST(CheckZipLibrary, passesWithTheInstalledLibraryAndStopsWithoutIt) {
    test::FakeUserInterface ui;
    EXPECT_TRUE(CheckZipLibrary(ui));
    EXPECT_TRUE(ui.messages().empty());

    const auto missing = ZipLibrary::load(QStringLiteral("libzip-not-installed.so.4"));
    EXPECT_EQ(missing, nullptr);
    EXPECT_FALSE(CheckZipLibrary(ui, missing.get()));
    EXPECT_EQ(ui.messages(),
              (std::vector<test::FakeUserInterface::Message>{
                  {QStringLiteral("error"),
                   QStringLiteral("Některá komprimační knihovna chybí - proveďte reinstalaci programu.")}}));
}

}  // namespace
