#include "cli/LevelsCommand.h"

#include "app/LoadExport.h"
#include "sending/DebtorLevels.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <utility>
#include <vector>

namespace tervalo::cli {

namespace {

// One JSON object with its keys in the order given (QJsonObject would sort them).
QString orderedObject(const std::vector<std::pair<const char*, QJsonValue>>& members) {
    QStringList parts;
    for (const auto& [key, value] : members) {
        const QByteArray json = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
        parts << QLatin1Char('"') + QString::fromLatin1(key) + QStringLiteral("\":") +
                     QString::fromUtf8(json.mid(1, json.size() - 2));
    }
    return QLatin1Char('{') + parts.join(QLatin1Char(',')) + QLatin1Char('}');
}

}  // namespace

int runLevels(CliContext& context) {
    if (context.args.size() != 1 || context.args.first().startsWith(QStringLiteral("--"))) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] levels EXPORT"));
        return Usage;
    }
    app::AppSession& session = context.session;
    if (!app::LoadExport(session, context.args.first(), context.ui)) {
        return Ended;
    }
    const state::SendJournal journal(state::SendJournal::pathIn(session.AppDir));
    const sending::DebtorLevels levels(session.settings, &journal, QDate::currentDate());
    memtable::MemTable& firmy = session.tables.mtFirmy;
    for (int position = 0; position < firmy.recordCount(); ++position) {
        firmy.moveTo(position);
        const sending::LevelChoice choice = levels.current(session.tables);
        const bool hasLevel = choice.level != 0;
        const QString& name = session.settings.Urovne[qMax(choice.level, 1) - 1].Nazev;
        context.out << orderedObject({
                           {"debtor", firmy.intValue(u"ID")},
                           {"address", firmy.text(u"OdbEmail")},
                           {"level", hasLevel ? QJsonValue(choice.level) : QJsonValue()},
                           {"name", hasLevel ? QJsonValue(name) : QJsonValue()},
                           {"next_possible", choice.nextPossible.isValid()
                                                 ? QJsonValue(choice.nextPossible.toString(Qt::ISODate))
                                                 : QJsonValue()},
                           {"reason", choice.reason},
                       })
                    << '\n';
    }
    context.out.flush();
    return Success;
}

}  // namespace tervalo::cli
