#pragma once

#include "compose/SendReminder.h"
#include "platform/InternetConnection.h"
#include "sending/BulkEmailingView.h"
#include "sending/Protocol.h"
#include "sending/TestEmailAddress.h"
#include "state/SendJournal.h"
#include "state/StateTables.h"

#include <QDateTime>

#include <functional>
#include <map>
#include <optional>

namespace tervalo::sending {

// What a bulk run works with besides the debtor list and the settings of `reminder`.
struct BulkEmailingContext {
    compose::ReminderContext& reminder;
    state::StateTables& stateTables;
    QString tempDir;  // ends with "/"
    Protocol& protocol;
    BulkEmailingView& view;
    platform::InternetCheck isInternetConnected = platform::IsInternetConnected;
    // The SMTP route's halves, replaced where a benchmark times them. Rendering runs on the run's
    // thread; transmission on a thread of its own while the run makes the next debtor ready.
    std::function<std::unique_ptr<transport::TMimeMess>(const compose::ReminderRequest&,
                                                        compose::ReminderContext&)>
        renderSmtpReminder = compose::RenderSmtpReminder;
    std::function<transport::SmtpOutcome(const transport::TMimeMess&, const compose::ReminderRequest&,
                                         transport::SmtpSender&, const app::AppSettings&,
                                         const std::function<bool()>&)>
        transmitSmtpReminder = compose::TransmitSmtpReminder;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };
    // Where every reminder of the run is recorded; none: nothing is recorded and only LASTSEND tells
    // who was reminded today.
    state::SendJournal* journal = nullptr;
    // Asked between reminders and while one is with the server: true when the user wants the run to
    // end once the reminder being sent is concluded. May ask the user.
    std::function<bool()> stopWanted = {};
    // Whether to send again to the debtors reminded today (the question is given); empty: No.
    std::function<bool(const QString& question)> confirmResend = {};
    // The reminder levels the user set for this run by debtor ID, and one for every debtor.
    std::map<int, int> chosenLevels = {};
    std::optional<int> forcedLevel = std::nullopt;
};

// Sends a reminder to every debtor of mtFirmy's current view that has an address, is included and
// has an included document (in test mode: to the first `count` debtors, all to the test address),
// by SMTP (one session for the run) or through the mail client as DefaultSendMail says, records each
// reminder in the journal and writes the protocol. Each debtor gets the subject and body of his
// reminder level (ChooseReminderLevel, from the journal); one for whom no level is due yet is
// skipped with the day his next reminder may go. A normal run skips the debtors reminded today
// unless `confirmResend` says to send again, and ends early when `stopWanted` says so. 0 when it went
// through the debtors, -1 when it stopped before the first one (SMTP without a connection). The
// current mtFirmy row is left at the last debtor visited. An error of the mail-client interface is
// not caught: the run ends there without totals.
int RunBulkEmailing(BulkEmailingContext& context, const std::optional<TestMode>& testMode);

}  // namespace tervalo::sending
