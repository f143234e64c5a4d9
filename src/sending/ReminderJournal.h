#pragma once

#include "compose/SendReminder.h"
#include "state/SendJournal.h"
#include "transport/smtp/SmtpOutcome.h"

#include <QDateTime>

#include <functional>

namespace tervalo::sending {

// The journal record of a reminder to the debtor of the current mtFirmy row, made before it leaves:
// the addresses, the debtor, the route the request names, the subject, and the included documents
// of a reminder with a body (an empty message lists none). Time, Message-ID and outcome come later.
state::JournalRecord JournalRecordOf(const import::ExportTables& tables,
                                     const compose::ReminderRequest& request);

// What a delivery by SMTP came to, as the journal keeps it: accepted; refused when the server
// answered with a refusal or nothing was committed; unsure when the message text went out and no
// answer came back, since the server may have taken it.
state::SendResult JournalResultOf(const transport::SmtpOutcome& outcome);

// Sends one reminder through the mail client or the mail program (`send`, Accepted when sent),
// recorded in `journal` (none: not recorded): the record stored before `send` starts, completed
// with its outcome and the message handed over after it; the record's time is now unless it has one. An error
// `send` throws completes the record as refused and goes on.
compose::ReminderResult SendJournalled(state::SendJournal* journal, state::JournalRecord record,
                                       compose::ReminderContext& context,
                                       const std::function<compose::ReminderResult()>& send);

}  // namespace tervalo::sending
