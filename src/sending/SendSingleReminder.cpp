#include "sending/SendSingleReminder.h"

#include "compose/BuildDocumentList.h"
#include "compose/DebtorHasNothingToSend.h"
#include "import/ShowNoDocumentsMessage.h"
#include "sending/DebtorLevels.h"
#include "sending/ExportFreshness.h"
#include "sending/OwnComposeWindow.h"
#include "sending/ReminderJournal.h"
#include "sending/ShownWaitMessage.h"
#include "transport/mime/AddressText.h"

namespace tervalo::sending {

namespace {

const QString kStartingMailClient = QStringLiteral("Spouštění e-mailového klienta, čekejte prosím...");

const QString kPreparing = QStringLiteral("Příprava e-mailu, čekejte prosím...");

const QString kOfferOwnWindow = QStringLiteral(
    "Na tomto počítači nebyl nalezen žádný e-mailový klient. Chcete upomínku napsat a odeslat přímo v "
    "tomto programu přes SMTP server nastavený pro hromadný e-mailing?");

const QString kOfferEmptyMessage = QStringLiteral(
    "Tato firma (její e-mailová adresa) byla vyřazena z e-mailingu (nebo byly z e-mailingu vyřazeny "
    "všechny doklady u ní uvedené) Chcete nabídnout prázdný e-mail k odeslání ?");

enum class Route { MailClient, OwnWindow, SmtpWithoutWindow };

Route chooseRoute(SingleReminderContext& context) {
    const app::AppSettings& settings = context.reminder.settings;
    if (context.smtpWithoutWindow) {
        return Route::SmtpWithoutWindow;
    }
    if (settings.SMTPJednotlive) {
        return Route::OwnWindow;
    }
    if (!NoDesktopMailClient(context.reminder.mtEmailKlient) || !SmtpConfigured(settings)) {
        return Route::MailClient;
    }
    std::optional<bool> asked;
    std::optional<bool>& answer = context.ownWindowAnswer ? *context.ownWindowAnswer : asked;
    if (!answer) {
        answer = context.reminder.ui.confirm(kOfferOwnWindow);
    }
    return *answer ? Route::OwnWindow : Route::MailClient;
}

// Every reminder through the mail client leaves here, recorded in the journal.
compose::ReminderResult send(SingleReminderContext& context, const compose::ReminderRequest& request) {
    return SendJournalled(context.journal, JournalRecordOf(context.reminder.tables, request),
                          context.reminder, [&] { return context.sendReminder(request, context.reminder); });
}

// The recipient and the copy address must be lists of valid mailboxes before anything starts.
std::optional<QString> addressWarning(const QString& recipient, const app::AppSettings& settings) {
    if (auto warning = transport::invalidAddressWarning(recipient)) {
        return warning;
    }
    if (!transport::addressList(settings.E_KopieEmailu).isEmpty()) {
        return transport::invalidAddressWarning(settings.E_KopieEmailu);
    }
    return std::nullopt;
}

std::optional<compose::ReminderResult> recordIfSent(SingleReminderContext& context, const QString& recipient,
                                                    compose::ReminderResult result) {
    if (result == compose::ReminderResult::Accepted) {
        context.stateTables.MarkAddressSent(recipient);
    }
    return result;
}

// The current debtor's reminder level; when none is due yet the user chooses whether to send the
// first level anyway (none: not).
std::optional<int> chooseLevel(SingleReminderContext& context) {
    compose::ReminderContext& reminder = context.reminder;
    const DebtorLevels levels(reminder.settings, context.journal, context.today, context.chosenLevels,
                              context.forcedLevel);
    const LevelChoice level = levels.current(reminder.tables);
    if (level.level != 0) {
        return level.level;
    }
    const QString question = reminder.tables.mtFirmy.text(u"OdbNazev") + QStringLiteral(": ") +
                             NoLevelText(level) +
                             QStringLiteral(". Chcete přesto odeslat upomínku úrovně \"") +
                             reminder.settings.Urovne[0].Nazev + QStringLiteral("\" ?");
    return reminder.ui.confirm(question) ? std::optional<int>(1) : std::nullopt;
}

std::optional<compose::ReminderResult> sendBySmtp(SingleReminderContext& context, const QString& recipient,
                                                  Route route, int level) {
    compose::ReminderContext& reminder = context.reminder;
    QString archive;
    {
        const ShownWaitMessage wait(reminder.ui, kPreparing);
        archive = compose::BuildDocumentList(reminder.tables.mtFirmy.intValue(u"ID"), reminder.tables,
                                             reminder.settings, context.TempDir, reminder.ui);
    }
    if (archive.isEmpty()) {
        return std::nullopt;
    }
    const compose::ReminderRequest request =
        compose::DebtorReminderRequest(recipient, archive, reminder.settings, level, context.today);
    return recordIfSent(
        context, recipient,
        SendOwnComposedReminder(request, reminder, route == Route::OwnWindow, context.journal));
}

std::optional<compose::ReminderResult> sendWithDocumentList(SingleReminderContext& context,
                                                            const QString& recipient, Route route,
                                                            int level) {
    if (route != Route::MailClient) {
        return sendBySmtp(context, recipient, route, level);
    }
    compose::ReminderContext& reminder = context.reminder;
    const ShownWaitMessage wait(reminder.ui, kStartingMailClient);
    const QString archive =
        compose::BuildDocumentList(reminder.tables.mtFirmy.intValue(u"ID"), reminder.tables,
                                   reminder.settings, context.TempDir, reminder.ui);
    if (archive.isEmpty()) {
        return std::nullopt;
    }
    compose::ReminderRequest request =
        compose::DebtorReminderRequest(recipient, archive, reminder.settings, level, context.today);
    request.route = compose::ReminderRoute::MailClientWindow;
    return recordIfSent(context, recipient, send(context, request));
}

// Nothing is recorded for the empty message, whatever its outcome.
std::optional<compose::ReminderResult> offerEmptyMessage(SingleReminderContext& context,
                                                         const QString& recipient, Route route) {
    compose::ReminderContext& reminder = context.reminder;
    if (!reminder.ui.confirm(kOfferEmptyMessage)) {
        return std::nullopt;
    }
    if (route != Route::MailClient) {
        return SendOwnComposedReminder(compose::EmptyMessageRequest(recipient, reminder.settings), reminder,
                                       route == Route::OwnWindow, context.journal);
    }
    const ShownWaitMessage wait(reminder.ui, kStartingMailClient);
    return send(context, compose::EmptyMessageRequest(recipient, reminder.settings));
}

}  // namespace

std::optional<compose::ReminderResult> SendSingleReminder(SingleReminderContext& context) {
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
    if (const auto warning = addressWarning(recipient, context.reminder.settings)) {
        context.reminder.ui.warning(*warning);
        return std::nullopt;
    }
    if (!ConfirmFreshExport(tables, {recipient}, context.reminder.settings, context.today, context.journal,
                            context.reminder.ui)) {
        return std::nullopt;
    }
    if (!compose::DebtorHasNothingToSend(tables)) {
        const std::optional<int> level = chooseLevel(context);
        if (!level) {
            return std::nullopt;
        }
        return sendWithDocumentList(context, recipient, chooseRoute(context), *level);
    }
    const Route route = chooseRoute(context);
    return offerEmptyMessage(context, recipient, route);
}

}  // namespace tervalo::sending
