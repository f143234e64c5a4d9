#include "cli/HistoryCommand.h"

#include "state/SendJournal.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <optional>

namespace tervalo::cli {

namespace {

struct HistoryArguments {
    QString address;
    QDate since;
};

std::optional<HistoryArguments> parse(const QStringList& args) {
    HistoryArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool valueFollows = i + 1 < args.size();
        if (args[i] == QStringLiteral("--address") && valueFollows && parsed.address.isEmpty()) {
            parsed.address = args[++i];
        } else if (args[i] == QStringLiteral("--since") && valueFollows && !parsed.since.isValid()) {
            parsed.since = QDate::fromString(args[++i], Qt::ISODate);
            if (!parsed.since.isValid()) {
                return std::nullopt;
            }
        } else {
            return std::nullopt;
        }
    }
    return parsed;
}

QJsonObject json(const state::JournalRecord& record) {
    QJsonArray documents;
    for (const state::JournalDocument& document : record.documents) {
        documents.append(QJsonObject{{QStringLiteral("number"), document.number},
                                     {QStringLiteral("remaining"), document.remaining},
                                     {QStringLiteral("currency"), document.currency}});
    }
    return {{QStringLiteral("id"), record.id},
            {QStringLiteral("time"), record.time.toString(Qt::ISODateWithMs)},
            {QStringLiteral("recipient"), record.recipient},
            {QStringLiteral("copy"), record.copy},
            {QStringLiteral("debtorName"), record.debtorName},
            {QStringLiteral("debtorId"), record.debtorId},
            {QStringLiteral("route"), record.route},
            {QStringLiteral("messageId"), record.messageId},
            {QStringLiteral("reply"), record.reply},
            {QStringLiteral("documents"), documents},
            {QStringLiteral("subject"), record.subject},
            {QStringLiteral("result"), state::resultName(record.result)},
            {QStringLiteral("runId"), record.runId},
            {QStringLiteral("test"), record.test},
            {QStringLiteral("level"), record.level}};
}

}  // namespace

int runHistory(CliContext& context) {
    const std::optional<HistoryArguments> arguments = parse(context.args);
    if (!arguments) {
        context.ui.error(QStringLiteral(
            "usage: tervalo-cli [--app-dir DIR] history [--address ADDRESS] [--since YYYY-MM-DD]"));
        return Usage;
    }
    const state::SendJournal journal(state::SendJournal::pathIn(context.session.AppDir));
    for (const state::JournalRecord& record : journal.records(arguments->address, arguments->since)) {
        context.out << QString::fromUtf8(QJsonDocument(json(record)).toJson(QJsonDocument::Compact)) << '\n';
    }
    context.out.flush();
    return Success;
}

}  // namespace tervalo::cli
