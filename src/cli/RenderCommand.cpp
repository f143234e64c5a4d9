#include "cli/RenderCommand.h"

#include "cli/DebtorCommand.h"

#include <QFile>

#include <cstdio>

namespace tervalo::cli {

int runRender(CliContext& context) {
    const auto arguments = parseDebtorArgumentsWithLevel(
        context, QStringLiteral("render EXPORT --debtor ID [--to ADDRESS] [--level N]"), true);
    if (!arguments) {
        return Usage;
    }
    const auto reminder = composeDebtorReminder(context, *arguments);
    if (!reminder) {
        return Ended;
    }
    // The message's own bytes, not text: it leaves in the charsets it declares.
    context.out.flush();
    QFile out;
    if (!out.open(stdout, QIODevice::WriteOnly) || out.write(reminder->message->messageText()) < 0 ||
        !out.flush()) {
        return Ended;
    }
    return Success;
}

}  // namespace tervalo::cli
