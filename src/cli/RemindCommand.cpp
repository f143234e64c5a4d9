#include "cli/RemindCommand.h"

#include "cli/DebtorCommand.h"
#include "platform/Guarded.h"
#include "sending/SendSingleReminder.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tervalo::cli {

// Prints {"debtor": ID, "address": ..., "result": 0 | -2 | null} once the export is loaded, also
// after an error of the mail-client interface (shown as the window's general error handler shows
// it); null when nothing was handed to the mail client. Exit status 0 unless start-up or the load
// ended the program. With --smtp the reminder goes by SMTP at once, as a bulk run sends it; with
// --level N it has level N's texts whatever the debtor's own level.
int runRemind(CliContext& context) {
    const bool smtp = context.args.removeAll(QStringLiteral("--smtp")) > 0;
    const auto arguments = parseDebtorArgumentsWithLevel(
        context, QStringLiteral("remind EXPORT --debtor ID [--smtp] [--level N]"), false);
    if (!arguments) {
        return Usage;
    }
    if (!loadDebtor(context, *arguments)) {
        return Ended;
    }
    app::AppSession& session = context.session;
    // The web page is no concern of this command: no opener.
    browser::BrowserCommands commands(session.tables, *session.stateTables, context.ui, {});
    compose::ReminderContext reminder = app::ReminderContextOf(session, context.ui);
    // A caller reading our error output to its end must not wait for the mail client.
    reminder.mailClientErrors = transport::DetachedErrorOutput::Discarded;
    sending::SingleReminderContext single{reminder, *session.stateTables, commands, session.TempDir};
    single.smtpWithoutWindow = smtp;
    single.forcedLevel = arguments->level;
    single.ownWindowAnswer = &session.OwnComposeWindowAnswer;
    std::optional<compose::ReminderResult> result;
    platform::Guarded(context.ui, [&] {
        state::SendJournal journal(state::SendJournal::pathIn(session.AppDir));
        single.journal = &journal;
        result = sending::SendSingleReminder(single);
    });
    // The recipient is the debtor's address as it stands after the command.
    const QJsonObject printed{{QStringLiteral("debtor"), arguments->debtorId},
                              {QStringLiteral("address"), session.tables.mtFirmy.text(u"OdbEmail")},
                              {QStringLiteral("result"), result ? QJsonValue(int(*result)) : QJsonValue()}};
    context.out << QString::fromUtf8(QJsonDocument(printed).toJson(QJsonDocument::Compact)) << Qt::endl;
    return Success;
}

}  // namespace tervalo::cli
