#pragma once

#include "browser/BrowserCommands.h"
#include "compose/SendReminder.h"
#include "state/SendJournal.h"
#include "state/StateTables.h"

#include <functional>
#include <optional>

namespace tervalo::sending {

// Composes and delivers one reminder; compose::SendReminder unless a test stands in for the mail
// client.
using SendReminderFunction = std::function<int(const compose::ReminderRequest&, compose::ReminderContext&)>;

// What the single reminder works with: the loaded tables with the settings and the mail client
// (`reminder`), the state tables it records the send in, the row commands it shares with the
// browser, and the temporary folder of the document lists (ends with "/").
struct SingleReminderContext {
    compose::ReminderContext& reminder;
    state::StateTables& stateTables;
    browser::BrowserCommands& commands;
    QString TempDir;
    SendReminderFunction sendReminder = compose::SendReminder;
    // Where the reminder is recorded; none: not recorded.
    state::SendJournal* journal = nullptr;
};

// The reminder to the debtor of the current mtFirmy row, always through the mail client with its
// compose window. A debtor with nothing to send is offered an empty message instead. The result of
// SendReminder (0 sent, -2 not sent), or nothing when the command ended before handing anything to
// the mail client (no debtor, no document list, the catch-all group, no address, the offer
// declined, the document list failed). Only a sent reminder records today's date for the
// recipient. Errors of the mail-client interface and of the files and tables are not caught: they
// reach the caller's error boundary, with the waiting window hidden and nothing recorded.
std::optional<int> SendSingleReminder(SingleReminderContext& context);

}  // namespace tervalo::sending
