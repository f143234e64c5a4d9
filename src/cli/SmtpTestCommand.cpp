#include "cli/SmtpTestCommand.h"

#include "compose/SmtpTestEmail.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace tervalo::cli {

int runSmtpTest(CliContext& context) {
    QString to;
    if (context.args.size() == 2 && context.args[0] == QStringLiteral("--to")) {
        to = context.args[1].trimmed();
    }
    if (!(context.args.isEmpty() || (context.args.size() == 2 && !to.isEmpty()))) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] smtp-test [--to ADDRESS]"));
        return Usage;
    }
    const transport::SmtpOutcome outcome = compose::SendSmtpTestEmail(
        context.session.settings, to, transport::MimeEnvironment::forSystem(context.session.locale));
    const QJsonObject json{{QStringLiteral("ok"), outcome.delivered},
                           {QStringLiteral("stage"), transport::stageName(outcome.stage)},
                           {QStringLiteral("reply"), outcome.reply}};
    context.out << QString::fromUtf8(QJsonDocument(json).toJson(QJsonDocument::Compact)) << '\n';
    return outcome.delivered ? Success : Ended;
}

}  // namespace tervalo::cli
