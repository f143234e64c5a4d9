#pragma once

#include "cli/CliContext.h"
#include "compose/SmtpReminder.h"

#include <memory>
#include <optional>

namespace tervalo::cli {

// What the commands that work on one debtor of an export share. Their arguments:
//   EXPORT --debtor ID [--to ADDRESS]
struct DebtorArguments {
    QString exportPath;
    int debtorId = 0;
    QString to;                // empty: the debtor's own address
    std::optional<int> level;  // "--level N" where the command takes it; none: the debtor's own level
};

// Nothing, after printing the usage line, when the arguments do not fit.
std::optional<DebtorArguments> parseDebtorArguments(CliContext& context, const QString& usage, bool allowTo);
// The same for a command that also takes "--level N" (the usage line names it).
std::optional<DebtorArguments> parseDebtorArgumentsWithLevel(CliContext& context, const QString& usage,
                                                             bool allowTo);

// Loads the export and makes the debtor with the ID the current mtFirmy row; false after telling
// the user.
bool loadDebtor(CliContext& context, const DebtorArguments& arguments);

// A reminder as a bulk run by SMTP makes it for the loaded debtor: its document list and archive
// are built, it has the texts of the debtor's level (the one forced, or as the send journal gives it;
// the first, with a warning, when no level's conditions hold), and it goes to the debtor's address or
// the one given.
struct DebtorReminder {
    compose::ReminderRequest request;
    std::unique_ptr<transport::TMimeMess> message;
};

// Loads the export and composes the debtor's reminder; nothing after telling the user.
std::optional<DebtorReminder> composeDebtorReminder(CliContext& context, const DebtorArguments& arguments);

}  // namespace tervalo::cli
