#include "cli/DocumentListCommand.h"

#include "cli/DebtorCommand.h"
#include "compose/BuildDocumentList.h"

namespace tervalo::cli {

int runDocumentList(CliContext& context) {
    const auto arguments =
        parseDebtorArguments(context, QStringLiteral("document-list EXPORT --debtor ID"), false);
    if (!arguments) {
        return Usage;
    }
    if (!loadDebtor(context, *arguments)) {
        return Ended;
    }
    app::AppSession& session = context.session;
    if (compose::BuildDocumentList(arguments->debtorId, session.tables, session.settings, session.TempDir,
                                   context.ui)
            .isEmpty()) {
        return Ended;
    }
    context.out << session.tables.mtFirmy.text(u"TextNeuhrDokl");
    context.out.flush();
    return Success;
}

}  // namespace tervalo::cli
