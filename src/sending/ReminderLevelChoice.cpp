#include "sending/ReminderLevelChoice.h"

namespace tervalo::sending {

namespace {

QString dateText(const QDate& date) {
    return date.toString(QStringLiteral("dd.MM.yyyy"));
}

// The first day on which `level` holds: its days since `lastDay` (none: never reminded) and its days
// past due both reached. Invalid when it never will (it asks for days past due and no date is known).
QDate firstDayFor(const app::ReminderLevel& level, const std::optional<QDate>& lastDay,
                  const std::optional<QDate>& oldestDue, const QDate& today) {
    QDate day = lastDay ? lastDay->addDays(level.DniOdPredchozi) : today;
    if (level.DniPoSplatnosti > 0) {
        if (!oldestDue) {
            return {};
        }
        day = qMax(day, oldestDue->addDays(level.DniPoSplatnosti));
    }
    return day;
}

}  // namespace

LevelChoice ChooseReminderLevel(const app::AppSettings& settings,
                                const std::optional<state::LastReminder>& last,
                                const std::optional<QDate>& oldestDue, const QDate& today,
                                std::optional<int> forced) {
    const int count = qBound(1, settings.PocetUrovni, app::kMaxReminderLevels);
    if (forced) {
        return {qBound(1, *forced, count), {}, QStringLiteral("úroveň zvolena pro toto odesílání")};
    }
    const std::optional<QDate> lastDay = last ? std::optional<QDate>(last->time.date()) : std::nullopt;
    const int next = last ? qMin(qBound(1, last->level, count) + 1, count) : 1;
    QDate nextPossible;
    for (int level = next; level >= 1; --level) {
        const QDate day = firstDayFor(settings.Urovne[level - 1], lastDay, oldestDue, today);
        if (!day.isValid()) {
            continue;
        }
        if (day <= today) {
            const QString reason =
                last ? QStringLiteral("poslední upomínka ") + dateText(*lastDay) + QStringLiteral(" (") +
                           settings.Urovne[qBound(1, last->level, count) - 1].Nazev + QLatin1Char(')')
                     : QStringLiteral("dosud neupomínán");
            return {level, {}, reason};
        }
        if (!nextPossible.isValid() || day < nextPossible) {
            nextPossible = day;
        }
    }
    LevelChoice none{0, nextPossible, {}};
    none.reason = NoLevelText(none);
    return none;
}

QString NoLevelText(const LevelChoice& choice) {
    return choice.nextPossible.isValid()
               ? QStringLiteral("další upomínka až ") + dateText(choice.nextPossible)
               : QStringLiteral("žádná úroveň upomínky nepřichází v úvahu");
}

}  // namespace tervalo::sending
