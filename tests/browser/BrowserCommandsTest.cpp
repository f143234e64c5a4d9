#include "browser/BrowserCommands.h"
#include "import/BuildTables.h"
#include "import/ExportReader.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

// The demo export loaded into the tables, with the commands over them.
struct CommandsFixture {
    CommandsFixture() {
        test::writeDemoDefFile(dir);
        stateTables.OpenStateTables();
        QFile demo(test::demoExportPath());
        demo.open(QIODevice::ReadOnly);
        import::ExportReader::ParseExport(demo.readAll(), matrix);
        EXPECT_TRUE(import::BuildTables(
            tables, {matrix, dir.file(QStringLiteral("uhterv.def")), QLatin1Char(','), QDate(2026, 12, 10)},
            stateTables.snapshot(), ui));
    }
    void selectDebtor(const char* name) {
        ASSERT_TRUE(tables.mtFirmy.findKey(QString::fromUtf8(name))) << name;
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    state::StateTables stateTables{dir.path(), locale};
    import::CellMatrix matrix;
    import::ExportTables tables{locale};
    test::FakeUserInterface ui;
    QStringList opened;
    browser::BrowserCommands commands{tables, stateTables, ui, [this](const QString& a) { opened << a; }};
};

QString catchAll(const char* what) {
    return QStringLiteral(
               "Ve skupině Ostatní jsou všechny doklady, u nichž nebyl odběratel vybraný z adresáře firem. "
               "Tato skupina může obsahovat doklady více firem, nelze jí proto přiřadit jednu ") +
           QString::fromUtf8(what) +
           QStringLiteral(
               ". Chcete-li doklady správně zařadit, musíte v Ekvan každý doklad otevřít a vybrat "
               "odběratele řádně z adresáře.");
}

const QString kNoAddress = QStringLiteral(
    "U této firmy není uvedena e-mailová adresa. Pokud ji znáte, doplňte ji příště do adresáře v Ekvan.");

TEST(BrowserCommands, catchAllGroupIsRefusedWithTheCommandsWord) {
    struct Case {
        void (browser::BrowserCommands::*command)();
        const char* what;
    };
    const Case cases[] = {{&browser::BrowserCommands::ToggleDebtorExport, "e-mailovou adresu"},
                          {&browser::BrowserCommands::ChangeAddress, "e-mailovou adresu"},
                          {&browser::BrowserCommands::AddressNote, "informaci"},
                          {&browser::BrowserCommands::VisitDebtorWeb, "internetovou adresu"}};
    for (const auto& c : cases) {
        CommandsFixture f;
        f.selectDebtor("Ostatní");
        (f.commands.*c.command)();
        EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), catchAll(c.what)}}))
            << c.what;
        EXPECT_TRUE(f.tables.mtFirmy.boolValue(u"Exportovat"));
    }
}

TEST(BrowserCommands, excludingADebtorStoresItUnderItsAddressAndKeepsTheDocument) {
    CommandsFixture f;
    f.selectDebtor("Gastro Řehoř");
    f.tables.mtDoklady.last();
    f.commands.ToggleDebtorExport();
    EXPECT_FALSE(f.tables.mtFirmy.boolValue(u"Exportovat"));
    EXPECT_EQ(f.tables.mtDoklady.recNo(), 3);
    EXPECT_FALSE(f.stateTables.GetAddressExport(QStringLiteral("rehor@gastro-rehor.cz")));
    f.commands.ToggleDebtorExport();
    EXPECT_TRUE(f.stateTables.GetAddressExport(QStringLiteral("REHOR@GASTRO-REHOR.CZ")));
    EXPECT_TRUE(f.ui.messages().empty());
}

TEST(BrowserCommands, excludingADebtorWithoutAddressAsksForOne) {
    CommandsFixture f;
    f.selectDebtor("Farma Úhlava");
    f.ui.queueEmailAddress(std::nullopt);  // Storno: nothing changes
    f.commands.ToggleDebtorExport();
    EXPECT_EQ(f.ui.messages(), (std::vector<Message>{{QStringLiteral("information"), kNoAddress}}));
    EXPECT_TRUE(f.tables.mtFirmy.boolValue(u"Exportovat"));
    EXPECT_FALSE(f.tables.mtFirmy.boolValue(u"JeEmail"));

    f.ui.queueEmailAddress(QStringLiteral("farma@uhlava.cz"));
    f.commands.ToggleDebtorExport();
    EXPECT_EQ(f.tables.mtFirmy.text(u"OdbEmail"), QStringLiteral("farma@uhlava.cz"));
    EXPECT_TRUE(f.tables.mtFirmy.boolValue(u"JeEmail"));
    EXPECT_FALSE(f.tables.mtFirmy.boolValue(u"Exportovat"));
    EXPECT_FALSE(f.stateTables.GetAddressExport(QStringLiteral("farma@uhlava.cz")));
    EXPECT_EQ(f.ui.emailRequests().back(),
              (test::FakeUserInterface::EmailRequest{QStringLiteral("Farma Úhlava"), QString()}));
}

TEST(BrowserCommands, changedAddressTakesItsStoredExclusion) {
    CommandsFixture f;
    f.stateTables.SetAddressExport(QStringLiteral("vyrazena@firma.cz"), false);
    f.selectDebtor("Alfa Stavby s.r.o.");
    f.ui.queueEmailAddress(QStringLiteral("vyrazena@firma.cz"));
    f.commands.ChangeAddress();
    EXPECT_TRUE(f.ui.messages().empty());  // it had an address: the dialog opens directly
    EXPECT_EQ(f.ui.emailRequests().back().address, QStringLiteral("uctarna@alfastavby.cz"));
    EXPECT_FALSE(f.tables.mtFirmy.boolValue(u"Exportovat"));
}

TEST(BrowserCommands, documentExclusionAndNoteMark) {
    CommandsFixture f;
    f.selectDebtor("Alfa Stavby s.r.o.");
    f.tables.mtDoklady.moveTo(1);
    f.commands.ToggleDocumentExport();
    EXPECT_FALSE(f.tables.mtDoklady.boolValue(u"Exportovat"));
    EXPECT_FALSE(f.stateTables.GetDocumentExport(QStringLiteral("FV260145")));
    EXPECT_TRUE(f.tables.mtFirmy.boolValue(u"Exportovat"));  // the debtor's own flag stays

    // A note of blanks still marks the document; an empty one clears the mark.
    f.ui.queueNote(QStringLiteral("   "));
    f.commands.DocumentNote();
    EXPECT_TRUE(f.tables.mtDoklady.boolValue(u"JePozn"));
    EXPECT_EQ(f.ui.noteRequests().back().heading, QStringLiteral("Poznámka k dokladu "));
    EXPECT_EQ(f.ui.noteRequests().back().key, QStringLiteral("FV260145"));
    EXPECT_FALSE(f.ui.noteRequests().back().showLastSend);
    f.ui.queueNote(QString());
    f.commands.DocumentNote();
    EXPECT_EQ(f.ui.noteRequests().back().note, QStringLiteral("   "));
    EXPECT_FALSE(f.tables.mtDoklady.boolValue(u"JePozn"));
    EXPECT_FALSE(f.stateTables.DocumentHasNote(QStringLiteral("FV260145")));
}

TEST(BrowserCommands, addressNoteShowsTheLastSendDate) {
    CommandsFixture f;
    f.selectDebtor("Alfa Stavby s.r.o.");
    f.ui.queueNote(QStringLiteral("Platí vždy pozdě"));
    f.commands.AddressNote();
    EXPECT_EQ(f.ui.noteRequests().back().lastSend, QStringLiteral("[nezjištěno]"));
    EXPECT_TRUE(f.ui.noteRequests().back().showLastSend);
    f.stateTables.MarkAddressSent(QStringLiteral("uctarna@alfastavby.cz"));
    f.ui.queueNote(std::nullopt);
    f.commands.AddressNote();
    EXPECT_EQ(f.ui.noteRequests().back().note, QStringLiteral("Platí vždy pozdě"));
    EXPECT_EQ(f.ui.noteRequests().back().lastSend, f.locale.formatShortDate(QDate::currentDate()));

    f.selectDebtor("Farma Úhlava");
    f.commands.AddressNote();
    EXPECT_EQ(f.ui.messages().back().text,
              QStringLiteral("Poznámka se váže k e-mailové adrese - tato firma ji však nemá přiřazenou."));
}

// An address with a control character would break the commands and headers of a reminder, and text
// that names no mailbox reaches no one: the dialog is shown again with it, and the row changes only
// with the corrected address.
TEST(BrowserCommands, anAddressThatIsNoListOfMailboxesIsOfferedAgain) {
    CommandsFixture f;
    f.selectDebtor("Alfa Stavby s.r.o.");
    const QString hostile = QStringLiteral("nova@firma.cz\r\nBcc: cizi@jinde.cz");
    const QString words = QStringLiteral("recepce hotel-dablice");
    f.ui.queueEmailAddress(hostile);
    f.ui.queueEmailAddress(words);
    f.ui.queueEmailAddress(QStringLiteral("nova@firma.cz; druha@firma.cz"));
    f.commands.ChangeAddress();
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{
                  {QStringLiteral("warning"),
                   QStringLiteral("Pole „E-mailová adresa“ obsahuje nepovolený řídicí znak (kód "
                                  "13). Opravte ho prosím.")},
                  {QStringLiteral("warning"),
                   QStringLiteral("„recepce hotel-dablice“ není platná e-mailová adresa. Zadejte "
                                  "adresu ve tvaru jmeno@domena.cz, více adres oddělte čárkou nebo "
                                  "středníkem.")}}));
    ASSERT_EQ(f.ui.emailRequests().size(), 3u);
    EXPECT_EQ(f.ui.emailRequests()[1].address, hostile);
    EXPECT_EQ(f.ui.emailRequests()[2].address, words);
    EXPECT_EQ(f.tables.mtFirmy.text(u"OdbEmail"), QStringLiteral("nova@firma.cz; druha@firma.cz"));
}

// Characters the code page cannot hold would be stored as "?": the note dialog is shown again with
// the note as typed, and only a note that can be stored is written.
TEST(BrowserCommands, noteWithCharactersTheCodePageLacksIsOfferedAgain) {
    CommandsFixture f;
    f.selectDebtor("Alfa Stavby s.r.o.");
    const QString typed = QStringLiteral("Volat à Ñandú, Жанна, à");
    f.ui.queueNote(typed);
    f.ui.queueNote(std::nullopt);
    f.commands.DocumentNote();
    EXPECT_EQ(f.ui.messages(),
              (std::vector<Message>{{QStringLiteral("warning"),
                                     QStringLiteral("Pole „Poznámka“ obsahuje znaky, které kódová stránka "
                                                    "Windows-1250 neumí uložit: à, Ñ, Ж, а, н. Opravte je "
                                                    "prosím.")}}));
    ASSERT_EQ(f.ui.noteRequests().size(), 2u);
    EXPECT_EQ(f.ui.noteRequests()[1].note, typed);
    EXPECT_FALSE(f.tables.mtDoklady.boolValue(u"JePozn"));
    EXPECT_FALSE(f.stateTables.readDocumentNote(f.tables.mtDoklady.text(u"CisloDokl")).exists);

    f.ui.clearMessages();
    f.ui.queueNote(QStringLiteral("Nové\u00a0číslo: ä ß"));  // all in the code page
    f.commands.AddressNote();
    EXPECT_TRUE(f.ui.messages().empty());
    EXPECT_EQ(f.stateTables.readAddressNote(QStringLiteral("uctarna@alfastavby.cz")).note,
              QStringLiteral("Nové\u00a0číslo: ä ß"));
}

TEST(BrowserCommands, webAddressGetsTheSchemeOnlyWhenItLacksIt) {
    CommandsFixture f;
    f.selectDebtor("Alfa Stavby s.r.o.");
    f.commands.VisitDebtorWeb();
    EXPECT_EQ(f.opened, QStringList{QStringLiteral("http://www.alfastavby.cz")});
    f.selectDebtor("Bělohradský a syn; stavební firma");
    f.commands.VisitDebtorWeb();
    EXPECT_EQ(f.ui.messages().back().text,
              QStringLiteral(
                  "U této firmy není uvedena WWW adresa. Pokud ji znáte, doplňte ji do adresáře v Ekvan."));
}

// Only web pages reach the desktop's opener: "http://" goes in front of a text without a scheme, and
// whatever then is not http or https with a host (a local file, a share, another program's scheme,
// even with "http://" somewhere inside) is refused with a warning and opens nothing.
TEST(BrowserCommands, onlyWebPagesAreOpened) {
    const std::pair<const char*, const char*> cases[] = {
        {"http://firma.cz", "http://firma.cz"},
        {"HTTPS://Firma.cz/cenik?a=1#b", "https://firma.cz/cenik?a=1#b"},
        {" www.firma.cz ", "http://www.firma.cz"},
        {"firma.cz:8080/cenik", "http://firma.cz:8080/cenik"},
        {"www.žluťoučký-kůň.cz/ceník", "http://www.xn--luouk-k-z2a6lsyxjlexh.cz/cen%C3%ADk"},
        {"file:///home/u/x.jar#http://", nullptr},
        {"smb://host/share/http://", nullptr},
        {"someapp://run?u=http://", nullptr},
        {"javascript:alert(1)", nullptr},
        {"mailto:info@firma.cz", nullptr},
        {"/etc/passwd", nullptr},
        {"http:///etc/passwd", nullptr},
        {"ftp://firma.cz", nullptr},
    };
    CommandsFixture f;
    for (const auto& [text, opened] : cases) {
        f.opened.clear();
        f.ui.clearMessages();
        f.commands.OpenWebAddress(QString::fromUtf8(text));
        if (opened) {
            EXPECT_EQ(f.opened, QStringList{QString::fromUtf8(opened)}) << text;
            EXPECT_TRUE(f.ui.messages().empty()) << text;
        } else {
            EXPECT_TRUE(f.opened.isEmpty()) << text << " opened " << f.opened.join(u' ').toStdString();
            EXPECT_EQ(f.ui.messages(),
                      (std::vector<Message>{{QStringLiteral("warning"),
                                             QStringLiteral("Adresa „") + QString::fromUtf8(text).trimmed() +
                                                 QStringLiteral("“ není adresou webové stránky (http nebo "
                                                                "https), proto nebyla otevřena.")}}))
                << text;
        }
    }
}

}  // namespace
