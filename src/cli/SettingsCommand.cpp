#include "cli/SettingsCommand.h"

#include "app/SettingsStore.h"
#include "payment/QrAccount.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <climits>
#include <functional>
#include <optional>
#include <vector>

namespace tervalo::cli {

namespace {

struct Field {
    QString name;
    std::function<QJsonValue(const app::AppSession&)> get;
    // False when the value does not fit the field.
    std::function<bool(app::AppSession&, const QString&)> set;
    // Why `set` refused a value, where the field can say more than that it does not fit.
    std::function<QString(const QString&)> refusal = nullptr;
};

std::optional<bool> parseFlag(const QString& value) {
    const QString lower = value.trimmed().toLower();
    if (lower == QStringLiteral("1") || lower == QStringLiteral("true")) {
        return true;
    }
    if (lower == QStringLiteral("0") || lower == QStringLiteral("false")) {
        return false;
    }
    return std::nullopt;
}

std::optional<int> parseNumber(const QString& value) {
    bool ok = false;
    int number = value.trimmed().toInt(&ok, 10);
    return ok ? std::optional<int>(number) : std::nullopt;
}

Field text(const char* name, QString app::AppSettings::*member) {
    return {QString::fromLatin1(name),
            [member](const app::AppSession& s) { return QJsonValue(s.settings.*member); },
            [member](app::AppSession& s, const QString& value) {
                s.settings.*member = value;
                return true;
            }};
}

Field flag(const char* name, bool app::AppSettings::*member) {
    return {QString::fromLatin1(name),
            [member](const app::AppSession& s) { return QJsonValue(s.settings.*member); },
            [member](app::AppSession& s, const QString& value) {
                auto parsed = parseFlag(value);
                if (parsed) {
                    s.settings.*member = *parsed;
                }
                return parsed.has_value();
            }};
}

// `minimum` and `maximum` bound a number that chooses among a few ways (SMTPSecurity).
Field number(const char* name, int app::AppSettings::*member, int minimum = INT_MIN, int maximum = INT_MAX) {
    return {QString::fromLatin1(name),
            [member](const app::AppSession& s) { return QJsonValue(s.settings.*member); },
            [member, minimum, maximum](app::AppSession& s, const QString& value) {
                auto parsed = parseNumber(value);
                if (parsed && (*parsed < minimum || *parsed > maximum)) {
                    parsed.reset();
                }
                if (parsed) {
                    s.settings.*member = *parsed;
                }
                return parsed.has_value();
            }};
}

// A text kept only when `problem` finds nothing wrong with it (accounts for payment codes); empty
// always clears it.
Field checkedText(const char* name, QString app::AppSettings::*member, QString (*problem)(const QString&)) {
    Field field = text(name, member);
    field.set = [member, problem](app::AppSession& s, const QString& value) {
        if (!value.trimmed().isEmpty() && !problem(value).isEmpty()) {
            return false;
        }
        s.settings.*member = value;
        return true;
    };
    field.refusal = problem;
    return field;
}

QString accountProblem(const QString& value) {
    return compose::ParseQrAccount(value).problem;
}

QString currencyAccountsProblem(const QString& value) {
    return compose::ParseQrCurrencyAccounts(value).problem;
}

// A field of reminder level `index` (0 is the first), named as its key in Vorbel.ini ("Nazev2").
template <typename Value>
Field levelField(const char* name, int index, Value app::ReminderLevel::*member,
                 std::function<std::optional<Value>(const QString&)> parse) {
    return {
        QString::fromLatin1(name) + QString::number(index + 1),
        [index, member](const app::AppSession& s) { return QJsonValue(s.settings.Urovne[index].*member); },
        [index, member, parse](app::AppSession& s, const QString& value) {
            const std::optional<Value> parsed = parse(value);
            if (parsed) {
                s.settings.Urovne[index].*member = *parsed;
            }
            return parsed.has_value();
        }};
}

std::optional<QString> anyText(const QString& value) {
    return value;
}

std::optional<int> days(const QString& value) {
    auto parsed = parseNumber(value);
    return parsed && *parsed >= 0 ? parsed : std::nullopt;
}

// The levels: how many are in use, and per level its name, days and deadline,
// and from the second level on its subject and its body (named as its file, "EText2", CR LF).
void addLevelFields(std::vector<Field>& table) {
    table.push_back({QStringLiteral("PocetUrovni"),
                     [](const app::AppSession& s) { return QJsonValue(s.settings.PocetUrovni); },
                     [](app::AppSession& s, const QString& value) {
                         auto parsed = parseNumber(value);
                         if (parsed && *parsed >= 1 && *parsed <= app::kMaxReminderLevels) {
                             s.settings.PocetUrovni = *parsed;
                             return true;
                         }
                         return false;
                     }});
    for (int i = 0; i < app::kMaxReminderLevels; ++i) {
        table.push_back(levelField<QString>("Nazev", i, &app::ReminderLevel::Nazev, anyText));
        if (i > 0) {
            table.push_back(levelField<QString>("Predmet", i, &app::ReminderLevel::Predmet, anyText));
            table.push_back(levelField<QString>(
                "EText", i, &app::ReminderLevel::Text,
                [](const QString& value) { return std::optional<QString>(app::withCrLfLineBreaks(value)); }));
        }
        table.push_back(levelField<int>("DniOdPredchozi", i, &app::ReminderLevel::DniOdPredchozi, days));
        table.push_back(levelField<int>("DniPoSplatnosti", i, &app::ReminderLevel::DniPoSplatnosti, days));
        table.push_back(levelField<int>("Lhuta", i, &app::ReminderLevel::Lhuta, days));
    }
}

const std::vector<Field>& fields() {
    static const std::vector<Field> table = [] {
        std::vector<Field> all = {
            text("OpenDir", &app::AppSettings::OpenDir),
            flag("FirstEmailing", &app::AppSettings::FirstEmailing),
            {QStringLiteral("Maximized"),
             [](const app::AppSession& s) { return QJsonValue(s.windowLayout.Maximized); },
             [](app::AppSession& s, const QString& value) {
                 auto parsed = parseFlag(value);
                 if (parsed) {
                     s.windowLayout.Maximized = *parsed;
                 }
                 return parsed.has_value();
             }},
            {QStringLiteral("HeaderHeight"),
             [](const app::AppSession& s) { return QJsonValue(s.windowLayout.HeaderHeight); },
             [](app::AppSession& s, const QString& value) {
                 auto parsed = parseNumber(value);
                 if (parsed) {
                     s.windowLayout.HeaderHeight = *parsed;
                 }
                 return parsed.has_value();
             }},
            text("E_Predmet", &app::AppSettings::E_Predmet),
            text("E_KopieEmailu", &app::AppSettings::E_KopieEmailu),
            flag("E_PripojitPrilohu", &app::AppSettings::E_PripojitPrilohu),
            text("EF_Nadpis", &app::AppSettings::EF_Nadpis),
            text("EF_CisDokl", &app::AppSettings::EF_CisDokl),
            text("EF_Vystaveno", &app::AppSettings::EF_Vystaveno),
            text("EF_Splatno", &app::AppSettings::EF_Splatno),
            text("EF_CenaCelk", &app::AppSettings::EF_CenaCelk),
            text("EF_ZbyvaUhr", &app::AppSettings::EF_ZbyvaUhr),
            text("EF_Mena", &app::AppSettings::EF_Mena),
            flag("DefaultSendMail", &app::AppSettings::DefaultSendMail),
            flag("SMTPJednotlive", &app::AppSettings::SMTPJednotlive),
            text("SMTPHost", &app::AppSettings::SMTPHost),
            number("SMTPPort", &app::AppSettings::SMTPPort),
            flag("SMTPAuth", &app::AppSettings::SMTPAuth),
            text("SMTPUserID", &app::AppSettings::SMTPUserID),
            text("SMTPFromAddress", &app::AppSettings::SMTPFromAddress),
            text("SMTPFromName", &app::AppSettings::SMTPFromName),
            number("SMTPSecurity", &app::AppSettings::SMTPSecurity, 0, 2),
            flag("SMTPPlainAuth", &app::AppSettings::SMTPPlainAuth),
            text("SMTPCAFile", &app::AppSettings::SMTPCAFile),
            number("ClientType", &app::AppSettings::ClientType),
            text("ClientDirectName", &app::AppSettings::ClientDirectName),
            flag("QRPlatba", &app::AppSettings::QRPlatba),
            checkedText("QRUcet", &app::AppSettings::QRUcet, accountProblem),
            text("QRBic", &app::AppSettings::QRBic),
            text("QRZprava", &app::AppSettings::QRZprava),
            number("QRRezim", &app::AppSettings::QRRezim, 1, 2),
            checkedText("QRUctyMeny", &app::AppSettings::QRUctyMeny, currencyAccountsProblem),
            flag("NahradaNakladu", &app::AppSettings::NahradaNakladu),
            number("StaryExportDni", &app::AppSettings::StaryExportDni, 0, 3650),
            flag("JenPoSplatnosti", &app::AppSettings::JenPoSplatnosti),
            // Never printed in clear.
            {QStringLiteral("SMTPPassword"),
             [](const app::AppSession& s) {
                 return QJsonValue(s.settings.SMTPPassword.isEmpty() ? QString() : QStringLiteral("***"));
             },
             [](app::AppSession& s, const QString& value) {
                 s.settings.SMTPPassword = value;
                 return true;
             }},
            {QStringLiteral("EText"), [](const app::AppSession& s) { return QJsonValue(s.settings.EText); },
             [](app::AppSession& s, const QString& value) {
                 s.settings.EText = app::withCrLfLineBreaks(value);
                 return true;
             }},
        };
        addLevelFields(all);
        return all;
    }();
    return table;
}

const Field* findField(const QString& name) {
    for (const Field& field : fields()) {
        if (field.name == name) {
            return &field;
        }
    }
    return nullptr;
}

int printSettings(CliContext& context) {
    QJsonObject json;
    for (const Field& field : fields()) {
        json.insert(field.name, field.get(context.session));
    }
    context.out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Indented));
    return Success;
}

int setField(CliContext& context) {
    const QString& name = context.args[1];
    const QString& value = context.args[2];
    const Field* field = findField(name);
    if (!field) {
        context.ui.error(QStringLiteral("unknown settings field: ") + name);
        return Usage;
    }
    if (!field->set(context.session, value)) {
        const QString why = field->refusal ? field->refusal(value) : QString();
        context.ui.error(QStringLiteral("invalid value for ") + name + QStringLiteral(": ") + value +
                         (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
        return Usage;
    }
    try {
        app::SaveSettings(context.session);
    } catch (const app::SettingsFileError& e) {
        context.ui.error(e.text());
        return Ended;
    }
    return Success;
}

}  // namespace

int runSettings(CliContext& context) {
    if (context.args.isEmpty()) {
        return printSettings(context);
    }
    if (context.args.size() == 3 && context.args.first() == QStringLiteral("set")) {
        return setField(context);
    }
    context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] settings [set FIELD VALUE]"));
    return Usage;
}

}  // namespace tervalo::cli
