#include "transport/mime/AttachmentOpenError.h"
#include "transport/mime/TMimeMess.h"

#include <QFile>
#include <QTemporaryDir>

#include "QtPrinters.h"

#include <gtest/gtest.h>

namespace tervalo::transport {
namespace {

using Lines = QList<QByteArray>;

const QByteArray kBoundary = "0123ABCD_89ABCDEF_Synapse_boundary";
const QByteArray kEmptyZip("PK\x05\x06\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 22);

MimeEnvironment fixedEnvironment(
    CharsetConverter::Engine engine = CharsetConverter::Engine::ConversionLibrary) {
    MimeEnvironment environment;
    environment.charsets = {Charset::CP1250, CharsetConverter(engine)};
    environment.currentTime = [] { return QDateTime(QDate(2024, 3, 5), QTime(14, 3, 7)); };
    environment.timeZoneBiasMinutes = [] { return -60; };
    environment.makeBoundary = [] { return QString::fromLatin1(kBoundary); };
    return environment;
}

class TMimeMessTest : public testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& content) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return path;
    }

    // The rendered lines from the first boundary on, of a message holding one empty file `name`.
    Lines emptyAttachmentPart(const QString& name) {
        TMimeMess message(fixedEnvironment());
        TMimePart& root = message.StartMultipart(QStringLiteral("Mixed"));
        message.AppendFilePart(writeFile(name, {}), root);
        message.RenderMessage();
        const qsizetype start = message.MessageLines.indexOf("--" + kBoundary);
        EXPECT_GE(start, 0);
        return start < 0 ? Lines() : message.MessageLines.mid(start);
    }

    QTemporaryDir m_dir;
};

// The reminder as composition builds it: header fields, multipart, body, archive.
TEST_F(TMimeMessTest, reminderWithBodyAndAttachmentIsRenderedLineByLine) {
    TMimeMess message(fixedEnvironment());
    message.Header.SenderField = QStringLiteral("Dodavatel s.r.o. <upominky@dodavatel.cz>");
    message.Header.ExtraHeaderLines.append(QStringLiteral("Return-Path: <upominky@dodavatel.cz>"));
    message.Header.RecipientList.append(QStringLiteral("<odberatel@firma.cz>"));
    message.Header.CopyList.append(QStringLiteral("<kopie@dodavatel.cz>"));
    message.Header.MessageIdentifier = QStringLiteral(" 123456789050324140307@dodavatel.cz\t");
    message.Header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    message.Header.SubjectText = QStringLiteral("Upomínka neuhrazených dokladů ke dni 05.03.2024");
    TMimePart& root = message.StartMultipart(QStringLiteral("Mixed"));
    message.AppendTextPart(
        QStringLiteral("Vážený zákazníku,\r\nevidujeme neuhrazené doklady.\r\nS pozdravem"), root);
    message.AppendFilePart(writeFile(QStringLiteral("Doklady.zip"), kEmptyZip), root);
    message.RenderMessage();

    const Lines expected{
        "From: \"Dodavatel s.r.o.\"<upominky@dodavatel.cz>",
        "To: odberatel@firma.cz",
        "Subject: =?ISO-8859-2?Q?Upom=EDnka_neuhrazen=FDch_doklad=F9_?=",
        " =?ISO-8859-2?Q?ke_dni_05.03.2024?=",
        "Date: Tue, 5 Mar 2024 14:03:07 +0100",
        "CC: kopie@dodavatel.cz",
        "MIME-Version: 1.0 (produced by Synapse)",
        "X-mailer: Microsoft Office Outlook 11",
        "Message-ID: <123456789050324140307@dodavatel.cz>",
        "Return-Path: <upominky@dodavatel.cz>",
        "Content-type: Multipart/Mixed; boundary=\"" + kBoundary + "\"",
        "Content-Description: Multipart message",
        "",
        "--" + kBoundary,
        "Content-type: text/plain; charset=ISO-8859-2",
        "Content-Transfer-Encoding: Quoted-printable",
        "Content-Disposition: inline",
        "Content-Description: Message text",
        "",
        "V=E1=BEen=FD z=E1kazn=EDku,",
        "evidujeme neuhrazen=E9 doklady.",
        "S pozdravem",
        "--" + kBoundary,
        "Content-type: application/ZIP; name=\"Doklady.zip\"",
        "Content-Transfer-Encoding: Base64",
        "Content-Disposition: attachment; FileName=\"Doklady.zip\"",
        "Content-Description: Attached file: Doklady.zip",
        "",
        "UEsFBgAAAAAAAAAAAAAAAAAAAAAAAA==",
        "--" + kBoundary + "--",
    };
    EXPECT_EQ(message.MessageLines, expected);

    message.RenderMessage();
    EXPECT_EQ(message.MessageLines, expected) << "rendering again must give the same message";
    EXPECT_EQ(message.messageText(), expected.join("\r\n") + "\r\n");
}

TEST_F(TMimeMessTest, messageWithoutBodyAndAttachmentIsHeaderAndClosingBoundary) {
    TMimeMess message(fixedEnvironment());
    message.Header.SenderField = QStringLiteral(" <upominky@dodavatel.cz>");
    message.Header.RecipientList.append(QStringLiteral("<a@firma.cz, b@firma.cz>"));
    message.Header.MailerName = QStringLiteral("Microsoft Office Outlook 11");
    message.StartMultipart(QStringLiteral("Mixed"));
    message.RenderMessage();

    const Lines expected{
        "From: upominky@dodavatel.cz",
        "To: a@firma.cz, b@firma.cz",
        "Date: Tue, 5 Mar 2024 14:03:07 +0100",
        "MIME-Version: 1.0 (produced by Synapse)",
        "X-mailer: Microsoft Office Outlook 11",
        "Content-type: Multipart/Mixed; boundary=\"" + kBoundary + "\"",
        "Content-Description: Multipart message",
        "",
        "--" + kBoundary + "--",
    };
    EXPECT_EQ(message.MessageLines, expected);
}

TEST_F(TMimeMessTest, setMessageDateWinsOverTheClock) {
    TMimeMess message(fixedEnvironment());
    message.Header.MessageDate = QDateTime(QDate(2024, 7, 1), QTime(8, 0, 0));
    message.RenderMessage();
    EXPECT_TRUE(message.MessageLines.contains("Date: Mon, 1 Jul 2024 08:00:00 +0100"));
}

TEST_F(TMimeMessTest, emptyAttachmentHasHeadersAndNoBodyLines) {
    const Lines part = emptyAttachmentPart(QStringLiteral("Doklady.txt"));
    const Lines expected{
        "--" + kBoundary,
        "Content-type: application/octet-stream; name=\"Doklady.txt\"",
        "Content-Transfer-Encoding: Base64",
        "Content-Disposition: attachment; FileName=\"Doklady.txt\"",
        "Content-Description: Attached file: Doklady.txt",
        "",
        "--" + kBoundary + "--",
    };
    EXPECT_EQ(part, expected);
}

// A file name may hold a line break; in the part's header it must not start a header of its own.
TEST_F(TMimeMessTest, lineBreakInAttachmentNameStaysInsideItsHeaderLines) {
    const Lines part = emptyAttachmentPart(QStringLiteral("Doklady\nBcc: x@example.cz.txt"));
    const Lines expected{
        "--" + kBoundary,
        "Content-type: application/octet-stream;",
        " name=\"=?ISO-8859-1?Q?Doklady=0ABcc=3A_x=40example.cz.txt?=\"",
        "Content-Transfer-Encoding: Base64",
        "Content-Disposition: attachment;",
        " FileName=\"=?ISO-8859-1?Q?Doklady=0ABcc=3A_x=40example.cz.txt?=\"",
        "Content-Description: Attached file: Doklady Bcc: x@example.cz.txt",
        "",
        "--" + kBoundary + "--",
    };
    EXPECT_EQ(part, expected);
}

TEST_F(TMimeMessTest, unreadableAttachmentRaisesAndAddsNoPart) {
    TMimeMess message(fixedEnvironment());
    TMimePart& root = message.StartMultipart(QStringLiteral("Mixed"));
    const QString missing = m_dir.filePath(QStringLiteral("chybi.zip"));
    try {
        message.AppendFilePart(missing, root);
        FAIL() << "no error raised";
    } catch (const AttachmentOpenError& error) {
        EXPECT_EQ(error.path(), missing);
        EXPECT_NE(std::string(error.what()).find("chybi.zip"), std::string::npos);
    }
    EXPECT_TRUE(root.ChildParts.empty());
}

struct BodyCase {
    const char* name;
    CharsetConverter::Engine engine;
    QString body;
    QByteArray contentType;
    Lines bodyLines;
};

class TextPartTest : public testing::TestWithParam<BodyCase> {};

TEST_P(TextPartTest, isLabelledAndEncodedInTheChosenCharset) {
    TMimeMess message(fixedEnvironment(GetParam().engine));
    TMimePart& part =
        message.AppendTextPart(GetParam().body, message.StartMultipart(QStringLiteral("Mixed")));
    EXPECT_EQ(part.PartHeaderLines.front(), GetParam().contentType);
    EXPECT_EQ(part.PartBodyLines, GetParam().bodyLines);
}

using Engine = CharsetConverter::Engine;

INSTANTIATE_TEST_SUITE_P(Bodies, TextPartTest,
                         testing::Values(BodyCase{"ascii_is_latin1",
                                                  Engine::ConversionLibrary,
                                                  QStringLiteral("Please pay 1 000 CZK = now.\r\n"),
                                                  "Content-type: text/plain; charset=ISO-8859-1",
                                                  {"Please pay 1 000 CZK =3D now."}},
                                         BodyCase{"czech_is_latin2",
                                                  Engine::ConversionLibrary,
                                                  QStringLiteral("Dluh za kůň\nřádek"),
                                                  "Content-type: text/plain; charset=ISO-8859-2",
                                                  {"Dluh za k=F9=F2", "=F8=E1dek"}},
                                         BodyCase{"typographic_quotes_builtin_become_underscore",
                                                  Engine::BuiltInTables,
                                                  QStringLiteral("Firma \u201EKůň\u201C"),
                                                  "Content-type: text/plain; charset=ISO-8859-2",
                                                  {"Firma _K=F9=F2_"}},
                                         BodyCase{"typographic_quotes_iconv_are_transliterated",
                                                  Engine::ConversionLibrary,
                                                  QStringLiteral("Firma \u201EKůň\u201C"),
                                                  "Content-type: text/plain; charset=ISO-8859-2",
                                                  {"Firma ,,K=F9=F2\""}},
                                         BodyCase{"long_line_broken_softly",
                                                  Engine::ConversionLibrary,
                                                  QString(100, u'x'),
                                                  "Content-type: text/plain; charset=ISO-8859-1",
                                                  {QByteArray(78, 'x') + "=", QByteArray(22, 'x')}}),
                         [](const auto& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace tervalo::transport
