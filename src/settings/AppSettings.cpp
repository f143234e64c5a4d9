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
