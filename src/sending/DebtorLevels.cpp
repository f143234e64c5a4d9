#include "sending/DebtorLevels.h"

#include "import/IncludedDocuments.h"

namespace tervalo::sending {

std::optional<QDate> OldestDueDate(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int datSplat = doklady.field(u"DatSplat");
    std::optional<QDate> oldest;
    for (const memtable::RowId row : import::IncludedDocumentRows(tables)) {
        const std::optional<QDate> due = tables.locale.parseShortDate(doklady.text(row, datSplat).trimmed());
        if (due && (!oldest || *due < *oldest)) {
            oldest = due;
        }
    }
    return oldest;
}

DebtorLevels::DebtorLevels(const app::AppSettings& settings, const state::SendJournal* journal,
                           const QDate& today, std::map<int, int> chosen, std::optional<int> forAll)
    : m_settings(settings),
      m_today(today),
      m_last(journal != nullptr ? journal->lastAccepted() : std::map<QString, state::LastReminder>{}),
      m_chosen(std::move(chosen)),
      m_forAll(forAll) {}

LevelChoice DebtorLevels::current(const import::ExportTables& tables) const {
    std::optional<int> forced = m_forAll;
    if (const auto chosen = m_chosen.find(tables.mtFirmy.intValue(u"ID")); chosen != m_chosen.end()) {
        forced = chosen->second;
    }
    return ChooseReminderLevel(m_settings, lastReminder(tables.mtFirmy.text(u"OdbEmail")),
                               OldestDueDate(tables), m_today, forced);
}

const QString& DebtorLevels::levelName(int level) const {
    return m_settings.Urovne[qBound(1, level, app::kMaxReminderLevels) - 1].Nazev;
}

void FillDebtorLevels(import::ExportTables& tables, const DebtorLevels& levels) {
    memtable::MemTable& firmy = tables.mtFirmy;
    const memtable::RowId current = firmy.currentRow();
    const bool filtered = firmy.filtered();
    firmy.setFiltered(false);
    for (int position = 0; position < firmy.recordCount(); ++position) {
        firmy.moveTo(position);
        const LevelChoice choice = levels.current(tables);
        const auto last = levels.lastReminder(firmy.text(u"OdbEmail"));
        const QString level =
            choice.level != 0 ? levels.levelName(choice.level)
            : choice.nextPossible.isValid()
                ? QStringLiteral("další až ") + choice.nextPossible.toString(QStringLiteral("dd.MM.yyyy"))
                : QString();
        const QString lastText = last ? last->time.date().toString(QStringLiteral("dd.MM.yyyy")) +
                                            QStringLiteral(", ") + levels.levelName(last->level)
                                      : QString();
        if (firmy.text(u"Uroven") != level || firmy.text(u"PosledniUpominka") != lastText) {
            firmy.edit();
            firmy.setText(u"Uroven", level);
            firmy.setText(u"PosledniUpominka", lastText);
            firmy.post();
        }
    }
    firmy.setFiltered(filtered);
    if (current >= 0) {
        firmy.moveToRow(current);
    }
}

std::optional<state::LastReminder> DebtorLevels::lastReminder(const QString& address) const {
    const auto found = m_last.find(state::SendJournal::addressKey(address));
    return found != m_last.end() ? std::optional(found->second) : std::nullopt;
}

}  // namespace tervalo::sending
