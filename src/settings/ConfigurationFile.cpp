#include "settings/ConfigurationFile.h"

#include "platform/TextFile.h"

#include <QFileInfo>

#include <algorithm>

namespace tervalo::app {

namespace {

const QString kMain = QStringLiteral("MAIN");
const QString kEmail = QStringLiteral("EMAIL");
const QString kSend = QStringLiteral("SEND");
const QString kQrPlatba = QStringLiteral("QRPLATBA");
const QString kUroky = QStringLiteral("UROKY");
const QString kUrovne = QStringLiteral("UROVNE");

// A level's key: the name followed by the level's number, "Nazev2".
QString levelKey(const char* name, int index) {
    return QString::fromLatin1(name) + QString::number(index + 1);
}

// Missing keys keep the defaults, and ApplyDefaults fills the texts that are empty.
void readLevels(const IniFile& ini, AppSettings& s) {
    s.PocetUrovni = ini.integer(kUrovne, QStringLiteral("PocetUrovni"), s.PocetUrovni);
    s.JenPoSplatnosti = ini.boolean(kUrovne, QStringLiteral("JenPoSplatnosti"), false);
    for (int i = 0; i < kMaxReminderLevels; ++i) {
        ReminderLevel& level = s.Urovne[i];
        level.Nazev = ini.text(kUrovne, levelKey("Nazev", i));
        if (i > 0) {
            level.Predmet = ini.text(kUrovne, levelKey("Predmet", i));
        }
        level.DniOdPredchozi =
            qMax(0, ini.integer(kUrovne, levelKey("DniOdPredchozi", i), level.DniOdPredchozi));
        level.DniPoSplatnosti =
            qMax(0, ini.integer(kUrovne, levelKey("DniPoSplatnosti", i), level.DniPoSplatnosti));
        level.Lhuta = qMax(0, ini.integer(kUrovne, levelKey("Lhuta", i), level.Lhuta));
    }
}

void writeLevels(IniFile& ini, const AppSettings& s) {
    ini.setInteger(kUrovne, QStringLiteral("PocetUrovni"), s.PocetUrovni);
    ini.setBoolean(kUrovne, QStringLiteral("JenPoSplatnosti"), s.JenPoSplatnosti);
    for (int i = 0; i < kMaxReminderLevels; ++i) {
        const ReminderLevel& level = s.Urovne[i];
        ini.setValue(kUrovne, levelKey("Nazev", i), level.Nazev);
        if (i > 0) {
            ini.setValue(kUrovne, levelKey("Predmet", i), level.Predmet);
        }
        ini.setInteger(kUrovne, levelKey("DniOdPredchozi", i), level.DniOdPredchozi);
        ini.setInteger(kUrovne, levelKey("DniPoSplatnosti", i), level.DniPoSplatnosti);
        ini.setInteger(kUrovne, levelKey("Lhuta", i), level.Lhuta);
    }
}

// The place of a window: "Geometry_" + its object name = "x,y,width,height" of its client area.
const QString kGeometryPrefix = QStringLiteral("Geometry_");

void readWindows(const IniFile& ini, MainWindowLayout& layout) {
    layout.HeaderPerMille = qBound(0, ini.integer(kMain, QStringLiteral("HeaderPerMille"), 0), 1000);
    for (const QString& key : ini.keys(kMain)) {
        if (!key.startsWith(kGeometryPrefix, Qt::CaseInsensitive)) {
            continue;
        }
        const QStringList numbers = ini.text(kMain, key).split(QLatin1Char(','));
        QList<int> values;
        for (const QString& number : numbers) {
            bool ok = false;
            values << number.trimmed().toInt(&ok);
            if (!ok) {
                values.clear();
                break;
            }
        }
        if (values.size() == 4 && values[2] > 0 && values[3] > 0) {
            layout.Windows[key.mid(kGeometryPrefix.size())] =
                QRect(values[0], values[1], values[2], values[3]);
        }
    }
}

void writeWindows(IniFile& ini, const MainWindowLayout& layout) {
    if (layout.HeaderPerMille > 0) {
        ini.setInteger(kMain, QStringLiteral("HeaderPerMille"), layout.HeaderPerMille);
    }
    for (const auto& [name, rect] : layout.Windows) {
        ini.setValue(
            kMain, kGeometryPrefix + name,
            QStringLiteral("%1,%2,%3,%4").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height()));
    }
}

}  // namespace

void ConfigurationFile::read(const IniFile& ini, AppSettings& s, MainWindowLayout& layout) {
    s.OpenDir = ini.text(kMain, QStringLiteral("OpenDir"));
    s.FirstEmailing = ini.boolean(kMain, QStringLiteral("FirstEmailing"), true);
    layout.Maximized = ini.boolean(kMain, QStringLiteral("Maximized"), false);
    layout.HeaderHeight =
        ini.integer(kMain, QStringLiteral("HeaderHeight"), MainWindowLayout::kDefaultHeaderHeight);
    readWindows(ini, layout);

    s.E_Predmet = ini.text(kEmail, QStringLiteral("E_Predmet"));
    s.E_KopieEmailu = ini.text(kEmail, QStringLiteral("E_KopieEmailu"));
    s.E_PripojitPrilohu = ini.boolean(kEmail, QStringLiteral("E_PripojitPrilohu"), true);
    s.EF_Nadpis = ini.text(kEmail, QStringLiteral("EF_Nadpis"));
    s.EF_CisDokl = ini.text(kEmail, QStringLiteral("EF_CisDokl"));
    s.EF_Vystaveno = ini.text(kEmail, QStringLiteral("EF_Vystaveno"));
    s.EF_Splatno = ini.text(kEmail, QStringLiteral("EF_Splatno"));
    s.EF_CenaCelk = ini.text(kEmail, QStringLiteral("EF_CenaCelk"));
    s.EF_ZbyvaUhr = ini.text(kEmail, QStringLiteral("EF_ZbyvaUhr"));
    s.EF_Mena = ini.text(kEmail, QStringLiteral("EF_Mena"));

    s.DefaultSendMail = ini.boolean(kSend, QStringLiteral("DefaultSendMail"), true);
    s.SMTPJednotlive = ini.boolean(kSend, QStringLiteral("SMTPJednotlive"), false);
    s.SMTPHost = ini.text(kSend, QStringLiteral("SMTPHost"));
    s.SMTPPort = ini.integer(kSend, QStringLiteral("SMTPPort"), 25);
    s.SMTPAuth = ini.boolean(kSend, QStringLiteral("SMTPAuth"), false);
    s.SMTPUserID = ini.text(kSend, QStringLiteral("SMTPUserID"));
    s.SMTPFromAddress = ini.text(kSend, QStringLiteral("SMTPFromAddress"));
    s.SMTPFromName = ini.text(kSend, QStringLiteral("SMTPFromName"));
    s.SMTPSecurity = ini.text(kSend, QStringLiteral("SMTPSecurity")).trimmed().isEmpty()
                         ? 0
                         : ini.integer(kSend, QStringLiteral("SMTPSecurity"), -1);
    s.SMTPPlainAuth = ini.boolean(kSend, QStringLiteral("SMTPPlainAuth"), false);
    s.SMTPCAFile = ini.text(kSend, QStringLiteral("SMTPCAFile"));
    s.ClientType = ini.integer(kSend, QStringLiteral("ClientType"), 2);
    s.ClientDirectName = ini.text(kSend, QStringLiteral("ClientDirectName"));

    s.QRPlatba = ini.boolean(kQrPlatba, QStringLiteral("QRPlatba"), false);
    s.QRUcet = ini.text(kQrPlatba, QStringLiteral("QRUcet"));
    s.QRBic = ini.text(kQrPlatba, QStringLiteral("QRBic"));
    s.QRZprava = ini.text(kQrPlatba, QStringLiteral("QRZprava"), AppSettings::DefaultQRZprava());
    s.QRRezim = ini.integer(kQrPlatba, QStringLiteral("QRRezim"), 1);
    if (s.QRRezim != 1 && s.QRRezim != 2) {
        s.QRRezim = 1;
    }
    s.QRUctyMeny = ini.text(kQrPlatba, QStringLiteral("QRUctyMeny"));

    s.NahradaNakladu = ini.boolean(kUroky, QStringLiteral("NahradaNakladu"), false);
    s.StaryExportDni = std::max(0, ini.integer(kUroky, QStringLiteral("StaryExportDni"), 3));
    readLevels(ini, s);
}

void ConfigurationFile::write(IniFile& ini, const AppSettings& s, const MainWindowLayout& layout) {
    ini.setBoolean(kMain, QStringLiteral("FirstEmailing"), s.FirstEmailing);
    ini.setValue(kMain, QStringLiteral("OpenDir"), s.OpenDir);

    ini.setValue(kEmail, QStringLiteral("E_Predmet"), s.E_Predmet);
    ini.setValue(kEmail, QStringLiteral("E_KopieEmailu"), s.E_KopieEmailu);
    ini.setBoolean(kEmail, QStringLiteral("E_PripojitPrilohu"), s.E_PripojitPrilohu);
    ini.setValue(kEmail, QStringLiteral("EF_Nadpis"), s.EF_Nadpis);
    ini.setValue(kEmail, QStringLiteral("EF_CisDokl"), s.EF_CisDokl);
    ini.setValue(kEmail, QStringLiteral("EF_Vystaveno"), s.EF_Vystaveno);
    ini.setValue(kEmail, QStringLiteral("EF_Splatno"), s.EF_Splatno);
    ini.setValue(kEmail, QStringLiteral("EF_CenaCelk"), s.EF_CenaCelk);
    ini.setValue(kEmail, QStringLiteral("EF_ZbyvaUhr"), s.EF_ZbyvaUhr);
    ini.setValue(kEmail, QStringLiteral("EF_Mena"), s.EF_Mena);

    ini.setBoolean(kSend, QStringLiteral("DefaultSendMail"), s.DefaultSendMail);
    ini.setBoolean(kSend, QStringLiteral("SMTPJednotlive"), s.SMTPJednotlive);
    ini.setValue(kSend, QStringLiteral("SMTPHost"), s.SMTPHost);
    ini.setInteger(kSend, QStringLiteral("SMTPPort"), s.SMTPPort);
    ini.setBoolean(kSend, QStringLiteral("SMTPAuth"), s.SMTPAuth);
    ini.setValue(kSend, QStringLiteral("SMTPUserID"), s.SMTPUserID);
    ini.setValue(kSend, QStringLiteral("SMTPFromAddress"), s.SMTPFromAddress);
    ini.setValue(kSend, QStringLiteral("SMTPFromName"), s.SMTPFromName);
    ini.setInteger(kSend, QStringLiteral("SMTPSecurity"), s.SMTPSecurity);
    ini.setBoolean(kSend, QStringLiteral("SMTPPlainAuth"), s.SMTPPlainAuth);
    ini.setValue(kSend, QStringLiteral("SMTPCAFile"), s.SMTPCAFile);

    ini.setBoolean(kMain, QStringLiteral("Maximized"), layout.Maximized);
    ini.setInteger(kMain, QStringLiteral("HeaderHeight"), layout.HeaderHeight);
    writeWindows(ini, layout);

    ini.setInteger(kSend, QStringLiteral("ClientType"), s.ClientType);
    ini.setValue(kSend, QStringLiteral("ClientDirectName"), s.ClientDirectName);

    ini.setBoolean(kQrPlatba, QStringLiteral("QRPlatba"), s.QRPlatba);
    ini.setValue(kQrPlatba, QStringLiteral("QRUcet"), s.QRUcet);
    ini.setValue(kQrPlatba, QStringLiteral("QRBic"), s.QRBic);
    ini.setValue(kQrPlatba, QStringLiteral("QRZprava"), s.QRZprava);
    ini.setInteger(kQrPlatba, QStringLiteral("QRRezim"), s.QRRezim);
    ini.setValue(kQrPlatba, QStringLiteral("QRUctyMeny"), s.QRUctyMeny);

    ini.setBoolean(kUroky, QStringLiteral("NahradaNakladu"), s.NahradaNakladu);
    ini.setInteger(kUroky, QStringLiteral("StaryExportDni"), s.StaryExportDni);
    writeLevels(ini, s);
}

std::optional<QString> BodyTextFile::read(const QString& path, const platform::AnsiCodec& codec) {
    if (!QFileInfo::exists(path)) {
        return std::nullopt;
    }
    auto text = platform::TextFile::readAnsi(path, codec);
    if (!text) {
        throw SettingsFileError(cannotReadText(path), path);
    }
    return withCrLfLineBreaks(*text);
}

void BodyTextFile::write(const QString& path, const QString& text, const platform::AnsiCodec& codec) {
    if (!platform::TextFile::writeAnsiAtomically(path, text, codec)) {
        throw SettingsFileError(cannotWriteText(path), path);
    }
}

}  // namespace tervalo::app
