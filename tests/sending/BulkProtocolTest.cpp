#include "sending/FirstEmailingHint.h"
#include "sending/Protocol.h"
#include "sending/TestEmailAddress.h"
#include "support/CaseName.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace tervalo;
using namespace tervalo::sending;
using Message = test::FakeUserInterface::Message;

namespace {

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

Protocol sampleProtocol() {
    Protocol protocol;
    protocol.AddProtocolLine(QString());
    protocol.AddProtocolLine(QStringLiteral("Odesílání e-mailu na Žluťák (z@z.cz)"));
    return protocol;
}

TEST(Protocol, linesEndWithCrLfAndOnlyGrow) {
    Protocol protocol = sampleProtocol();
    const qsizetype mark = protocol.text().size();
    protocol.AddProtocolLine(QStringLiteral("Dokončeno"));
    EXPECT_EQ(protocol.text(), QStringLiteral("\r\nOdesílání e-mailu na Žluťák (z@z.cz)\r\nDokončeno\r\n"));
    EXPECT_EQ(protocol.linesFrom(mark), QStringList{QStringLiteral("Dokončeno")});
    EXPECT_EQ(protocol.linesFrom(0).size(), 3);
}

struct SaveCase {
    std::string name;
    QString chosen;  // relative to the folder
    QString written;
};

class SaveProtocolTest : public ::testing::TestWithParam<SaveCase> {};

TEST_P(SaveProtocolTest, writesTheTextInUtf8WithAByteOrderMarkReplacingAnOldFile) {
    test::TempAppDir dir;
    dir.write(GetParam().written, "an older, longer protocol file");
    test::FakeUserInterface ui;
    ui.queueFile(dir.file(GetParam().chosen));
    const Protocol protocol = sampleProtocol();

    EXPECT_TRUE(SaveProtocol(protocol, ui));

    EXPECT_EQ(fileBytes(dir.file(GetParam().written)), QByteArray("\xEF\xBB\xBF") + protocol.text().toUtf8());
    EXPECT_EQ(protocol.text(), sampleProtocol().text());
    ASSERT_EQ(ui.fileRequests().size(), 1u);
    const FileDialogRequest& request = ui.fileRequests().front();
    EXPECT_EQ(request.title, QStringLiteral("Uložit do souboru"));
    EXPECT_EQ(request.filter, QStringLiteral("Textové soubory (*.txt)|*.txt|Všechny soubory (*.*)|*.*"));
    EXPECT_EQ(request.defaultExtension, QStringLiteral("txt"));
    EXPECT_EQ(request.fileName, QString());
    EXPECT_FALSE(request.confirmOverwrite);
    EXPECT_EQ(ui.messages(), std::vector<Message>());
}

INSTANTIATE_TEST_SUITE_P(
    Names, SaveProtocolTest,
    ::testing::Values(SaveCase{"name_without_extension_gets_txt", QStringLiteral("protokol"),
                               QStringLiteral("protokol.txt")},
                      SaveCase{"name_with_extension_is_kept", QStringLiteral("protokol.log"),
                               QStringLiteral("protokol.log")}),
    test::CaseName());

TEST(SaveProtocol, cancelWritesNothing) {
    test::FakeUserInterface ui;
    ui.queueFile(std::nullopt);
    EXPECT_FALSE(SaveProtocol(sampleProtocol(), ui));
}

TEST(SaveProtocol, aFileThatCannotBeWrittenRaisesAnError) {
    test::TempAppDir dir;
    test::FakeUserInterface ui;
    const QString path = dir.file(QStringLiteral("missing folder/protokol.txt"));
    ui.queueFile(path);
    EXPECT_THROW(SaveProtocol(sampleProtocol(), ui), ProtocolFileError);
}

struct AddressCase {
    std::string name;
    QString typed;
    bool accepted;
    QString kept;
    QString warning;  // text with an "@" that is no list of mailboxes
};

class TestAddressTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(TestAddressTest, isTrimmedAndMustNameMailboxes) {
    const AddressCase& c = GetParam();
    test::FakeUserInterface ui;
    QString address = c.typed;
    EXPECT_EQ(AcceptTestAddress(address, ui), c.accepted);
    EXPECT_EQ(address, c.kept);
    const std::vector<Message> refused{
        c.warning.isEmpty() ? Message{QStringLiteral("information"),
                                      QStringLiteral("Musíte zadat platnou e-mailovou adresu.")}
                            : Message{QStringLiteral("warning"), c.warning}};
    EXPECT_EQ(ui.messages(), c.accepted ? std::vector<Message>() : refused);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, TestAddressTest,
    ::testing::Values(
        AddressCase{"blanks_around_are_removed",
                    QStringLiteral("  ja@horak.cz \t"),
                    true,
                    QStringLiteral("ja@horak.cz"),
                    {}},
        AddressCase{"several_addresses",
                    QStringLiteral("ja@horak.cz; ty@horak.cz"),
                    true,
                    QStringLiteral("ja@horak.cz; ty@horak.cz"),
                    {}},
        AddressCase{"at_sign_alone_is_no_mailbox", QStringLiteral("@"), false, QStringLiteral("@"),
                    QStringLiteral("„@“ není platná e-mailová adresa. Zadejte adresu ve tvaru "
                                   "jmeno@domena.cz, více adres oddělte čárkou nebo středníkem.")},
        AddressCase{"empty", QString(), false, QString(), {}},
        AddressCase{"blanks_only", QStringLiteral("   "), false, QString(), {}},
        AddressCase{"no_at_sign", QStringLiteral(" horak.cz "), false, QStringLiteral("horak.cz"), {}}),
    test::CaseName());

TEST(FirstEmailingHint, isShownOnceAndClearsTheFlag) {
    app::AppSettings settings;
    test::FakeUserInterface ui;
    ShowFirstEmailingHint(settings, ui);
    ShowFirstEmailingHint(settings, ui);
    EXPECT_FALSE(settings.FirstEmailing);
    EXPECT_EQ(
        ui.messages(),
        (std::vector<Message>{
            {QStringLiteral("information"),
             QStringLiteral("Hromadné odeslání e-mailů budete provádět poprvé - doporučujeme nejprve tuto "
                            "funkci vyzkoušet. V následujícím okně klepněte na tlačítko \"Testovací "
                            "režim\".")}}));
}

}  // namespace
