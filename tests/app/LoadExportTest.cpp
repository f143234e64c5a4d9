#include "AppFixture.h"
#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "state/StateSchema.h"
#include "state/StateTables.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

struct LoadFixture : test::AppFixture {
    LoadFixture() { EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue); }
};

TEST(LoadExport, emptyOrBlankNameAsksForTheFile) {
    for (const char* text : {"", "   "}) {
        LoadFixture f;
        EXPECT_FALSE(app::LoadExport(f.session, QString::fromLatin1(text), f.ui));
        EXPECT_EQ(f.ui.messages(),
                  (std::vector<Message>{
                      {QStringLiteral("information"), QStringLiteral("Musíte zadat vstupní CSV soubor.")}}));
    }
}

TEST(LoadExport, missingFileWarnsWithTrimmedPath) {
    LoadFixture f;
    const QString path = f.dir.file(QStringLiteral("chybí.csv"));
    EXPECT_FALSE(app::LoadExport(f.session, QStringLiteral(" ") + path + QStringLiteral(" "), f.ui));
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{{QStringLiteral("warning"), QStringLiteral("Vstupní soubor ") + path +
                                                                    QStringLiteral(" neexistuje.")}}));
    EXPECT_EQ(f.session.ExportFilePath, path);
}

TEST(LoadExport, readsTheDemoExportShowingTheWaitMessage) {
    LoadFixture f;
    f.session.keepExportCells = true;  // as the inspect command asks
    const QString path = test::demoExportPath();
    ASSERT_TRUE(app::LoadExport(f.session, path, f.ui));
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(
        f.ui.waitMessages(),
        (std::vector<QString>{QStringLiteral("Načtení vstupního souboru, čekejte prosím..."), QString()}));
    EXPECT_EQ(f.session.exportSeparator, ';');
    const auto& codec = f.session.locale.codec();
    EXPECT_EQ(f.session.sgrCSV.cell(1, 4, codec), QStringLiteral("Účetní kancelář Horák s.r.o."));
    // A quoted name with the separator stays one cell.
    bool found = false;
    for (int r = 0; r <= f.session.sgrCSV.lastRow(); ++r) {
        found |= f.session.sgrCSV.cell(r, 2, codec) == QStringLiteral("Bělohradský a syn; stavební firma");
    }
    EXPECT_TRUE(found);
}

// Once the tables are built the cells are not needed: their memory goes back.
TEST(LoadExport, emptiesTheCellMatrixOnceTheTablesAreBuilt) {
    LoadFixture f;
    ASSERT_TRUE(app::LoadExport(f.session, test::demoExportPath(), f.ui));
    EXPECT_EQ(f.session.tables.mtFirmy.recordCount(), 12);
    EXPECT_EQ(f.session.sgrCSV.rowCount(), 0);
    EXPECT_LT(f.session.sgrCSV.memoryBytes(), 64u);
}

// The state tables are read beside the export: their failure reaches the caller as the table's error
// (the program's error handler shows it), unless the export itself failed first.
TEST(LoadExport, aStateTableThatCannotBeReadFailsTheLoadWithItsError) {
    LoadFixture f;
    f.session.stateTables->SetDocumentExport(QStringLiteral("FV260101"), false);
    QFile table(f.dir.file(state::Schema::edokladyFile));
    ASSERT_TRUE(table.resize(table.size() - 40));  // the record is cut short

    EXPECT_THROW(app::LoadExport(f.session, test::demoExportPath(), f.ui), state::StateError);

    // A file that opens but cannot be read: the export's own warning, nothing thrown.
    EXPECT_FALSE(app::LoadExport(f.session, QStringLiteral("/proc/self/mem"), f.ui));
    ASSERT_EQ(f.ui.messages().size(), 1u);
    EXPECT_EQ(f.ui.messages()[0].kind, QStringLiteral("warning"));
}

TEST(BrowseForExport, remembersTheFolderOfTheChosenFile) {
    LoadFixture f;
    f.session.settings.OpenDir = QStringLiteral("/srv/exporty/");
    f.ui.queueFile(QStringLiteral("/home/ucetni/Exporty/leden.csv"));
    EXPECT_EQ(app::BrowseForExport(f.session, f.ui), QStringLiteral("/home/ucetni/Exporty/leden.csv"));
    EXPECT_EQ(f.session.settings.OpenDir, QStringLiteral("/home/ucetni/Exporty/"));
    ASSERT_EQ(f.ui.fileRequests().size(), 1u);
    const auto& request = f.ui.fileRequests()[0];
    EXPECT_EQ(request.title, QStringLiteral("Vyberte zdrojový CSV soubor"));
    EXPECT_EQ(request.filter,
              QStringLiteral("Soubory exportu z Ekvan (*.CSV)|*.CSV|Všechny soubory (*.*)|*.*"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("CSV"));
    EXPECT_EQ(request.initialFolder, QStringLiteral("/srv/exporty/"));

    f.ui.queueFile(std::nullopt);
    EXPECT_EQ(app::BrowseForExport(f.session, f.ui), std::nullopt);
    EXPECT_EQ(f.session.settings.OpenDir, QStringLiteral("/home/ucetni/Exporty/"));
}

}  // namespace
