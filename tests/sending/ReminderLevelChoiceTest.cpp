#include "sending/ReminderLevelChoice.h"

#include <gtest/gtest.h>

using namespace tervalo;
using sending::ChooseReminderLevel;
using sending::LevelChoice;

namespace {

const QDate kToday(2026, 12, 11);

struct LevelCase {
    const char* name;
    std::optional<int> lastLevel;  // none: never reminded
    int daysSinceLast = 0;
    std::optional<int> daysPastDue;  // none: no readable due date
    std::optional<int> forced;
    int level;           // expected; 0: none
    int nextInDays = 0;  // expected first day of the next reminder, from today, when none
};

// The default levels: 1 at once, 2 after 14 days and 30 days past due, 3 after 14 more and 45 past due.
TEST(ReminderLevelChoice, followsTheLastAcceptedReminderAndTheDaysPastDue) {
    const app::AppSettings settings;
    const std::vector<LevelCase> cases = {
        {"never reminded, not yet due", {}, 0, -10, {}, 1},
        {"never reminded, no due date", {}, 0, {}, {}, 1},
        {"level 1 thirteen days ago", 1, 13, 40, {}, 0, 1},
        {"level 1 fourteen days ago, 30 days late", 1, 14, 30, {}, 2},
        {"level 1 fourteen days ago, 20 days late: the first again", 1, 14, 20, {}, 1},
        {"level 1 three days ago", 1, 3, 100, {}, 0, 11},
        {"level 2 fourteen days ago, 45 days late", 2, 14, 45, {}, 3},
        {"level 2 twenty days ago, 44 days late: the second again", 2, 20, 44, {}, 2},
        {"level 3 reached and kept", 3, 14, 200, {}, 3},
        {"level 3 five days ago", 3, 5, 200, {}, 0, 9},
        {"level 1 long ago, no due date: never the second", 1, 60, {}, {}, 1},
        {"forced level 3 for a debtor never reminded", {}, 0, 0, 3, 3},
        {"forced level 2 the day after a reminder", 1, 1, 0, 2, 2},
        {"forced level beyond those in use", {}, 0, 0, 5, 3},
    };
    for (const LevelCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<state::LastReminder> last =
            c.lastLevel ? std::optional(state::LastReminder{
                              *c.lastLevel, QDateTime(kToday.addDays(-c.daysSinceLast), QTime(10, 30))})
                        : std::nullopt;
        const std::optional<QDate> due =
            c.daysPastDue ? std::optional(kToday.addDays(-*c.daysPastDue)) : std::nullopt;
        const LevelChoice choice = ChooseReminderLevel(settings, last, due, kToday, c.forced);
        EXPECT_EQ(choice.level, c.level);
        if (c.level == 0) {
            EXPECT_EQ(choice.nextPossible, kToday.addDays(c.nextInDays));
            EXPECT_EQ(choice.reason, QStringLiteral("další upomínka až ") +
                                         kToday.addDays(c.nextInDays).toString(QStringLiteral("dd.MM.yyyy")));
        } else {
            EXPECT_FALSE(choice.nextPossible.isValid());
        }
    }
}

// A first level that waits for days past due holds a debtor back until then, and never when no due
// date can be read; the next possible day is the earliest of the levels that may follow.
TEST(ReminderLevelChoice, aFirstLevelThatWaitsForDaysPastDue) {
    app::AppSettings settings;
    settings.Urovne[0].DniPoSplatnosti = 5;
    const LevelChoice notYet = ChooseReminderLevel(settings, std::nullopt, kToday.addDays(2), kToday);
    EXPECT_EQ(notYet, (LevelChoice{0, kToday.addDays(7), QStringLiteral("další upomínka až 18.12.2026")}));
    EXPECT_EQ(ChooseReminderLevel(settings, std::nullopt, kToday.addDays(-5), kToday).level, 1);
    const LevelChoice never = ChooseReminderLevel(settings, std::nullopt, std::nullopt, kToday);
    EXPECT_EQ(never.level, 0);
    EXPECT_FALSE(never.nextPossible.isValid());
    EXPECT_EQ(never.reason, QStringLiteral("žádná úroveň upomínky nepřichází v úvahu"));
}

// Fewer levels in use: the last one in use is kept.
TEST(ReminderLevelChoice, theLastLevelInUseIsKept) {
    app::AppSettings settings;
    settings.PocetUrovni = 2;
    const state::LastReminder third{3, QDateTime(kToday.addDays(-30), QTime(8, 0))};
    EXPECT_EQ(ChooseReminderLevel(settings, third, kToday.addDays(-100), kToday).level, 2);
}

}  // namespace
