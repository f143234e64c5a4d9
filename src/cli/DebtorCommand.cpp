#include "cli/DebtorCommand.h"

#include "app/LoadExport.h"
#include "cli/LevelOption.h"
#include "compose/BuildDocumentList.h"
#include "compose/SendReminder.h"
#include "sending/DebtorLevels.h"

#include <QFileInfo>

namespace tervalo::cli {

std::optional<DebtorArguments> parseDebtorArguments(CliContext& context, const QString& usage, bool allowTo) {
    DebtorArguments parsed;
    bool haveDebtor = false;
    QStringList args = context.args;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QStringLiteral("--debtor") && !args.isEmpty()) {
            parsed.debtorId = args.takeFirst().toInt(&haveDebtor);
        } else if (allowTo && arg == QStringLiteral("--to") && !args.isEmpty()) {
            parsed.to = args.takeFirst();
        } else if (parsed.exportPath.isEmpty() && !arg.startsWith(QStringLiteral("--"))) {
            parsed.exportPath = arg;
        } else {
            haveDebtor = false;
            break;
        }
    }
    if (parsed.exportPath.isEmpty() || !haveDebtor) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] ") + usage);
        return std::nullopt;
    }
    return parsed;
}

std::optional<DebtorArguments> parseDebtorArgumentsWithLevel(CliContext& context, const QString& usage,
                                                             bool allowTo) {
    const LevelOption level = takeLevelOption(context.args, context.session.settings);
    if (!level.valid) {
        context.ui.error(QStringLiteral("usage: tervalo-cli [--app-dir DIR] ") + usage);
        return std::nullopt;
    }
    auto parsed = parseDebtorArguments(context, usage, allowTo);
    if (parsed) {
        parsed->level = level.level;
    }
    return parsed;
}

namespace {

// The loaded debtor's level today. A folder without a send journal has reminded nobody, and reading
// one for a message that is not journalled must not make it.
int debtorLevel(CliContext& context, const DebtorArguments& arguments) {
    if (arguments.level) {
        return *arguments.level;
    }
    app::AppSession& session = context.session;
    const QString journalPath = state::SendJournal::pathIn(session.AppDir);
    std::optional<state::SendJournal> journal;
    if (QFileInfo::exists(journalPath)) {
        journal.emplace(journalPath);
    }
    const sending::DebtorLevels levels(session.settings, journal ? &*journal : nullptr, QDate::currentDate());
    const sending::LevelChoice choice = levels.current(session.tables);
    if (choice.level == 0) {
        context.ui.warning(sending::NoLevelText(choice) + QStringLiteral("; použita první úroveň."));
        return 1;
    }
    return choice.level;
}

}  // namespace

bool loadDebtor(CliContext& context, const DebtorArguments& arguments) {
    if (!app::LoadExport(context.session, arguments.exportPath, context.ui)) {
        return false;
    }
    memtable::MemTable& firmy = context.session.tables.mtFirmy;
    for (int position = 0; position < firmy.recordCount(); ++position) {
        firmy.moveTo(position);
        if (firmy.intValue(u"ID") == arguments.debtorId) {
            return true;
        }
    }
    context.ui.error(QStringLiteral("Odběratel s ID ") + QString::number(arguments.debtorId) +
                     QStringLiteral(" v exportu není."));
    return false;
}

std::optional<DebtorReminder> composeDebtorReminder(CliContext& context, const DebtorArguments& arguments) {
    if (!loadDebtor(context, arguments)) {
        return std::nullopt;
    }
    app::AppSession& session = context.session;
    const app::AppSettings& settings = session.settings;
    const QString archive =
        compose::BuildDocumentList(arguments.debtorId, session.tables, settings, session.TempDir, context.ui);
    if (archive.isEmpty()) {
        return std::nullopt;
    }
    const QString recipient =
        arguments.to.isEmpty() ? session.tables.mtFirmy.text(u"OdbEmail") : arguments.to;
    if (recipient.trimmed().isEmpty()) {
        context.ui.error(QStringLiteral("Odběratel nemá e-mailovou adresu."));
        return std::nullopt;
    }
    const compose::ReminderRequest request = compose::DebtorReminderRequest(
        recipient, archive, settings, debtorLevel(context, arguments), QDate::currentDate());
    std::optional<compose::ReminderPayments> payments;
    try {
        payments = compose::ReminderPaymentsFor(session.tables, settings, context.ui);
    } catch (const compose::QrPlatbaError& e) {
        context.ui.error(QString::fromStdString(e.what()));
        return std::nullopt;
    }
    auto message =
        compose::ComposeSmtpReminder(request, compose::CurrentDebtorValues(session.tables), settings,
                                     transport::MimeEnvironment::forSystem(session.locale), payments);
    return DebtorReminder{request, std::move(message)};
}

}  // namespace tervalo::cli
