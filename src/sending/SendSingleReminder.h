#pragma once

#include "browser/BrowserCommands.h"
#include "compose/SendReminder.h"
#include "state/SendJournal.h"
#include "state/StateTables.h"

#include <QDate>

#include <functional>
#include <map>
#include <optional>

namespace tervalo::sending {

// Composes and delivers one reminder; compose::SendReminder unless a test stands in for the mail
// client.
using SendReminderFunction =
    std::function<compose::ReminderResult(const compose::ReminderRequest&, compose::ReminderContext&)>;

// What the single reminder works with: the loaded tables with the settings and the mail client
// (`reminder`), the state tables it records the send in, the row commands it shares with the
// browser, and the temporary folder of the document lists (ends with "/").
struct SingleReminderContext {
    compose::ReminderContext& reminder;
    state::StateTables& stateTables;
    browser::BrowserCommands& commands;
    QString TempDir;
    SendReminderFunction sendReminder = compose::SendReminder;
    // By SMTP at once, without any compose window (tervalo-cli remind --smtp).
    bool smtpWithoutWindow = false;
    // Where the answer to the offer of the program's own compose window is kept for the run; none:
    // the offer is made every time.
    std::optional<bool>* ownWindowAnswer = nullptr;
    // Where the reminder is recorded and the debtor's reminder level is learnt; none: not recorded,
    // and the debtor counts as never reminded.
    state::SendJournal* journal = nullptr;
    // The reminder levels the user set for this run by debtor ID, and one for every debtor.
    std::map<int, int> chosenLevels = {};
    std::optional<int> forcedLevel = std::nullopt;
    // The day the export's age and the reminder levels are judged by.
    QDate today = QDate::currentDate();
};

// The reminder to the debtor of the current mtFirmy row: through the mail client with its compose
// window, or by SMTP after the program's own compose window when the settings say so (SMTPJednotlive)
// or when no mail client is found, SMTP is set up and the user takes the offer, or by SMTP at once
// (`smtpWithoutWindow`). An export that may be out of date is asked about first (No ends the command).
// The reminder has the subject and body of the debtor's reminder level; when no level is due yet, the
// user is asked whether to send the first level anyway (No: nothing is sent). A debtor with nothing
// to send is offered an empty message instead. The result of the send, or nothing when the command
// ended before handing
// anything over (no debtor, no document list, the catch-all group, no address, an address that is
// not valid, the offer declined, the document list failed). Only a sent reminder records today's date for the
// recipient. Errors of the mail-client interface and of the files and tables are not caught: they
// reach the caller's error boundary, with the waiting window hidden and nothing recorded.
std::optional<compose::ReminderResult> SendSingleReminder(SingleReminderContext& context);

}  // namespace tervalo::sending
