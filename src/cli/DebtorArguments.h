#pragma once

#include "cli/CliContext.h"

#include <optional>

namespace tervalo::cli {

// The arguments shared by the commands that work on one debtor of an export:
//   EXPORT --debtor ID [--to ADDRESS]
struct DebtorArguments {
    QString exportPath;
    int debtorId = 0;
    QString to;  // empty: the debtor's own address
};

// Nothing, after printing the usage line, when the arguments do not fit.
std::optional<DebtorArguments> parseDebtorArguments(CliContext& context, const QString& usage, bool allowTo);

// Loads the export and makes the debtor with the ID the current mtFirmy row; false after telling
// the user.
bool loadDebtor(CliContext& context, const DebtorArguments& arguments);

}  // namespace tervalo::cli
