#include "CliRunner.h"
#include "support/DemoData.h"
#include "support/PermissiveUmask.h"
#include "support/TempAppDir.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace tervalo;

namespace {

struct SettingsCli {
    SettingsCli() { test::writeDemoDefFile(dir); }
    test::CliResult run(QStringList args) {
        args.prepend(QStringLiteral("settings"));
        args.prepend(dir.path());
        args.prepend(QStringLiteral("--app-dir"));
        return test::runCli(args);
    }
    QJsonObject json() {
        auto result = run({});
        EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
        return QJsonDocument::fromJson(result.out.toUtf8()).object();
    }
    test::TempAppDir dir;
};

TEST(CliSettings, printsEveryFieldWithItsDefault) {
    SettingsCli cli;
    const QJsonObject json = cli.json();
    // 38 fields, and those of the reminder levels: their number, then per level its name and three
    // numbers of days, from the second level on also its subject and body.
    EXPECT_EQ(json.size(), 38 + 1 + 5 * 4 + 4 * 2);
    EXPECT_EQ(json.value(QStringLiteral("PocetUrovni")).toInt(), 3);
    EXPECT_EQ(json.value(QStringLiteral("Nazev3")).toString(), QStringLiteral("Předžalobní výzva"));
    EXPECT_EQ(json.value(QStringLiteral("DniPoSplatnosti2")).toInt(), 30);
    EXPECT_TRUE(json.value(QStringLiteral("EText3")).toString().contains(QStringLiteral("§ 142a")));
    EXPECT_EQ(json.value(QStringLiteral("SMTPSecurity")).toInt(), 0);
    EXPECT_EQ(json.value(QStringLiteral("SMTPPlainAuth")), QJsonValue(false));
    EXPECT_EQ(json.value(QStringLiteral("SMTPCAFile")).toString(), QString());
    EXPECT_EQ(json.value(QStringLiteral("E_Predmet")).toString(),
              QStringLiteral("Upominka: seznam neuhrazenych dokladu"));
    EXPECT_EQ(json.value(QStringLiteral("EF_ZbyvaUhr")).toString(), QStringLiteral("Zbývá uhradit"));
    EXPECT_EQ(json.value(QStringLiteral("SMTPPort")).toInt(), 25);
    EXPECT_EQ(json.value(QStringLiteral("HeaderHeight")).toInt(), 193);
    EXPECT_EQ(json.value(QStringLiteral("ClientType")).toInt(), 2);
    EXPECT_EQ(json.value(QStringLiteral("DefaultSendMail")), QJsonValue(true));
    EXPECT_EQ(json.value(QStringLiteral("SMTPJednotlive")), QJsonValue(false));
    EXPECT_EQ(json.value(QStringLiteral("Maximized")), QJsonValue(false));
    EXPECT_EQ(json.value(QStringLiteral("SMTPPassword")).toString(), QString());
    EXPECT_TRUE(json.value(QStringLiteral("EText"))
                    .toString()
                    .startsWith(QStringLiteral("Odesilatel: %DODAVATEL%\r\n")));
}

TEST(CliSettings, setChangesOneFieldAndSavesThePasswordUnseen) {
    SettingsCli cli;
    const std::pair<const char*, QString> changes[] = {
        {"SMTPPassword", QStringLiteral("tajné heslo")},
        {"SMTPPort", QStringLiteral("587")},
        {"SMTPAuth", QStringLiteral("true")},
        {"SMTPFromName", QStringLiteral("Účtárna")},
        {"EText", QStringLiteral("Dobrý den,\nplaťte.")},
        {"HeaderHeight", QStringLiteral("300")},
        {"SMTPSecurity", QStringLiteral("2")},
        {"SMTPPlainAuth", QStringLiteral("1")},
        {"SMTPCAFile", QStringLiteral("/etc/firma/ca.pem")},
        {"SMTPJednotlive", QStringLiteral("1")},
    };
    for (const auto& [field, value] : changes) {
        auto result = cli.run({QStringLiteral("set"), QString::fromLatin1(field), value});
        EXPECT_EQ(result.exitCode, 0) << field << result.err.toStdString();
        EXPECT_EQ(result.err, QString());
    }
    const QJsonObject json = cli.json();
    EXPECT_EQ(json.value(QStringLiteral("SMTPPassword")).toString(), QStringLiteral("***"));
    EXPECT_EQ(json.value(QStringLiteral("SMTPPort")).toInt(), 587);
    EXPECT_EQ(json.value(QStringLiteral("SMTPAuth")), QJsonValue(true));
    EXPECT_EQ(json.value(QStringLiteral("SMTPFromName")).toString(), QStringLiteral("Účtárna"));
    EXPECT_EQ(json.value(QStringLiteral("EText")).toString(), QStringLiteral("Dobrý den,\r\nplaťte."));
    EXPECT_EQ(json.value(QStringLiteral("HeaderHeight")).toInt(), 300);
    EXPECT_EQ(json.value(QStringLiteral("SMTPSecurity")).toInt(), 2);
    EXPECT_EQ(json.value(QStringLiteral("SMTPPlainAuth")), QJsonValue(true));
    EXPECT_EQ(json.value(QStringLiteral("SMTPCAFile")).toString(), QStringLiteral("/etc/firma/ca.pem"));
    EXPECT_EQ(json.value(QStringLiteral("SMTPJednotlive")), QJsonValue(true));
    QFile ini(cli.dir.file(QStringLiteral("Vorbel.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray iniText = ini.readAll();
    EXPECT_TRUE(iniText.contains("SMTPSecurity=2\r\nSMTPPlainAuth=1\r\nSMTPCAFile=/etc/firma/ca.pem\r\n"))
        << iniText.toStdString();
    EXPECT_TRUE(iniText.contains("[SEND]\r\nDefaultSendMail=1\r\nSMTPJednotlive=1\r\n"))
        << iniText.toStdString();
    for (const char* name : {"Vorbel.ini", "rdata1.dti", "EText"}) {
        QFile file(cli.dir.file(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        EXPECT_FALSE(file.readAll().contains("tajn")) << name;
    }
}

TEST(CliSettings, wrongFieldsAndValuesAreUsageErrors) {
    SettingsCli cli;
    const std::pair<QStringList, QString> cases[] = {
        {{QStringLiteral("set"), QStringLiteral("Neznamy"), QStringLiteral("1")},
         QStringLiteral("error: unknown settings field: Neznamy\n")},
        {{QStringLiteral("set"), QStringLiteral("SMTPPort"), QStringLiteral("25a")},
         QStringLiteral("error: invalid value for SMTPPort: 25a\n")},
        {{QStringLiteral("set"), QStringLiteral("SMTPAuth"), QStringLiteral("ano")},
         QStringLiteral("error: invalid value for SMTPAuth: ano\n")},
        {{QStringLiteral("set"), QStringLiteral("SMTPSecurity"), QStringLiteral("3")},
         QStringLiteral("error: invalid value for SMTPSecurity: 3\n")},
        {{QStringLiteral("set"), QStringLiteral("SMTPHost")},
         QStringLiteral("error: usage: tervalo-cli [--app-dir DIR] settings [set FIELD VALUE]\n")},
    };
    for (const auto& [args, err] : cases) {
        auto result = cli.run(args);
        EXPECT_EQ(result.exitCode, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(result.err, err);
    }
    EXPECT_EQ(cli.json().value(QStringLiteral("SMTPPort")).toInt(), 25);
}

// A file written before the setting existed means a plain session as before; a value no version
// wrote is kept as it is (text as -1), never taken for plain text, so sending refuses it.
TEST(CliSettings, missingSecurityKeyMeansPlainTextAForeignValueIsKept) {
    const std::pair<QByteArray, int> cases[] = {{QByteArray(), 0},
                                                {"SMTPSecurity=7\r\n", 7},
                                                {"SMTPSecurity=tls\r\n", -1},
                                                {"SMTPSecurity=2\r\n", 2}};
    for (const auto& [key, security] : cases) {
        SettingsCli cli;
        cli.dir.write(QStringLiteral("Vorbel.ini"),
                      "[SEND]\r\nSMTPHost=smtp.firma.cz\r\nSMTPPort=25\r\n" + key);
        const QJsonObject json = cli.json();
        EXPECT_EQ(json.value(QStringLiteral("SMTPHost")).toString(), QStringLiteral("smtp.firma.cz"));
        EXPECT_EQ(json.value(QStringLiteral("SMTPSecurity")).toInt(), security) << key.toStdString();
    }
}

// The password file is its owner's alone whatever the umask, and one left readable by an earlier
// version is tightened by the next save; the other settings files keep the user's umask.
TEST(CliSettings, passwordFileIsPrivateEvenUnderAPermissiveUmask) {
    const test::PermissiveUmask umask;
    SettingsCli cli;
    cli.dir.write(QStringLiteral("rdata1.dti"), QByteArray(528, '\xff'));
    const QByteArray password = QFile::encodeName(cli.dir.file(QStringLiteral("rdata1.dti")));
    ASSERT_EQ(::chmod(password.constData(), 0644), 0);

    ASSERT_EQ(
        cli.run({QStringLiteral("set"), QStringLiteral("SMTPPassword"), QStringLiteral("tajne")}).exitCode,
        0);

    EXPECT_EQ(test::permissionBits(password.constData()), 0600);
    for (const char* name : {"Vorbel.ini", "EText"}) {
        EXPECT_EQ(
            test::permissionBits(QFile::encodeName(cli.dir.file(QString::fromLatin1(name))).constData()),
            0666)
            << name;
    }
    ASSERT_TRUE(QFile::remove(cli.dir.file(QStringLiteral("rdata1.dti"))));
    ASSERT_EQ(
        cli.run({QStringLiteral("set"), QStringLiteral("SMTPPassword"), QStringLiteral("jine")}).exitCode, 0);
    EXPECT_EQ(test::permissionBits(password.constData()), 0600);
    EXPECT_EQ(test::permissionBits(QFile::encodeName(cli.dir.file(QStringLiteral("Temp"))).constData()),
              0700);
}

}  // namespace
