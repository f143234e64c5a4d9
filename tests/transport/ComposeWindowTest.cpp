#include "platform/ProgramStartError.h"
#include "support/CaseName.h"
#include "support/MailDesktop.h"
#include "transport/mailclient/EJclMapiError.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>

namespace tervalo::transport {
namespace {

using testing::MailDesktop;

QString decoded(QStringView text) {
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text.toLatin1()));
}

// The "-compose" value read by the client's rules: key=value pairs separated by commas; a value
// opening with a quote runs to the same quote followed by a comma or the end, taken raw after
// "'" and decoded after '"'; an unquoted value runs to the next comma and is decoded.
QMap<QString, QString> parseComposeValue(const QString& value) {
    QMap<QString, QString> pairs;
    qsizetype at = 0;
    while (at < value.size()) {
        const qsizetype equals = value.indexOf(u'=', at);
        const QString key = value.mid(at, equals - at);
        at = equals + 1;
        const QChar quote = at < value.size() ? value[at] : QChar();
        if (quote == u'\'' || quote == u'"') {
            qsizetype end = at + 1;
            while (end < value.size() &&
                   !(value[end] == quote && (end + 1 == value.size() || value[end + 1] == u','))) {
                ++end;
            }
            const QString raw = value.mid(at + 1, end - at - 1);
            pairs.insert(key, quote == u'\'' ? raw : decoded(raw));
            at = end + 2;
        } else {
            qsizetype end = value.indexOf(u',', at);
            end = end < 0 ? value.size() : end;
            pairs.insert(key, decoded(QStringView(value).mid(at, end - at)));
            at = end + 1;
        }
    }
    return pairs;
}

struct Mailto {
    QStringList to;
    QMultiMap<QString, QString> fields;
};

Mailto parseMailto(const QString& uri) {
    EXPECT_TRUE(uri.startsWith(QStringLiteral("mailto:"))) << uri.toStdString();
    const QString rest = uri.mid(7);
    const qsizetype question = rest.indexOf(u'?');
    Mailto mailto;
    for (const QString& address : rest.left(question).split(u',', Qt::SkipEmptyParts)) {
        mailto.to.append(decoded(address));
    }
    if (question >= 0) {
        for (const QString& field : rest.mid(question + 1).split(u'&')) {
            const qsizetype equals = field.indexOf(u'=');
            mailto.fields.insert(decoded(field.left(equals)), decoded(field.mid(equals + 1)));
        }
    }
    return mailto;
}

struct HostileCase {
    std::string name;
    QString to;
    QString cc;
    QString subject;
    QString body;
    QString expectedBody;  // line breaks as CR LF, ending in one
};

class ComposeWindowTest : public ::testing::TestWithParam<HostileCase> {
protected:
    ComposeWindowTest() {
        EXPECT_TRUE(QDir().mkpath(desktop.file(QStringLiteral("Temp/Firma, s.r.o. 'x'"))));
        desktop.write(attachmentName, "PK");
        for (const char* program : {"thunderbird", "posta", "evolution", "claws-mail"}) {
            desktop.addClient(QString::fromLatin1(program), QString::fromLatin1(program));
        }
    }

    // Hands the case's message to the client at `position` and returns its recorded arguments.
    QStringList handOver(int position) {
        TJclEmail email(desktop.environment);
        email.SetClientChoice(TJclEmail::ccDirect);
        email.SelectMailClient(position);
        email.AddMailRecipient(GetParam().to, {}, rcTo);
        if (!GetParam().cc.isEmpty()) {
            email.AddMailRecipient(GetParam().cc, GetParam().cc, rcCc);
        }
        email.SetMailSubject(GetParam().subject);
        email.SetMailBody(GetParam().body);
        email.AddAttachmentPath(attachment());
        ui.queueConfirmation(true);
        EXPECT_TRUE(email.SendThroughMailClient(true, desktop.context(ui)));
        return desktop.recordedArguments(
            QFileInfo(email.ClientList()[position].ClientLibraryPath).fileName());
    }

    QString attachment() const { return desktop.file(attachmentName); }

    QStringList cc() const { return GetParam().cc.isEmpty() ? QStringList() : QStringList{GetParam().cc}; }

    void expectMailtoFields(const Mailto& mailto) const {
        EXPECT_EQ(mailto.to, QStringList{GetParam().to.trimmed()});
        EXPECT_EQ(mailto.fields.values(QStringLiteral("cc")),
                  cc().isEmpty() ? QStringList() : QStringList{cc().join(u',')});
        EXPECT_EQ(mailto.fields.value(QStringLiteral("subject")), GetParam().subject);
        EXPECT_EQ(mailto.fields.value(QStringLiteral("body")), GetParam().expectedBody);
    }

    const QString attachmentName = QStringLiteral("Temp/Firma, s.r.o. 'x'/Doklady ',%20&=?.zip");
    MailDesktop desktop;
    test::FakeUserInterface ui;
};

// Clients are listed by id: claws-mail, evolution, posta, thunderbird.
TEST_P(ComposeWindowTest, thunderbirdComposeArgumentDecodesToTheMessage) {
    const QStringList arguments = handOver(3);
    ASSERT_EQ(arguments.size(), 2);
    EXPECT_EQ(arguments[0], QStringLiteral("-compose"));
    const QMap<QString, QString> fields = parseComposeValue(arguments[1]);
    EXPECT_EQ(fields.keys(),
              (GetParam().cc.isEmpty()
                   ? QStringList{QStringLiteral("attachment"), QStringLiteral("body"),
                                 QStringLiteral("format"), QStringLiteral("subject"), QStringLiteral("to")}
                   : QStringList{QStringLiteral("attachment"), QStringLiteral("body"), QStringLiteral("cc"),
                                 QStringLiteral("format"), QStringLiteral("subject"), QStringLiteral("to")}));
    EXPECT_EQ(fields.value(QStringLiteral("to")), GetParam().to.trimmed());
    EXPECT_EQ(fields.value(QStringLiteral("cc")), GetParam().cc);
    EXPECT_EQ(fields.value(QStringLiteral("subject")), GetParam().subject);
    EXPECT_EQ(fields.value(QStringLiteral("body")), GetParam().expectedBody);
    EXPECT_EQ(fields.value(QStringLiteral("format")), QStringLiteral("text"));
    EXPECT_EQ(QUrl::fromEncoded(fields.value(QStringLiteral("attachment")).toLatin1()).toLocalFile(),
              attachment());
    EXPECT_EQ(ui.messages(), (std::vector<test::FakeUserInterface::Message>{
                                 {QStringLiteral("confirmation"),
                                  QStringLiteral("E-mail na adresu ") + GetParam().to.trimmed() +
                                      QStringLiteral(" byl předán e-mailovému klientovi. Odeslali jste ho? "
                                                     "(Ano – odeslán, Ne – neodeslán)")}}));
}

TEST_P(ComposeWindowTest, evolutionGetsTheAttachmentInTheAddress) {
    const QStringList arguments = handOver(1);
    ASSERT_EQ(arguments.size(), 1);
    const Mailto mailto = parseMailto(arguments[0]);
    expectMailtoFields(mailto);
    EXPECT_EQ(mailto.fields.values(QStringLiteral("attach")), QStringList{attachment()});
    EXPECT_EQ(mailto.fields.size(), cc().size() + 3);
}

TEST_P(ComposeWindowTest, clawsMailGetsComposeAndAttachOptions) {
    const QStringList arguments = handOver(0);
    ASSERT_EQ(arguments.size(), 4);
    EXPECT_EQ(arguments[0], QStringLiteral("--compose"));
    EXPECT_EQ(arguments.mid(2), (QStringList{QStringLiteral("--attach"), attachment()}));
    const Mailto mailto = parseMailto(arguments[1]);
    expectMailtoFields(mailto);
    EXPECT_EQ(mailto.fields.size(), cc().size() + 2);
}

TEST_P(ComposeWindowTest, otherClientsGetTheAddressAndTheUserIsToldToAttachByHand) {
    const QStringList arguments = handOver(2);
    ASSERT_EQ(arguments.size(), 1);
    const Mailto mailto = parseMailto(arguments[0]);
    expectMailtoFields(mailto);
    EXPECT_EQ(mailto.fields.size(), cc().size() + 2);
    ASSERT_EQ(ui.messages().size(), 1u);
    EXPECT_TRUE(ui.messages()[0].text.contains(QStringLiteral("připojte ji v něm ručně: ") + attachment() +
                                               QStringLiteral(". Odeslali jste ho?")))
        << ui.messages()[0].text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Values, ComposeWindowTest,
    ::testing::Values(
        HostileCase{"czech_text", QStringLiteral("odberatel@firma.cz"), QStringLiteral("kopie@dodavatel.cz"),
                    QStringLiteral("Upomínka – Žluťoučký kůň, s.r.o."),
                    QStringLiteral("Dobrý den,\r\nzaplaťte.\r\n"),
                    QStringLiteral("Dobrý den,\r\nzaplaťte.\r\n")},
        HostileCase{"quotes_commas_apostrophes", QStringLiteral("o'brien@firma.cz"),
                    QStringLiteral("\"kopie\"@x.cz"), QStringLiteral("Faktura \"123\", 'ihned', prosím"),
                    QStringLiteral("It is overdue', pay now\",\r\nbody='x',to=\"y\""),
                    QStringLiteral("It is overdue', pay now\",\r\nbody='x',to=\"y\"\r\n")},
        HostileCase{"url_delimiters", QStringLiteral("a&b=c?d%41@firma.cz"), QStringLiteral("x%2Cy@z.cz"),
                    QStringLiteral("?subject=jiný&cc=evil@x.cz#frag"),
                    QStringLiteral("100 % & body=nic\r\n&to=evil@x.cz%0D%0A\r\n"),
                    QStringLiteral("100 % & body=nic\r\n&to=evil@x.cz%0D%0A\r\n")},
        HostileCase{"options_and_line_breaks", QStringLiteral("  -oQ/tmp/x@firma.cz "), QString(),
                    QStringLiteral("-compose\r\nBcc: evil@x.cz"),
                    QStringLiteral("--attach /etc/passwd\n.\rkonec"),
                    QStringLiteral("--attach /etc/passwd\r\n.\r\nkonec\r\n")},
        HostileCase{"nul_and_controls", QStringLiteral("odberatel@firma.cz"), QString(),
                    QStringLiteral("a\tb") + QChar(0) + QStringLiteral("c"),
                    QStringLiteral("x") + QChar(0) + QStringLiteral("\x01y\r\n"),
                    QStringLiteral("x") + QChar(0) + QStringLiteral("\x01y\r\n")}),
    test::CaseName());

TEST(ComposeWindow, aLongBodyReachesThunderbirdThroughAFileBesideTheAttachment) {
    MailDesktop desktop;
    desktop.addClient(QStringLiteral("thunderbird"), QStringLiteral("thunderbird"));
    ASSERT_TRUE(QDir().mkpath(desktop.file(QStringLiteral("Temp/1"))));
    desktop.write(QStringLiteral("Temp/1/Doklady.zip"), "PK");
    test::FakeUserInterface ui;
    TJclEmail email(desktop.environment);
    email.SelectMailClient(0);
    email.AddMailRecipient(QStringLiteral("odberatel@firma.cz"));
    email.SetMailSubject(QStringLiteral("Upomínka"));
    QString body;
    for (int line = 0; body.size() < 30000; ++line) {
        body += QStringLiteral("Faktura č. %1, částka 1 000,00 Kč, dny po splatnosti: 30\r\n").arg(line);
    }
    email.SetMailBody(body);
    email.AddAttachmentPath(desktop.file(QStringLiteral("Temp/1/Doklady.zip")));
    ui.queueConfirmation(false);
    EXPECT_FALSE(email.SendThroughMailClient(true, desktop.context(ui)));

    const QStringList arguments = desktop.recordedArguments(QStringLiteral("thunderbird"));
    ASSERT_EQ(arguments.size(), 2);
    const QMap<QString, QString> fields = parseComposeValue(arguments[1]);
    EXPECT_FALSE(fields.contains(QStringLiteral("body")));
    const QString messageFile = fields.value(QStringLiteral("message"));
    EXPECT_EQ(QFileInfo(messageFile).absolutePath(),
              QFileInfo(desktop.file(QStringLiteral("Temp/1/x"))).absolutePath());
    QFile file(messageFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(file.readAll()), body);
}

TEST(ComposeWindow, theDefaultClientTakesTheMessageAndCancellingGivesFalseAndNothingElse) {
    MailDesktop desktop;
    desktop.addClient(QStringLiteral("alfa"), QStringLiteral("alfa"));
    desktop.addClient(QStringLiteral("posta"), QStringLiteral("posta"), QStringLiteral("--new %U"));
    desktop.makeDefault(QStringLiteral("posta"));
    desktop.addRecordingSendmail();
    test::FakeUserInterface ui;
    TJclEmail email(desktop.environment);
    email.SetClientChoice(TJclEmail::ccDefaultMapi);
    email.SelectMailClient(0);
    email.AddMailRecipient(QStringLiteral("odberatel@firma.cz"));
    ui.queueConfirmation(false);
    EXPECT_FALSE(email.SendThroughMailClient(true, desktop.context(ui)));
    EXPECT_EQ(desktop.recordedArguments(QStringLiteral("posta")),
              (QStringList{QStringLiteral("--new"), QStringLiteral("mailto:odberatel@firma.cz")}));
    EXPECT_EQ(ui.messages().size(), 1u);
    EXPECT_FALSE(desktop.ran(QStringLiteral("alfa")));
}

TEST(ComposeWindow, aClientThatCannotStartRaisesTheSystemError) {
    MailDesktop desktop;
    desktop.write(QStringLiteral("bin/posta"), "#!/nonexistent/interpreter\n");
    QFile::setPermissions(desktop.file(QStringLiteral("bin/posta")), QFile::ReadOwner | QFile::ExeOwner);
    desktop.write(
        QStringLiteral("home/applications/posta.desktop"),
        "[Desktop Entry]\nType=Application\nName=Posta\nExec=posta %u\nMimeType=x-scheme-handler/mailto;\n");
    test::FakeUserInterface ui;
    TJclEmail email(desktop.environment);
    email.SelectMailClient(0);
    email.AddMailRecipient(QStringLiteral("odberatel@firma.cz"));
    try {
        email.SendThroughMailClient(true, desktop.context(ui));
        FAIL() << "no error";
    } catch (const ProgramStartError& e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_EQ(e.text(), QStringLiteral("Program ") + desktop.file(QStringLiteral("bin/posta")) +
                                QStringLiteral(" nelze spustit: No such file or directory (chyba 2)."));
    }
    EXPECT_TRUE(ui.messages().empty());
}

}  // namespace
}  // namespace tervalo::transport
