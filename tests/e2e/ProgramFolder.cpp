#include "ProgramFolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <iostream>
#include <random>

#include <gtest/gtest.h>

namespace tervalo::test {

namespace {

QString addressOf(int firm) {
    if (firm % 7 == 6) {
        return {};
    }
    return firm < 2 ? QStringLiteral("spolecna@dluznik.cz") : QStringLiteral("firma%1@dluznik.cz").arg(firm);
}

// Walks `table` in record order and checks it against its index: every live record found by its key
// at its own number, the index walk as long as the live records, no key twice.
template <typename Record, typename Read>
std::map<QString, Record> checkedRecords(state::dbf::DbfTable& table, const QString& keyField,
                                         const Read& read) {
    std::map<QString, quint32> recordOf;
    table.setIndexFieldNames(QString());
    for (bool more = table.first(); more; more = table.next()) {
        if (table.isDeleted()) {
            continue;
        }
        const QString key = table.fieldText(keyField);
        EXPECT_TRUE(recordOf.emplace(key, table.recNo()).second)
            << key.toStdString() << " stored twice in " << table.fileName().toStdString();
    }
    table.setIndexFieldNames(keyField);
    std::size_t indexed = 0;
    for (bool more = table.first(); more; more = table.next()) {
        ++indexed;
    }
    EXPECT_EQ(indexed, recordOf.size()) << table.fileName().toStdString();
    std::map<QString, Record> records;
    for (const auto& [key, number] : recordOf) {
        Record record = read(key);
        EXPECT_TRUE(record.exists && table.recNo() == number)
            << key.toStdString() << " not found through the index at record " << number;
        records.emplace(key, std::move(record));
    }
    return records;
}

const char* const kDbfreadScript = R"(
import dbfread, json, sys
def rows(path, key, memo):
    out = {}
    for r in dbfread.DBF(path, encoding='cp1250', char_decode_errors='strict'):
        if r[key] in out:
            raise SystemExit('twice: ' + r[key])
        out[r[key]] = {'EXPORT': r['EXPORT'], 'LASTSEND': r['LASTSEND'].isoformat() if r.get('LASTSEND') else None,
                       'NOTE': r[memo] or ''}
    return out
print(json.dumps({'EArchiv': rows(sys.argv[1] + 'EArchiv.dat', 'EMAIL', 'NOTE'),
                  'EDoklady': rows(sys.argv[1] + 'EDoklady.dat', 'DOKLAD', 'POZN')}))
)";

template <typename Record>
void expectSameRecords(const QJsonObject& read, const std::map<QString, Record>& stored, const char* table) {
    EXPECT_EQ(std::size_t(read.size()), stored.size()) << table;
    for (const auto& [key, record] : stored) {
        const QJsonObject row = read.value(key).toObject();
        SCOPED_TRACE(std::string(table) + " " + key.toStdString());
        ASSERT_FALSE(row.isEmpty());
        EXPECT_EQ(row.value(QStringLiteral("EXPORT")).toBool(), record.exportFlag);
        // dbfread hands a dBASE IV memo on with the 8 bytes of its block prefix counted into the text.
        QString note = record.note;
        note.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
        EXPECT_TRUE(row.value(QStringLiteral("NOTE")).toString().startsWith(note));
        if constexpr (std::is_same_v<Record, state::AddressRecord>) {
            EXPECT_EQ(row.value(QStringLiteral("LASTSEND")).toString(),
                      record.lastSend.isValid() ? record.lastSend.toString(Qt::ISODate) : QString());
        }
    }
}

}  // namespace

int stressRounds(int suiteRounds) {
    bool ok = false;
    const int rounds = qEnvironmentVariableIntValue("TERVALO_STRESS_ROUNDS", &ok);
    return ok && rounds > 0 ? rounds : suiteRounds;
}

std::uint32_t stressSeed() {
    const QByteArray given = qgetenv("TERVALO_STRESS_SEED");
    bool ok = false;
    const std::uint32_t seed = given.isEmpty() ? std::random_device{}() : given.toUInt(&ok);
    if (!given.isEmpty() && !ok) {
        ADD_FAILURE() << "TERVALO_STRESS_SEED is not a number from 0 to 4294967295: " << given.constData();
    }
    std::cout << "TERVALO_STRESS_SEED=" << seed << std::endl;
    return seed;
}

QByteArray reliabilityExport(int debtors) {
    QStringList lines{
        QStringLiteral("TITUL;HLAVICKA;901;902;903"),
        QStringLiteral("TITUL;RADEK;10.12.2026;14;Účetní kancelář Horák s.r.o."),
        QStringLiteral("ODBERATEL;HLAVICKA;101;102;103;104;105;106;107;108;109;110;111;112;113;114"),
        QStringLiteral("FAKTURA;HLAVICKA;201;202;203;204;205;206;207;208"),
        QStringLiteral("DOBROPIS;HLAVICKA;301;302;303;304;305;306;307;308"),
    };
    for (int firm = 0; firm < debtors; ++firm) {
        lines << QStringLiteral(
                     "ODBERATEL;RADEK;Firma č. %1 s.r.o.;Dlouhá %1;Brno;602 00;Česká republika;;;;;%2;"
                     "1210,00;1210,00;0,00;0,00")
                     .arg(firm)
                     .arg(addressOf(firm))
              << QStringLiteral("FAKTURA;RADEK;FV%1;2.9.2026;16.9.2026;2.9.2026;%1;1210,00;1210,00;CZK")
                     .arg(firm, 6, 10, QLatin1Char('0'));
    }
    return cp1250().encode(lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}

QStringList reliabilityRecipients(int debtors) {
    QStringList recipients;
    for (int firm = 0; firm < debtors; ++firm) {
        const QString address = addressOf(firm).toUpper();
        if (!address.isEmpty() && !recipients.contains(address)) {
            recipients << address;
        }
    }
    return recipients;
}

CliResult cliIn(const QString& appDir, const QStringList& args) {
    return runCli(QStringList{QStringLiteral("--app-dir"), appDir} + args);
}

void prepareSmtpFolder(const TempAppDir& dir, quint16 port, const QString& sender) {
    writeDemoDefFile(dir);
    const std::pair<const char*, QString> settings[] = {
        {"DefaultSendMail", QStringLiteral("0")}, {"SMTPHost", QStringLiteral("127.0.0.1")},
        {"SMTPPort", QString::number(port)},      {"SMTPFromAddress", sender},
        {"FirstEmailing", QStringLiteral("0")},
    };
    for (const auto& [field, value] : settings) {
        const CliResult set = cliIn(dir.path(), {QStringLiteral("settings"), QStringLiteral("set"),
                                                 QString::fromLatin1(field), value});
        ASSERT_EQ(set.exitCode, 0) << field << ": " << set.err.toStdString();
    }
}

StoredState readCheckedState(const QString& appDir) {
    platform::SystemLocale czech;
    state::StateTables tables(appDir, czech);
    tables.OpenStateTables();
    StoredState stored;
    stored.addresses =
        checkedRecords<state::AddressRecord>(tables.dtEarchiv(), QStringLiteral("EMAIL"),
                                             [&](const QString& key) { return tables.readAddressNote(key); });
    stored.documents = checkedRecords<state::DocumentRecord>(
        tables.dtEDoklady(), QStringLiteral("DOKLAD"),
        [&](const QString& key) { return tables.readDocumentNote(key); });
    return stored;
}

void expectDbfreadAgrees(const QString& appDir, const StoredState& state) {
    const ProcessResult read =
        runProcess({.program = QStringLiteral(TERVALO_PYTHON),
                    .arguments = {QStringLiteral("-c"), QString::fromUtf8(kDbfreadScript), appDir}});
    ASSERT_EQ(read.exitCode, 0) << read.err.toStdString();
    const QJsonObject json = QJsonDocument::fromJson(read.out).object();
    expectSameRecords(json.value(QStringLiteral("EArchiv")).toObject(), state.addresses, "EArchiv");
    expectSameRecords(json.value(QStringLiteral("EDoklady")).toObject(), state.documents, "EDoklady");
}

}  // namespace tervalo::test
