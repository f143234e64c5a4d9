#include "cli/InterestCommand.h"

#include "cli/DebtorCommand.h"
#include "import/DebtorInterest.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tervalo::cli {

int runInterest(CliContext& context) {
    const auto arguments =
        parseDebtorArguments(context, QStringLiteral("interest EXPORT --debtor ID"), false);
    if (!arguments) {
        return Usage;
    }
    if (!loadDebtor(context, *arguments)) {
        return Ended;
    }
    const import::DebtorInterest owed = import::CurrentDebtorInterest(context.session.tables);
    QJsonArray documents;
    for (const import::OverdueDocument& document : owed.documents) {
        documents.append(QJsonObject{
            {QStringLiteral("number"), document.number},
            {QStringLiteral("due"), document.due.toString(Qt::ISODate)},
            {QStringLiteral("days"), document.days},
            {QStringLiteral("remaining"), document.remaining},
            {QStringLiteral("currency"), document.currency},
            {QStringLiteral("rate"), document.rate ? QJsonValue(*document.rate) : QJsonValue()},
            {QStringLiteral("interest"), document.interest},
        });
    }
    QJsonObject totals;
    for (const auto& [currency, total] : owed.totals) {
        totals.insert(currency, total);
    }
    const QJsonObject printed{{QStringLiteral("debtor"), arguments->debtorId},
                              {QStringLiteral("documents"), documents},
                              {QStringLiteral("totals"), totals},
                              {QStringLiteral("compensation"), owed.compensation}};
    context.out << QString::fromUtf8(QJsonDocument(printed).toJson(QJsonDocument::Compact)) << Qt::endl;
    return Success;
}

}  // namespace tervalo::cli
