#include "sending/BulkRunPlan.h"

#include "compose/DebtorHasNothingToSend.h"

namespace tervalo::sending {

BulkRunPlan PlanBulkRun(import::ExportTables& tables, state::StateTables& stateTables,
                        const state::SendJournal* journal, const QDate& today, const DebtorLevels* levels) {
    memtable::MemTable& firmy = tables.mtFirmy;
    BulkRunPlan plan;
    if (firmy.isEmpty()) {
        return plan;
    }
    const memtable::MemTable::Bookmark current = firmy.bookmark();
    for (int position = 0; position < firmy.recordCount(); ++position) {
        firmy.moveTo(position);
        if (!firmy.boolValue(u"JeEmail")) {
            ++plan.noAddress;
            continue;
        }
        if (!firmy.boolValue(u"Exportovat")) {
            ++plan.excluded;
            continue;
        }
        if (compose::DebtorHasNothingToSend(tables)) {
            ++plan.nothingToSend;
            continue;
        }
        const QString address = firmy.text(u"OdbEmail");
        // No reminder today counts as a refused one: neither holds the debtor back.
        const state::SendResult journalled =
            journal != nullptr ? journal->resultOn(address, today).value_or(state::SendResult::Refused)
                               : state::SendResult::Refused;
        if (journalled == state::SendResult::Accepted ||
            stateTables.readAddressNote(address).lastSend == today) {
            plan.remindedToday.insert(position);
        } else if (journalled == state::SendResult::Unsure) {
            plan.unsure.insert(position);
            plan.unsureDebtors << firmy.text(u"OdbNazev") + QStringLiteral(" (") + address + QLatin1Char(')');
        } else if (levels != nullptr && levels->current(tables).level == 0) {
            ++plan.noLevel;
        } else {
            ++plan.toSend;
        }
    }
    firmy.gotoBookmark(current);
    return plan;
}

QString BulkRunPlanText(const BulkRunPlan& plan) {
    const int skipped = plan.noAddress + plan.excluded + plan.nothingToSend + plan.sentToday() + plan.noLevel;
    const QString early = plan.noLevel > 0
                              ? QStringLiteral(", na další upomínku je ještě brzy %1").arg(plan.noLevel)
                              : QString();
    return QStringLiteral(
               "Bude odesláno upomínek: %1. Vynecháno bude dlužníků: %2 (bez e-mailové adresy %3, "
               "vyřazeno z e-mailingu %4, nic k odeslání %5, upomenuto již dnes %6%7).")
        .arg(plan.toSend)
        .arg(skipped)
        .arg(plan.noAddress)
        .arg(plan.excluded)
        .arg(plan.nothingToSend)
        .arg(plan.sentToday())
        .arg(early);
}

QString ResendQuestion(const BulkRunPlan& plan) {
    QString text =
        QStringLiteral("Dlužníkům, kterým byla dnes již upomínka odeslána: %1.").arg(plan.sentToday());
    if (!plan.unsureDebtors.isEmpty()) {
        text += QStringLiteral("\nU těchto není jisté, zda server upomínku přijal: ") +
                plan.unsureDebtors.join(QStringLiteral(", ")) + QLatin1Char('.');
    }
    return text + QStringLiteral("\nChcete jim upomínku odeslat znovu?");
}

}  // namespace tervalo::sending
