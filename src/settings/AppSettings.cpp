#include "settings/AppSettings.h"

namespace tervalo::app {

QString AppSettings::DefaultBody() {
    return QStringLiteral(
        "Odesilatel: %DODAVATEL%\r\n"
        "Prijemce: %ODBERATEL%\r\n"
        "Vec: seznam neuhrazenych dokladu ke dni %DATUM%\r\n"
        "\r\n"
        "Vazeni,\r\n"
        "\r\n"
        "pri kontrole nasich pohledavek byly zjisteny neuhrazene doklady vystavene na Vasi firmu (seznam "
        "techto dokladu naleznete v textove priloze tohoto e-mailu). Verime, ze k teto situaci doslo pouze "
        "nedopatrenim a prosime Vas o co nejrychlejsi uhrazeni techto Vasich zavazku.\r\n"
        "\r\n"
        "Pokud mezitim doslo k uhrade, povazujte tuto upominku za bezpredmetnou.\r\n"
        "\r\n"
        "S pozdravem\r\n");
}

std::array<ReminderLevel, kMaxReminderLevels> AppSettings::DefaultLevels() {
    std::array<ReminderLevel, kMaxReminderLevels> levels;
    levels[0].Nazev = QStringLiteral("1. upomínka");
    levels[1].Nazev = QStringLiteral("2. upomínka");
    levels[1].Predmet = QStringLiteral("2. upomínka: neuhrazené doklady ke dni %DATUM%");
    levels[1].Text = QStringLiteral(
        "Odesílatel: %DODAVATEL%\r\n"
        "Příjemce: %ODBERATEL%\r\n"
        "Věc: 2. upomínka - neuhrazené doklady ke dni %DATUM%\r\n"
        "\r\n"
        "Vážení,\r\n"
        "\r\n"
        "ani po naší předchozí upomínce nebyly uhrazeny doklady vystavené na Vaši firmu (seznam těchto "
        "dokladů naleznete v textové příloze tohoto e-mailu). Dlužná částka činí celkem %CELKEM%.\r\n"
        "\r\n"
        "Žádáme Vás o úhradu nejpozději do %LHUTA%. Pokud nebude dlužná částka v této lhůtě uhrazena, "
        "budeme nuceni přistoupit k dalším krokům k jejímu vymožení.\r\n"
        "\r\n"
        "Pokud mezitím došlo k úhradě, považujte tuto upomínku za bezpředmětnou.\r\n"
        "\r\n"
        "S pozdravem\r\n");
    levels[1].DniPoSplatnosti = 30;
    levels[2].Nazev = QStringLiteral("Předžalobní výzva");
    levels[2].Predmet = QStringLiteral("Předžalobní výzva k úhradě dlužné částky");
    levels[2].Text = QStringLiteral(
        "Odesílatel: %DODAVATEL%\r\n"
        "Příjemce: %ODBERATEL%\r\n"
        "Věc: Předžalobní výzva k úhradě dlužné částky\r\n"
        "\r\n"
        "Vážení,\r\n"
        "\r\n"
        "přes naše předchozí upomínky dosud nebyly uhrazeny níže uvedené doklady vystavené na Vaši "
        "firmu. Dlužná částka ke dni %DATUM% činí celkem %CELKEM%.\r\n"
        "\r\n"
        "%DOKLADY%"
        "\r\n"
        "%UROKY%\r\n"
        "%NAKLADY%\r\n"
        "\r\n"
        "Tímto Vás vyzýváme k úhradě celé dlužné částky nejpozději do %LHUTA%.\r\n"
        "\r\n"
        "Pokud dlužnou částku v této lhůtě neuhradíte, uplatníme svou pohledávku u soudu, a to včetně "
        "jejího příslušenství a náhrady nákladů soudního řízení.\r\n"
        "\r\n"
        "Tato výzva je předžalobní výzvou podle § 142a občanského soudního řádu.\r\n"
        "\r\n"
        "S pozdravem\r\n");
    levels[2].DniPoSplatnosti = 45;
    for (int i = 3; i < kMaxReminderLevels; ++i) {
        levels[i].Nazev = QString::number(i + 1) + QStringLiteral(". úroveň");
        levels[i].Predmet = levels[2].Predmet;
        levels[i].Text = levels[2].Text;
        levels[i].DniPoSplatnosti = levels[2].DniPoSplatnosti;
    }
    return levels;
}

const QString& AppSettings::levelSubject(int level) const {
    return level <= 1 ? E_Predmet : Urovne[qMin(level, kMaxReminderLevels) - 1].Predmet;
}

const QString& AppSettings::levelBody(int level) const {
    return level <= 1 ? EText : Urovne[qMin(level, kMaxReminderLevels) - 1].Text;
}

void ApplyDefaults(AppSettings& settings) {
    const auto fill = [](QString& field, const QString& fallback) {
        if (field.isEmpty()) {
            field = fallback;
        }
    };
    fill(settings.E_Predmet, AppSettings::DefaultPredmet());
    fill(settings.EF_Nadpis, AppSettings::DefaultNadpis());
    fill(settings.EF_CisDokl, AppSettings::DefaultCisDokl());
    fill(settings.EF_Vystaveno, AppSettings::DefaultVystaveno());
    fill(settings.EF_Splatno, AppSettings::DefaultSplatno());
    fill(settings.EF_CenaCelk, AppSettings::DefaultCenaCelk());
    fill(settings.EF_ZbyvaUhr, AppSettings::DefaultZbyvaUhr());
    fill(settings.EF_Mena, AppSettings::DefaultMena());
    fill(settings.EText, AppSettings::DefaultBody());
    const auto defaults = AppSettings::DefaultLevels();
    for (int i = 0; i < kMaxReminderLevels; ++i) {
        fill(settings.Urovne[i].Nazev, defaults[i].Nazev);
        if (i > 0) {
            fill(settings.Urovne[i].Predmet, defaults[i].Predmet);
            fill(settings.Urovne[i].Text, defaults[i].Text);
        }
    }
    settings.PocetUrovni = qBound(1, settings.PocetUrovni, kMaxReminderLevels);
}

QString withCrLfLineBreaks(const QString& text) {
    QString result;
    result.reserve(text.size() + text.size() / 32);
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar ch = text[i];
        if (ch == QLatin1Char('\r')) {
            result += QStringLiteral("\r\n");
            if (i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
        } else if (ch == QLatin1Char('\n')) {
            result += QStringLiteral("\r\n");
        } else {
            result += ch;
        }
    }
    return result;
}

}  // namespace tervalo::app
