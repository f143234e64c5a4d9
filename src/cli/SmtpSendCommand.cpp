#include "cli/SmtpSendCommand.h"

#include "cli/DebtorCommand.h"

namespace tervalo::cli {

int runSmtpSend(CliContext& context) {
    const auto arguments = parseDebtorArgumentsWithLevel(
        context, QStringLiteral("smtp-send EXPORT --debtor ID [--to ADDRESS] [--level N]"), true);
    if (!arguments) {
        return Usage;
    }
    const auto reminder = composeDebtorReminder(context, *arguments);
    if (!reminder) {
        return Ended;
    }
    const compose::ReminderResult result = compose::DeliverSmtpReminder(*reminder->message, reminder->request,
                                                                        context.session.settings, context.ui);
    return result == compose::ReminderResult::Accepted ? Success : Ended;
}

}  // namespace tervalo::cli
