#include "sending/ExportFreshness.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

#include <gtest/gtest.h>

using namespace tervalo;
using Message = test::FakeUserInterface::Message;

namespace {

const QString kFooter = QStringLiteral(
    " Doklady zaplacené po dni exportu by byly upomínány, jako by zaplaceny nebyly. Chcete přesto pokračovat "
    "v odesílání?");

struct FreshnessFixture {
    FreshnessFixture() { tables.AsOfDate = QStringLiteral("1.12.2026"); }

    void journalRecord(const QString& recipient, const QDate& day, state::SendResult result,
                       bool test = false) {
        state::JournalRecord record;
        record.time = QDateTime(day, QTime(10, 0));
        record.recipient = recipient;
        record.route = QStringLiteral("smtp");
        record.test = test;
        journal.finish(journal.begin(record), result, QStringLiteral("250 OK"));
    }

    bool confirm(const QDate& today, const QStringList& addresses = {QStringLiteral("alfa@a.cz")}) {
        return sending::ConfirmFreshExport(tables, addresses, settings, today, &journal, ui);
    }

    test::TempAppDir dir;
    platform::SystemLocale locale;
    import::ExportTables tables{locale};
    app::AppSettings settings;
    state::SendJournal journal{state::SendJournal::pathIn(dir.path())};
    test::FakeUserInterface ui;
};

TEST(ExportFreshness, anExportOlderThanTheSetDaysAsksAndTheAnswerDecides) {
    for (bool answer : {false, true}) {
        FreshnessFixture f;
        f.ui.queueConfirmation(answer);
        EXPECT_EQ(f.confirm({2026, 12, 11}), answer);
        EXPECT_EQ(f.ui.messages(),
                  (std::vector<Message>{{QStringLiteral("confirmation"),
                                         QStringLiteral("Export je ke dni 1.12.2026, je tedy 10 "
                                                        "dní starý.") +
                                             kFooter}}));
    }
}

TEST(ExportFreshness, aFreshExportOrTheQuestionTurnedOffGoesOnWithoutAsking) {
    FreshnessFixture f;
    EXPECT_TRUE(f.confirm({2026, 12, 4}));  // 3 days: not more than the default
    f.settings.StaryExportDni = 0;
    EXPECT_TRUE(f.confirm({2027, 3, 1}));
    f.settings.StaryExportDni = 3;
    f.tables.AsOfDate = QStringLiteral("bez data");
    EXPECT_TRUE(f.confirm({2027, 3, 1}));
    EXPECT_TRUE(f.ui.messages().empty());
}

TEST(ExportFreshness, aReminderAcceptedAfterTheExportsDateAsksOnlyForTheAddressesOfTheRun) {
    FreshnessFixture f;
    f.journalRecord(QStringLiteral("beta@b.cz"), {2026, 12, 3}, state::SendResult::Accepted);
    f.journalRecord(QStringLiteral("alfa@a.cz"), {2026, 12, 1}, state::SendResult::Accepted);  // that day
    f.journalRecord(QStringLiteral("alfa@a.cz"), {2026, 12, 2}, state::SendResult::Refused);
    f.journalRecord(QStringLiteral("alfa@a.cz"), {2026, 12, 2}, state::SendResult::Accepted, true);
    EXPECT_TRUE(f.confirm({2026, 12, 3}));
    EXPECT_TRUE(f.ui.messages().empty());

    f.ui.queueConfirmation(false);
    EXPECT_FALSE(f.confirm({2026, 12, 3}, {QStringLiteral("ALFA@a.cz"), QStringLiteral("beta@b.cz")}));
    EXPECT_EQ(
        f.ui.messages(),
        (std::vector<Message>{{QStringLiteral("confirmation"),
                               QStringLiteral("Export je ke dni 1.12.2026, je tedy 2 dny starý. Dne "
                                              "3.12.2026 už byla na adresu beta@b.cz odeslána upomínka, "
                                              "tedy po dni exportu.") +
                                   kFooter}}));
}

}  // namespace
