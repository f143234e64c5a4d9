#include "BulkFixture.h"

#include "app/LoadExport.h"
#include "app/StartUp.h"
#include "support/DemoData.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace tervalo::test {

namespace {

const char* const kExport =
    "TITUL;HLAVICKA;901;902;903\r\n"
    "TITUL;RADEK;10.12.2026;14;Účetní kancelář Horák s.r.o.\r\n"
    "ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114\r\n"
    "FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208\r\n"
    "DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308\r\n"
    "ODBERATEL;RADEK;Alfa;;;;;;;;;alfa@alfa.cz;300,00;300,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV1;1.9.2026;15.9.2026;1.9.2026;1;100,00;100,00;CZK\r\n"
    "FAKTURA;RADEK;FV2;2.9.2026;16.9.2026;2.9.2026;2;200,00;200,00;CZK\r\n"
    "ODBERATEL;RADEK;Beta;;;;;;;;;;300,00;300,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV3;3.9.2026;17.9.2026;3.9.2026;3;300,00;300,00;CZK\r\n"
    "ODBERATEL;RADEK;Gama;;;;;;;;;gama@gama.cz;400,00;400,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV4;4.9.2026;18.9.2026;4.9.2026;4;400,00;400,00;CZK\r\n"
    "ODBERATEL;RADEK;Delta;;;;;;;;;delta@delta.cz;1100,00;1100,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV5;5.9.2026;19.9.2026;5.9.2026;5;500,00;500,00;CZK\r\n"
    "FAKTURA;RADEK;FV6;6.9.2026;20.9.2026;6.9.2026;6;600,00;600,00;CZK\r\n"
    "ODBERATEL;RADEK;Ema;;;;;;;;;ema@ema.cz;1500,00;1500,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV7;7.9.2026;21.9.2026;7.9.2026;7;700,00;700,00;CZK\r\n"
    "FAKTURA;RADEK;FV8;8.9.2026;22.9.2026;8.9.2026;8;800,00;800,00;CZK\r\n"
    "ODBERATEL;RADEK;Ostatní;;;;;;;;;;900,00;900,00;0,00;0,00\r\n"
    "FAKTURA;RADEK;FV9;9.9.2026;23.9.2026;9.9.2026;9;900,00;900,00;CZK\r\n";

}  // namespace

BulkFixture::BulkFixture() {
    writeDemoDefFile(dir);
    EXPECT_EQ(app::StartUp(session, dir.path(), ui), app::StartResult::Continue);
    app::AppSettings& s = session.settings;
    s.DefaultSendMail = false;
    s.SMTPFromAddress = QStringLiteral("upominky@horak.cz");
    s.SMTPFromName = QStringLiteral("Horák");
    s.E_Predmet = QStringLiteral("Upomínka pro %ODBERATEL%");
    s.EText = QStringLiteral("Dobrý den,\r\n%DOKLADY%\r\nHorák");
    s.E_KopieEmailu = QStringLiteral("kopie@horak.cz");
    s.StaryExportDni = 0;  // the export is of a fixed day: its age is no concern here
    session.stateTables->SetAddressExport(QStringLiteral("gama@gama.cz"), false);
    for (const char* number : {"FV5", "FV6", "FV8"}) {
        session.stateTables->SetDocumentExport(QString::fromLatin1(number), false);
    }
}

void BulkFixture::load(bool onlyWithEmail) {
    dir.write(QStringLiteral("export.csv"), cp1250().encode(QString::fromUtf8(kExport)));
    ASSERT_TRUE(app::LoadExport(session, dir.file(QStringLiteral("export.csv")), ui));
    ui.clearMessages();
    memtable::MemTable& firmy = session.tables.mtFirmy;
    if (onlyWithEmail) {
        firmy.setFilter(u"JeEmail", true);
        firmy.setFiltered(true);
    }
    firmy.first();
}

void BulkFixture::useServer(const transport::testing::RealSmtpServer& server) {
    ASSERT_TRUE(server.isRunning());
    session.settings.SMTPHost = QStringLiteral("127.0.0.1");
    session.settings.SMTPPort = server.port();
    session.settings.SMTPAuth = true;
    session.settings.SMTPUserID = QStringLiteral("ucet");
    session.settings.SMTPPassword = QStringLiteral("heslo");
}

int BulkFixture::run(const std::optional<sending::TestMode>& testMode) {
    compose::ReminderContext reminder = app::ReminderContextOf(session, ui);
    reminder.smtpOptions = smtpOptions;
    sending::BulkEmailingContext context{reminder, *session.stateTables, session.TempDir, protocol, view};
    context.now = [] { return QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)); };
    if (isInternetConnected) {
        context.isInternetConnected = isInternetConnected;
    }
    if (transmitSmtpReminder) {
        context.transmitSmtpReminder = transmitSmtpReminder;
    }
    context.journal = journal.get();
    context.stopWanted = stopWanted;
    context.confirmResend = confirmResend;
    context.forcedLevel = forcedLevel;
    return sending::RunBulkEmailing(context, testMode);
}

state::SendJournal& BulkFixture::openJournal() {
    journal = std::make_unique<state::SendJournal>(state::SendJournal::pathIn(dir.path()));
    return *journal;
}

QStringList authenticatingServerArguments(const QStringList& more) {
    return QStringList{QStringLiteral("--user"), QStringLiteral("ucet"), QStringLiteral("--password"),
                       QStringLiteral("heslo"), QStringLiteral("--require-auth")} +
           more;
}

QJsonObject readReminder(const QString& messageFile) {
    QJsonObject summary = transport::testing::summarizeMessage(messageFile);
    const QByteArray archive = test::runPython(
        {QStringLiteral("-c"),
         QStringLiteral(
             "import email, email.policy, io, sys, zipfile\n"
             "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=email.policy.default)\n"
             "for part in m.walk():\n"
             "    if part.get_filename() == 'Doklady.zip':\n"
             "        z = zipfile.ZipFile(io.BytesIO(part.get_content()))\n"
             "        [i] = z.infolist()\n"
             "        sys.stdout.write(i.filename + '\\n' + z.read(i).decode('cp1250'))\n"),
         messageFile});
    summary.insert(QStringLiteral("archive"), QString::fromUtf8(archive));
    return summary;
}

QString bodyOf(const QJsonObject& reminder) {
    return reminder.value(QStringLiteral("parts"))
        .toArray()
        .first()
        .toObject()
        .value(QStringLiteral("text"))
        .toString();
}

QStringList runLines(const QString& time, const QStringList& middle, int generated, int skipped,
                     const QString& testLine, int failed) {
    QStringList lines{
        QString(), QString(),
        QStringLiteral("Hromadný e-mailing dlužníků - 10.12.2026 v ") + time + QStringLiteral(" hod")};
    if (!testLine.isEmpty()) {
        lines.append(testLine);
    }
    lines.append(QStringLiteral("..."));
    lines += middle;
    lines += QStringList{
        QStringLiteral("..."), QStringLiteral("Vygenerovaných e-mailů celkem: %1").arg(generated),
        QStringLiteral("Vynechaných e-mailů celkem: %1").arg(skipped),
        QStringLiteral("Chybou neodeslaných e-mailů celkem: %1").arg(failed), QStringLiteral("Dokončeno")};
    return lines;
}

}  // namespace tervalo::test
