#pragma once

#include "compose/SendReminder.h"
#include "state/SendJournal.h"
#include "transport/mime/TMimeMess.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace tervalo::sending {

// A debtor made ready to send: the archive of its document list and, by SMTP, the rendered reminder.
struct PreparedReminder {
    QString archive;  // empty: the debtor is skipped, the user has been told why
    compose::ReminderRequest request;
    std::unique_ptr<transport::TMimeMess> message;  // by SMTP; none when it could not be rendered
    QStringList paymentNotes;                       // why a payment code was not made, for the protocol
    QString listBefore;           // the debtor's TextNeuhrDokl before, for a run that ends before its turn
    state::JournalRecord record;  // what the journal is to keep of it
};

}  // namespace tervalo::sending
