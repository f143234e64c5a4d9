#include "sending/ExportFreshness.h"

#include <QSet>

namespace tervalo::sending {

namespace {

QString daysText(qint64 days) {
    if (days == 1) {
        return QStringLiteral("1 den");
    }
    return QString::number(days) + (days >= 2 && days <= 4 ? QStringLiteral(" dny") : QStringLiteral(" dní"));
}

// The first reminder accepted after `asOf` to one of the addresses, non-test.
std::optional<state::JournalRecord> reminderAfter(const state::SendJournal& journal, const QDate& asOf,
                                                  const QStringList& addresses) {
    QSet<QString> wanted;
    for (const QString& address : addresses) {
        wanted.insert(address.trimmed().toLower());
    }
    std::optional<state::JournalRecord> found;
    for (const state::JournalRecord& record : journal.records({}, asOf.addDays(1))) {
        if (!record.test && record.result == state::SendResult::Accepted &&
            wanted.contains(record.recipient.trimmed().toLower())) {
            found = record;  // newest first: the last one kept is the earliest
        }
    }
    return found;
}

}  // namespace

bool ConfirmFreshExport(const import::ExportTables& tables, const QStringList& addresses,
                        const app::AppSettings& settings, const QDate& today,
                        const state::SendJournal* journal, UserInterface& ui) {
    const std::optional<QDate> asOf = tables.locale.parseShortDate(tables.AsOfDate.trimmed());
    if (settings.StaryExportDni <= 0 || !asOf) {
        return true;
    }
    const qint64 age = asOf->daysTo(today);
    const QString ageText = QStringLiteral("Export je ke dni ") + tables.AsOfDate.trimmed() +
                            QStringLiteral(", je tedy ") + daysText(std::max<qint64>(age, 0)) +
                            QStringLiteral(" starý.");
    QString reason;
    if (age > settings.StaryExportDni) {
        reason = ageText;
    } else if (journal != nullptr) {
        if (const auto later = reminderAfter(*journal, *asOf, addresses)) {
            reason = ageText + QStringLiteral(" Dne ") + tables.locale.formatShortDate(later->time.date()) +
                     QStringLiteral(" už byla na adresu ") + later->recipient +
                     QStringLiteral(" odeslána upomínka, tedy po dni exportu.");
        }
    }
    if (reason.isEmpty()) {
        return true;
    }
    return ui.confirm(reason + QStringLiteral(" Doklady zaplacené po dni exportu by byly upomínány, jako by "
                                              "zaplaceny nebyly. Chcete přesto pokračovat v odesílání?"));
}

bool ConfirmFreshExportForRun(const import::ExportTables& tables, const app::AppSettings& settings,
                              const QDate& today, const state::SendJournal* journal, UserInterface& ui) {
    const memtable::MemTable& firmy = tables.mtFirmy;
    QStringList addresses;
    const int email = firmy.field(u"OdbEmail");
    const int included = firmy.field(u"Exportovat");
    for (int position = 0; position < firmy.recordCount(); ++position) {
        const memtable::RowId row = firmy.rowAt(position);
        if (firmy.boolValue(row, included) && !firmy.text(row, email).trimmed().isEmpty()) {
            addresses << firmy.text(row, email);
        }
    }
    return ConfirmFreshExport(tables, addresses, settings, today, journal, ui);
}

}  // namespace tervalo::sending
