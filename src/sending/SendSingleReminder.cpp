#include "sending/SendSingleReminder.h"

#include "compose/BuildDocumentList.h"
#include "compose/DebtorHasNothingToSend.h"
#include "import/ShowNoDocumentsMessage.h"
#include "sending/ReminderJournal.h"
#include "sending/ShownWaitMessage.h"

namespace tervalo::sending {

namespace {

const QString kStartingMailClient = QStringLiteral("Spouštění e-mailového klienta, čekejte prosím...");

const QString kOfferEmptyMessage = QStringLiteral(
    "Tato firma (její e-mailová adresa) byla vyřazena z e-mailingu (nebo byly z e-mailingu vyřazeny "
    "všechny doklady u ní uvedené) Chcete nabídnout prázdný e-mail k odeslání ?");

// Every single reminder leaves here, recorded in the journal.
int send(SingleReminderContext& context, const compose::ReminderRequest& request) {
    return SendJournalled(context.journal, JournalRecordOf(context.reminder.tables, request),
                          context.reminder, [&] { return context.sendReminder(request, context.reminder); });
}

std::optional<int> sendWithDocumentList(SingleReminderContext& context, const QString& recipient) {
    compose::ReminderContext& reminder = context.reminder;
    const ShownWaitMessage wait(reminder.ui, kStartingMailClient);
    const QString archive =
        compose::BuildDocumentList(reminder.tables.mtFirmy.intValue(u"ID"), reminder.tables,
                                   reminder.settings, context.TempDir, reminder.ui);
    if (archive.isEmpty()) {
        return std::nullopt;
    }
    compose::ReminderRequest request = compose::DebtorReminderRequest(recipient, archive, reminder.settings);
    request.showDialog = true;
    request.smtp = false;
    const int result = send(context, request);
    if (result == 0) {
        context.stateTables.MarkAddressSent(recipient);
    }
    return result;
}

// Nothing is recorded for the empty message, whatever its outcome.
std::optional<int> offerEmptyMessage(SingleReminderContext& context, const QString& recipient) {
    compose::ReminderContext& reminder = context.reminder;
    if (!reminder.ui.confirm(kOfferEmptyMessage)) {
        return std::nullopt;
    }
    const ShownWaitMessage wait(reminder.ui, kStartingMailClient);
    return send(context, compose::EmptyMessageRequest(recipient, reminder.settings));
}

}  // namespace

std::optional<int> SendSingleReminder(SingleReminderContext& context) {
    import::ExportTables& tables = context.reminder.tables;
    if (tables.mtFirmy.isEmpty()) {
        return std::nullopt;
    }
    if (tables.NoDocuments) {
        import::ShowNoDocumentsMessage(context.reminder.ui);
        return std::nullopt;
    }
    browser::BrowserCommands& commands = context.commands;
    if (commands.currentDebtorIsCatchAll()) {
        commands.ShowCatchAllMessage(QStringLiteral("e-mailovou adresu"));
        return std::nullopt;
    }
    if (!commands.RequireDebtorEmail(true) && !commands.ChangeDebtorEmail()) {
        return std::nullopt;
    }
    // As it stands now: possibly the address just entered, which holds for this run only.
    const QString recipient = tables.mtFirmy.text(u"OdbEmail");
    if (!compose::DebtorHasNothingToSend(tables)) {
        return sendWithDocumentList(context, recipient);
    }
    return offerEmptyMessage(context, recipient);
}

}  // namespace tervalo::sending
