#include "cli/HistoryCommand.h"

#include "sending/ReminderEvidence.h"
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
    // --eml ID FILE: the message kept with record ID written to FILE.
    std::optional<qint64> emlRecord;
    QString emlFile;
};

std::optional<HistoryArguments> parse(const QStringList& args) {
    HistoryArguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const bool valueFollows = i + 1 < args.size();
        if (args[i] == QStringLiteral("--address") && valueFollows && parsed.address.isEmpty()) {
            parsed.address = args[++i];
        } else if (args[i] == QStringLiteral("--eml") && i + 2 < args.size() && !parsed.emlRecord) {
            bool number = false;
            parsed.emlRecord = args[++i].toLongLong(&number);
            parsed.emlFile = args[++i];
            if (!number || parsed.emlFile.isEmpty()) {
                return std::nullopt;
            }
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
            {QStringLiteral("level"), record.level},
            {QStringLiteral("messageKept"), record.messageKept}};
}

}  // namespace

int runHistory(CliContext& context) {
    const std::optional<HistoryArguments> arguments = parse(context.args);
    if (!arguments ||
        (arguments->emlRecord && (!arguments->address.isEmpty() || arguments->since.isValid()))) {
        context.ui.error(QStringLiteral(
            "usage: tervalo-cli [--app-dir DIR] history [--address ADDRESS] [--since YYYY-MM-DD]\n"
            "       tervalo-cli [--app-dir DIR] history --eml ID FILE"));
        return Usage;
    }
    const state::SendJournal journal(state::SendJournal::pathIn(context.session.AppDir));
    if (arguments->emlRecord) {
        if (const std::optional<QString> failure =
                sending::SaveKeptMessage(journal, *arguments->emlRecord, arguments->emlFile)) {
            context.ui.error(*failure);
            return Ended;
        }
        return Success;
    }
    for (const state::JournalRecord& record : journal.records(arguments->address, arguments->since)) {
        context.out << QString::fromUtf8(QJsonDocument(json(record)).toJson(QJsonDocument::Compact)) << '\n';
    }
    context.out.flush();
    return Success;
}

}  // namespace tervalo::cli
