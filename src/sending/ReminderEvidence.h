#pragma once

#include "platform/UserInterface.h"
#include "state/SendJournal.h"

#include <QString>

#include <optional>

namespace tervalo::sending {

// Writes the message kept with the journal record `id` to `path`, replacing the file whole, for a
// mail program to open as evidence of what was sent and when. Nothing when written, else what to
// tell the user.
std::optional<QString> SaveKeptMessage(const state::SendJournal& journal, qint64 id, const QString& path);

// "Uložit jako důkaz": asks where to save the message of `record` (an .eml file named after the
// debtor and the day, in `folder`) and saves it there, telling the user when it cannot.
void SaveReminderEvidence(const state::SendJournal& journal, const state::JournalRecord& record,
                          const QString& folder, UserInterface& ui);

}  // namespace tervalo::sending
