#pragma once

#include "compose/EmailKlientTable.h"
#include "compose/SendReminder.h"
#include "platform/UserInterface.h"
#include "settings/AppSettings.h"
#include "state/SendJournal.h"

namespace tervalo::sending {

// Whether the desktop offers no mail client with a compose window: the list of mail clients holds
// the system's mail submission at most.
bool NoDesktopMailClient(const compose::EmailKlientTable& clients);

// Whether the settings name an SMTP server and a sender to send by.
bool SmtpConfigured(const app::AppSettings& settings);

// The compose window's "Odeslat": the address fields trimmed in place; a recipient field that is not
// a list of valid mailboxes, or a copy field that is neither empty nor one, is refused with its
// warning, and false.
bool AcceptReminderDraft(ReminderDraft& draft, UserInterface& ui);

// Sends the reminder of `request` by SMTP as a bulk run renders it, with `showWindow` first in the
// program's own compose window, where the user may change the addresses, the subject and the body
// or cancel. The waiting window stands while the server takes it. Accepted when the server accepted
// it, NotSent otherwise (cancelled silently; a failure with the SMTP route's messages). A message that goes
// out is recorded in `journal` (none: not recorded) before it leaves and completed with the reply.
compose::ReminderResult SendOwnComposedReminder(const compose::ReminderRequest& request,
                                                compose::ReminderContext& context, bool showWindow,
                                                state::SendJournal* journal);

}  // namespace tervalo::sending
