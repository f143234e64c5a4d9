// tervalo-cli: the program's logic for scripted and scheduled runs.
//   tervalo-cli [--app-dir DIR] [--yes] COMMAND ARGS...
// Messages the program would show in a box go to stderr as "KIND: TEXT" lines. Exit status 0 on
// success, 1 when start-up or the command ended the program, 2 on wrong usage (bulk: 3 when the run
// stopped before the first debtor).
#include "app/StartUp.h"
#include "cli/BulkCommand.h"
#include "cli/CliContext.h"
#include "cli/DocumentListCommand.h"
#include "cli/ExportXlsCommand.h"
#include "cli/HistoryCommand.h"
#include "cli/InspectCommand.h"
#include "cli/InterestCommand.h"
#include "cli/LevelsCommand.h"
#include "cli/QrCommand.h"
#include "cli/RemindCommand.h"
#include "cli/RenderCommand.h"
#include "cli/SettingsCommand.h"
#include "cli/ShowCommand.h"
#include "cli/SmtpSendCommand.h"
#include "cli/SmtpTestCommand.h"
#include "cli/StateCommand.h"
#include "platform/AppDir.h"
#include "platform/Guarded.h"

#include <QCoreApplication>

#include <functional>
#include <map>

using namespace tervalo;

namespace {

const std::map<QString, std::function<int(cli::CliContext&)>>& commands() {
    static const std::map<QString, std::function<int(cli::CliContext&)>> table = {
        {QStringLiteral("inspect"), cli::runInspect},
        {QStringLiteral("document-list"), cli::runDocumentList},
        {QStringLiteral("export-xls"), cli::runExportXls},
        {QStringLiteral("settings"), cli::runSettings},
        {QStringLiteral("state"), cli::runState},
        {QStringLiteral("render"), cli::runRender},
        {QStringLiteral("remind"), cli::runRemind},
        {QStringLiteral("show"), cli::runShow},
        {QStringLiteral("smtp-send"), cli::runSmtpSend},
        {QStringLiteral("bulk"), cli::runBulk},
        {QStringLiteral("smtp-test"), cli::runSmtpTest},
        {QStringLiteral("qr"), cli::runQr},
        {QStringLiteral("history"), cli::runHistory},
        {QStringLiteral("interest"), cli::runInterest},
        {QStringLiteral("levels"), cli::runLevels},
    };
    return table;
}

int usage(QTextStream& err) {
    err << "usage: tervalo-cli [--app-dir DIR] [--yes] COMMAND ARGS...\n"
           "commands:\n"
           "  inspect EXPORT    read an export and print its cells as JSON\n"
           "  document-list EXPORT --debtor ID\n"
           "                    build the debtor's document list and archive in Temp/ID/ and print the list\n"
           "  export-xls EXPORT OUTPUT.xls [--template PATH] [--only-with-email]\n"
           "                    write the debtor list to a workbook from the template\n"
           "  state address ADDRESS [--export 0|1] [--note TEXT] [--mark-sent]\n"
           "  state document NUMBER [--export 0|1] [--note TEXT]\n"
           "                    read or store the state of an address or a document\n"
           "  render EXPORT --debtor ID [--to ADDRESS] [--level N]\n"
           "                    print the reminder a bulk run by SMTP would send to the debtor, at its\n"
           "                    level or at level N\n"
           "  qr EXPORT --debtor ID [--png-dir DIR]\n"
           "                    print the debtor's payment codes (QR platba) as JSON, their images into DIR\n"
           "  interest EXPORT --debtor ID\n"
           "                    print the debtor's late-payment interest and compensation as JSON\n"
           "  remind EXPORT --debtor ID [--smtp] [--level N]\n"
           "                    send the debtor the single reminder as the window does; --smtp: by SMTP "
           "at once;\n"
           "                    --level: reminder level N instead of the debtor's own\n"
           "  settings          print the settings as JSON\n"
           "  settings set FIELD VALUE\n"
           "                    change one setting and save the settings\n"
           "  show EXPORT       load an export and print the debtor and document tables as JSON\n"
           "  smtp-send EXPORT --debtor ID [--to ADDRESS] [--level N]\n"
           "                    send that reminder through the stored SMTP server\n"
           "  bulk EXPORT [--only-with-email] [--test ADDRESS] [--count N] [--resend] [--level N]\n"
           "                    the bulk run (or a test run to ADDRESS); prints the protocol lines;\n"
           "                    debtors reminded today are skipped unless --resend is given;\n"
           "                    --level: reminder level N for every debtor\n"
           "  levels EXPORT     print each debtor's reminder level as JSON lines\n"
           "  history [--address ADDRESS] [--since YYYY-MM-DD]\n"
           "                    print the send journal's records, newest first, as JSON lines\n"
           "  history --eml ID FILE\n"
           "                    write the exact message kept with record ID to FILE (.eml)\n"

           "  smtp-test [--to ADDRESS]\n"
           "                    send a test e-mail through the stored SMTP server (to the sender by "
           "default)\n"
           "                    and print {\"ok\", \"stage\", \"reply\"} as JSON\n";
    return cli::Usage;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);

    QStringList args = application.arguments().mid(1);
    QString appDir = platform::AppDir::ofExecutable();
    bool answerYes = false;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        QString option = args.takeFirst();
        if (option == QStringLiteral("--app-dir") && !args.isEmpty()) {
            appDir = args.takeFirst();
        } else if (option == QStringLiteral("--yes")) {
            answerYes = true;
        } else {
            return usage(err);
        }
    }
    if (args.isEmpty() || !commands().count(args.first())) {
        return usage(err);
    }
    const QString command = args.takeFirst();

    cli::CliUserInterface ui(answerYes);
    // The general error handler: an error no operation caught is shown with its text, and the
    // command ends.
    int exitCode = cli::Ended;
    platform::GuardedToTheLast([&ui](const QString& text) { ui.error(text); },
                               [&] {
                                   app::AppSession session(platform::SystemLocale::fromEnvironment());
                                   // The command line of tervalo-cli names no export for the automatic load:
                                   // nothing is deleted.
                                   if (app::StartUp(session, appDir, ui) == app::StartResult::Stop) {
                                       return;
                                   }
                                   cli::CliContext context{session, ui, out, args};
                                   exitCode = commands().at(command)(context);
                               });
    return exitCode;
}
