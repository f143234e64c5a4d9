#include "app/HelpFile.h"
#include "platform/ZipLibrary.h"
#include "settings/IniFile.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <QDir>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

QString builtHelpFile(int variant) {
    return QStringLiteral(TERVALO_APP_DIR "/Setup/%1/Tervalo.chm").arg(variant);
}

int builtVariantCount() {
    return app::IniFile(QStringLiteral(TERVALO_APP_DIR "/Setup/Setup.ini"), test::cp1250())
        .integer(QStringLiteral("MAIN"), QStringLiteral("COPYCOUNT"), 1);
}

std::optional<app::HelpFile> openBuilt(int variant) {
    return app::HelpFile::open(builtHelpFile(variant));
}

struct TopicCase {
    const char* name;
    const char* topic;
    const char* resolved;
};

class HelpTopic : public testing::TestWithParam<TopicCase> {};

TEST_P(HelpTopic, resolvesToAPageOfTheFile) {
    const std::optional<app::HelpFile> help = openBuilt(1);
    ASSERT_TRUE(help);
    EXPECT_EQ(help->resolveTopic(QString::fromUtf8(GetParam().topic)),
              QString::fromUtf8(GetParam().resolved));
}

INSTANTIATE_TEST_SUITE_P(
    Topics, HelpTopic,
    testing::Values(TopicCase{"start_page", "pgMain.htm", "pgMain.htm"},
                    TopicCase{"extension_appended", "pgSettings", "pgSettings.htm"},
                    TopicCase{"anchor_kept", "pgTroubleshooting.htm#smtp", "pgTroubleshooting.htm#smtp"},
                    TopicCase{"anchor_kept_extension_appended", "pgTroubleshooting#smtp",
                              "pgTroubleshooting.htm#smtp"},
                    TopicCase{"unknown_page_gives_contents", "pgNeexistuje.htm", "pgMain.htm"},
                    TopicCase{"empty_topic_gives_contents", "", "pgMain.htm"},
                    TopicCase{"image_is_no_page", "legenda.png", "pgMain.htm"}),
    [](const testing::TestParamInfo<TopicCase>& row) { return std::string(row.param.name); });

TEST(HelpFile, missingDamagedOrForeignFilesOpenAsNothing) {
    test::TempAppDir dir;
    dir.write(QStringLiteral("damaged.chm"), QByteArray("PK\x03\x04 not really an archive"));
    const compose::ZipLibrary* zip = compose::ZipLibrary::shared();
    ASSERT_NE(zip, nullptr);
    // A ZIP archive without the contents list is some other archive.
    const auto foreign = zip->pack(QByteArray("<html><title>x</title></html>"), QStringLiteral("page.htm"));
    ASSERT_TRUE(foreign);
    dir.write(QStringLiteral("foreign.chm"), *foreign);
    for (const char* name : {"missing.chm", "damaged.chm", "foreign.chm", ""}) {
        EXPECT_FALSE(app::HelpFile::open(dir.file(QString::fromUtf8(name)))) << name;
    }
}

// The stated sizes bound the reading, so an archive claiming gigabytes is refused before anything is
// allocated, and one within the bound reads whole.
TEST(HelpFile, archivesLargerThanTheBoundAreRefused) {
    test::TempAppDir dir;
    const compose::ZipLibrary* zip = compose::ZipLibrary::shared();
    ASSERT_NE(zip, nullptr);
    const auto archive = zip->pack(QByteArray(100, 'x'), QStringLiteral("Contents.txt"));
    ASSERT_TRUE(archive);
    dir.write(QStringLiteral("a.zip"), *archive);
    EXPECT_FALSE(zip->readAllEntries(dir.file(QStringLiteral("a.zip")), 99));
    const auto entries = zip->readAllEntries(dir.file(QStringLiteral("a.zip")), 100);
    ASSERT_TRUE(entries);
    EXPECT_EQ(entries->at(QStringLiteral("Contents.txt")), QByteArray(100, 'x'));
}

TEST(HelpFile, contentsAreATreeOfTitledPagesInListOrder) {
    std::map<QString, QByteArray> entries{
        {QStringLiteral("Contents.txt"), "a.htm\n  b.htm\n    c.htm\n  missing.htm\nd.htm\n"},
        {QStringLiteral("a.htm"), "<html><head><title>Úvod &amp; obsah</title></head></html>"},
        {QStringLiteral("b.htm"), "<title>\n  Druhá\n</title>"},
        {QStringLiteral("c.htm"), "<p>bez titulku</p>"},
        {QStringLiteral("d.htm"), "<title>Čtvrtá</title>"}};
    const std::optional<app::HelpFile> help = app::HelpFile::fromEntries(entries);
    ASSERT_TRUE(help);
    std::vector<std::tuple<QString, QString, int>> shown;
    for (const app::HelpContentsEntry& entry : help->contents()) {
        shown.emplace_back(entry.topic, entry.title, entry.level);
    }
    EXPECT_EQ(shown, (std::vector<std::tuple<QString, QString, int>>{
                         {QStringLiteral("a.htm"), QStringLiteral("Úvod & obsah"), 0},
                         {QStringLiteral("b.htm"), QStringLiteral("Druhá"), 1},
                         {QStringLiteral("c.htm"), QStringLiteral("c.htm"), 2},
                         {QStringLiteral("d.htm"), QStringLiteral("Čtvrtá"), 0}}));
    EXPECT_EQ(help->contentsPage(), QStringLiteral("a.htm"));
}

TEST(HelpFile, searchFindsEveryWordWithoutRegardToCaseAndDiacritics) {
    const std::optional<app::HelpFile> help = openBuilt(1);
    ASSERT_TRUE(help);
    EXPECT_EQ(help->search(QStringLiteral("poznamena si DNESNI datum")),
              QStringList{QStringLiteral("pgReminder.htm")});
    EXPECT_TRUE(help->search(QStringLiteral("STARTTLS")).contains(QStringLiteral("pgSettings.htm")));
    // Text inside tags and the head is no text of the page.
    EXPECT_TRUE(help->search(QStringLiteral("href")).isEmpty());
    EXPECT_TRUE(help->search(QStringLiteral("   ")).isEmpty());
    EXPECT_TRUE(help->search(QStringLiteral("kapybara")).isEmpty());
}

// Every page of every version's file is in the contents, every link and image inside the file leads
// to an entry (and an anchor to an id on its page), and nothing in the file is left unused.
TEST(HelpContent, everyVersionsFileIsWhollyReachableWithoutBrokenLinks) {
    const int variants = builtVariantCount();
    ASSERT_GE(variants, 2);
    for (int variant = 1; variant <= variants; ++variant) {
        SCOPED_TRACE(variant);
        const std::optional<app::HelpFile> built = openBuilt(variant);
        ASSERT_TRUE(built);
        const app::HelpFile& help = *built;
        QSet<QString> listed;
        for (const app::HelpContentsEntry& entry : help.contents()) {
            listed << entry.topic;
        }
        QSet<QString> used{QString::fromLatin1(app::HelpFile::kContentsList)};
        for (const QString& name : help.entryNames()) {
            if (!name.endsWith(QStringLiteral(".htm"))) {
                continue;
            }
            used << name;
            EXPECT_TRUE(listed.contains(name)) << name.toStdString() << " is not in the contents";
            for (const QString& reference : app::helpPageReferences(*help.entry(name))) {
                const QUrl url(reference);
                if (!url.scheme().isEmpty()) {
                    EXPECT_TRUE(url.scheme() == QStringLiteral("https") ||
                                url.scheme() == QStringLiteral("mailto"))
                        << reference.toStdString();
                    continue;
                }
                const QString target = url.path().isEmpty() ? name : url.path();
                const std::optional<QByteArray> page = help.entry(target);
                EXPECT_TRUE(page) << name.toStdString() << " -> " << reference.toStdString();
                used << target;
                if (page && url.hasFragment()) {
                    EXPECT_TRUE(page->contains(QStringLiteral("id=\"%1\"").arg(url.fragment()).toUtf8()))
                        << name.toStdString() << " -> " << reference.toStdString();
                }
            }
        }
        const QStringList names = help.entryNames();
        EXPECT_EQ(QSet<QString>(names.begin(), names.end()), used);
    }
}

// The versions' files differ only in the page describing that version's export.
TEST(HelpContent, versionsDifferOnlyInTheirExportPage) {
    const std::optional<app::HelpFile> builtFirst = openBuilt(1);
    const std::optional<app::HelpFile> builtSecond = openBuilt(2);
    ASSERT_TRUE(builtFirst && builtSecond);
    const app::HelpFile& first = *builtFirst;
    const app::HelpFile& second = *builtSecond;
    ASSERT_EQ(first.entryNames(), second.entryNames());
    QStringList differing;
    for (const QString& name : first.entryNames()) {
        if (first.entry(name) != second.entry(name)) {
            differing << name;
        }
    }
    EXPECT_EQ(differing, QStringList{QStringLiteral("pgEkvanExport.htm")});
    EXPECT_FALSE(first.entry(QStringLiteral("pgEkvanExport.htm"))->contains("EXPORT_SCREENS"));
}

}  // namespace
