#include "cli/DebtorArguments.h"

#include "app/LoadExport.h"

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

}  // namespace tervalo::cli
