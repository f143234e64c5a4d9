#pragma once

#include "platform/SystemLocale.h"
#include "state/SendJournal.h"

#include <QString>

#include <vector>

namespace tervalo::sending {

// One reminder of the journal as the history window lists it.
struct HistoryRow {
    QString date;              // short date and time
    QString route;             // "SMTP", "sendmail", "poštovní program"
    QString documents;         // the document numbers, comma-separated
    QString amount;            // what remained to be paid, per currency: "1 500,00 CZK"
    QString reply;             // the result in words, then the server's reply
    QString mode;              // "test" or "ostrý"
    bool messageKept = false;  // the journal keeps the message as it went out

    bool operator==(const HistoryRow&) const = default;
};

// The rows of `records` in their order.
std::vector<HistoryRow> HistoryRowsOf(const std::vector<state::JournalRecord>& records,
                                      const platform::SystemLocale& locale);

}  // namespace tervalo::sending
