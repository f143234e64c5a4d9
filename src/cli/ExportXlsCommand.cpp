#include "cli/ExportXlsCommand.h"

#include "app/LoadExport.h"
#include "export/ExportDebtorList.h"
#include "sending/DebtorLevels.h"

namespace tervalo::cli {

int runExportXls(CliContext& context) {
    QStringList positional;
    QString templatePath;
    bool onlyWithEmail = false;
    bool wrongUsage = false;
    for (qsizetype i = 0; i < context.args.size(); ++i) {
        const QString& arg = context.args[i];
        if (arg == QStringLiteral("--template") && i + 1 < context.args.size() && templatePath.isEmpty()) {
            templatePath = context.args[++i];
        } else if (arg == QStringLiteral("--only-with-email")) {
            onlyWithEmail = true;
        } else if (arg.startsWith(QStringLiteral("--"))) {
            wrongUsage = true;
        } else {
            positional.append(arg);
        }
    }
    if (wrongUsage || positional.size() != 2) {
        context.ui.error(QStringLiteral(
            "usage: tervalo-cli [--app-dir DIR] export-xls EXPORT OUTPUT.xls [--template PATH] "
            "[--only-with-email]"));
        return Usage;
    }
    app::AppSession& session = context.session;
    if (!app::LoadExport(session, positional[0], context.ui)) {
        return Ended;
    }
    {
        // The debtors' levels and last reminders, as the main window shows them after the load.
        const state::SendJournal journal(state::SendJournal::pathIn(session.AppDir));
        sending::FillDebtorLevels(session.tables,
                                  sending::DebtorLevels(session.settings, &journal, QDate::currentDate()));
    }
    if (onlyWithEmail) {
        // The browser's "jen firmy s e-mailem".
        session.tables.mtFirmy.setFilter(u"JeEmail", true);
        session.tables.mtFirmy.setFiltered(true);
    }
    if (templatePath.isEmpty()) {
        templatePath = session.AppDir + exporting::TemplateFileName;
    }
    return exporting::WriteDebtorList(session.tables, templatePath, positional[1], context.ui,
                                      QDate::currentDate(), &session.settings)
               ? Success
               : Ended;
}

}  // namespace tervalo::cli
