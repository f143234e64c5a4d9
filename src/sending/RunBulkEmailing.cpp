#include "sending/RunBulkEmailing.h"

#include "browser/BrowserCommands.h"
#include "compose/BuildDocumentList.h"
#include "compose/DebtorHasNothingToSend.h"
#include "platform/Error.h"
#include "platform/SilentUserInterface.h"
#include "sending/BulkRunPlan.h"
#include "sending/DebtorLevels.h"
#include "sending/DeliveryPipeline.h"
#include "sending/ExportFreshness.h"
#include "sending/ReminderJournal.h"
#include "sending/SubmissionStatusNote.h"
#include "transport/mime/AddressText.h"
#include "transport/smtp/SmtpOutcome.h"

#include <QUuid>

#include <exception>
#include <set>

namespace tervalo::sending {

namespace {

const QString kNoConnection = QStringLiteral(
    "Nejprve se musíte připojit k internetu (hromadný e-mailing je nastaven pomocí SMTP, který vyžaduje "
    "připojení na internet).");
const QString kGeneratedCaption = QStringLiteral("Vygenerovaných e-mailů celkem:");
const QString kSkippedCaption = QStringLiteral("Vynechaných e-mailů celkem:");
const QString kFailedCaption = QStringLiteral("Chybou neodeslaných e-mailů celkem:");
const QString kStoppedLine = QStringLiteral("Hromadný e-mailing zastavil uživatel.");

class BulkRun {
public:
    BulkRun(BulkEmailingContext& context, const std::optional<TestMode>& testMode)
        : m_c(context),
          m_test(testMode),
          m_tables(context.reminder.tables),
          m_settings(context.reminder.settings),
          m_ui(context.reminder.ui),
          m_view(context.view),
          m_protocol(context.protocol),
          m_runId(QUuid::createUuid().toString(QUuid::WithoutBraces)),
          m_levels(m_settings, context.journal, context.now().date(), context.chosenLevels,
                   context.forcedLevel) {}

    int run() {
        if (!m_test && !ConfirmFreshExportForRun(m_tables, m_settings, m_c.now().date(), m_c.journal, m_ui)) {
            return -1;
        }
        writeHeader();
        showStarted();
        if (!m_settings.DefaultSendMail) {
            if (auto reason = transport::unusableSecurityReason(m_settings.SMTPSecurity)) {
                const QString text = QStringLiteral("Hromadný e-mailing nelze spustit: ") + *reason;
                m_ui.error(text);
                m_view.setStatusText(QStringLiteral("Připraven"));
                m_protocol.AddProtocolLine(text);
                return -1;
            }
        }
        if (!m_settings.DefaultSendMail &&
            !m_c.isInternetConnected(m_settings.SMTPHost, m_settings.SMTPPort)) {
            m_ui.warning(kNoConnection);
            m_view.setStatusText(QStringLiteral("Připraven"));
            m_protocol.AddProtocolLine(kNoConnection);
            return -1;
        }
        if (!m_test) {
            askAboutSentToday();
        }
        if (m_settings.DefaultSendMail) {
            visitDebtors();
        } else {
            // One session and one delivery pipeline serve the whole run. However the visit ends, the
            // pipeline waits for a reminder still with the server before the session goes.
            transport::SmtpSender session = compose::SmtpSenderFor(m_settings, m_c.reminder.smtpOptions);
            DeliveryPipeline pipeline(
                [&](const PreparedReminder& reminder, const std::function<bool()>& mayCommit) {
                    return m_c.transmitSmtpReminder(*reminder.message, reminder.request, session, m_settings,
                                                    mayCommit);
                },
                m_c.journal, m_c.now);
            m_pipeline = &pipeline;
            struct Detaching {
                BulkRun& run;
                ~Detaching() { run.m_pipeline = nullptr; }
            } detaching{*this};
            visitDebtors();
        }
        writeTotals();
        return 0;
    }

private:
    // The debtors reminded today are skipped unless the user wants them sent to again.
    void askAboutSentToday() {
        const BulkRunPlan plan =
            PlanBulkRun(m_tables, m_c.stateTables, m_c.journal, m_c.now().date(), &m_levels);
        if (plan.sentToday() == 0) {
            return;
        }
        if (m_c.confirmResend && m_c.confirmResend(ResendQuestion(plan))) {
            m_resendToday = true;
            return;
        }
        m_sentToday = plan.remindedToday;
        m_unsureToday = plan.unsure;
    }

    bool sentToday(int position) const {
        return m_sentToday.count(position) != 0 || m_unsureToday.count(position) != 0;
    }

    void writeSkippedAsSentToday(int position) {
        const memtable::MemTable& firmy = m_tables.mtFirmy;
        m_protocol.AddProtocolLine(QStringLiteral("Vynecháno: ") + firmy.text(u"OdbNazev") +
                                   QStringLiteral(" (") + firmy.text(u"OdbEmail") + QStringLiteral(") - ") +
                                   (m_unsureToday.count(position) != 0
                                        ? QStringLiteral("dnešní upomínka má nejistý výsledek")
                                        : QStringLiteral("upomínka již dnes odeslána")));
    }

    // The current debtor's reminder level; one reminded today whom the user chose to send to again
    // gets today's level again.
    LevelChoice levelOfCurrent() const {
        LevelChoice level = m_levels.current(m_tables);
        if (m_resendToday && level.level == 0) {
            const auto last = m_levels.lastReminder(m_tables.mtFirmy.text(u"OdbEmail"));
            if (last && last->time.date() == m_levels.today()) {
                level = ChooseReminderLevel(m_settings, last, std::nullopt, m_levels.today(), last->level);
            }
        }
        return level;
    }

    // The protocol line of the current debtor skipped for `reason`.
    void writeSkipped(const QString& reason) {
        const memtable::MemTable& firmy = m_tables.mtFirmy;
        m_protocol.AddProtocolLine(QStringLiteral("Vynecháno: ") + firmy.text(u"OdbNazev") +
                                   QStringLiteral(" (") + firmy.text(u"OdbEmail") + QStringLiteral("): ") +
                                   reason);
    }

    // The protocol line of a reminder names the level it is sent at.
    QString sendingLine(const QString& name, const QString& address) const {
        return QStringLiteral("Odesílání e-mailu na ") + name + QStringLiteral(" (") + address +
               QStringLiteral(") - ") +
               m_settings.Urovne[qBound(1, m_level, app::kMaxReminderLevels) - 1].Nazev;
    }

    // True once the user asked the run to end; asked again until then.
    bool stopRequested() {
        if (!m_stopped && m_c.stopWanted && m_c.stopWanted()) {
            m_stopped = true;
        }
        return m_stopped;
    }

    void writeHeader() {
        const QDateTime now = m_c.now();
        const platform::SystemLocale& locale = m_c.reminder.locale;
        m_protocol.AddProtocolLine(QString());
        m_protocol.AddProtocolLine(QString());
        m_protocol.AddProtocolLine(QStringLiteral("Hromadný e-mailing dlužníků - ") +
                                   locale.formatShortDate(now.date()) + QStringLiteral(" v ") +
                                   now.time().toString(locale.timeFormat()) + QStringLiteral(" hod"));
        if (m_test) {
            m_protocol.AddProtocolLine(QStringLiteral("[testovací režim na adresu ") + m_test->address +
                                       QStringLiteral(", odeslat jen prvních ") + m_test->countText +
                                       QLatin1Char(']'));
        }
        m_protocol.AddProtocolLine(QStringLiteral("..."));
    }

    void showStarted() {
        m_view.setStatusText(QStringLiteral("Pracuji, čekejte prosím...") +
                             (m_test ? QStringLiteral(" [testovací režim]") : QString()));
        m_view.setLinkVisible(false);
        m_view.setGeneratedCount(QStringLiteral("0"));
        m_view.setSkippedCount(QStringLiteral("0"));
        m_view.setDebtorLinesVisible(true);
        m_view.setInformationVisible(true);
        m_ui.processEvents();
    }

    // The debtors in the view's order. By SMTP a reminder is with the server while the next debtor
    // is made ready; everything the user sees and every record still happens one debtor after the
    // other.
    void visitDebtors() {
        memtable::MemTable& firmy = m_tables.mtFirmy;
        const int rows = firmy.recordCount();
        m_view.setProgressMaximum(rows);
        m_view.setProgress(0);
        // Only the address flag is asked, so the commands need neither the state tables' writes
        // nor a way to open addresses.
        browser::BrowserCommands commands(m_tables, m_c.stateTables, m_ui, {});
        for (int position = 0; position < rows; ++position) {
            if (stopRequested()) {
                break;
            }
            firmy.moveTo(position);
            const bool skippedToday = !m_test && sentToday(position);
            bool taken = !skippedToday && (m_test || (commands.RequireDebtorEmail(false) &&
                                                      !compose::DebtorHasNothingToSend(m_tables)));
            std::optional<LevelChoice> noLevel;
            if (taken) {
                const LevelChoice level = levelOfCurrent();
                m_level = level.level;
                if (level.level == 0) {
                    noLevel = level;
                    taken = false;
                }
            }
            // By SMTP the next reminder goes to the server while the one before is concluded.
            std::optional<PreparedReminder> early;
            if (taken && m_pipeline != nullptr && m_pipeline->busy() && !invalidAddress()) {
                early = prepareAhead();
            }
            const bool handedOver = early && early->message;
            if (handedOver) {
                m_pipeline->deliver(position, currentAddress(), std::move(*early));  // held
                early.reset();
            }
            if (!settleInFlight() || m_stopped) {
                // A failure the user stopped at, or the user's stop: the next reminder is withdrawn.
                if (handedOver) {
                    early = m_pipeline->withdraw();
                }
                if (early) {
                    keepListBefore(position, *early);
                }
                return;
            }
            if (handedOver) {
                // The reminder before it is concluded, its send date recorded: this one may be
                // committed. So a kill never leaves more than one accepted reminder without its date.
                m_pipeline->release();
            }
            if (!taken) {
                if (skippedToday) {
                    writeSkippedAsSentToday(position);
                } else if (noLevel) {
                    writeSkipped(NoLevelText(*noLevel));
                } else if (!m_test && firmy.boolValue(u"JeEmail") &&
                           compose::DebtorHasNothingOverdue(m_tables)) {
                    writeSkipped(QStringLiteral("žádný doklad po splatnosti"));
                }
                count(position, false);
            } else if (!present(position, handedOver, std::move(early))) {
                return;  // the user stopped the run: this debtor counts neither way
            }
            if (m_test && position + 1 >= m_test->count) {
                break;
            }
        }
        settleInFlight();
    }

    QString currentAddress() const { return m_test ? m_test->address : m_tables.mtFirmy.text(u"OdbEmail"); }

    // Why the current debtor's address field cannot be sent to, or nothing.
    std::optional<QString> invalidAddress() const {
        return transport::invalidAddressWarning(currentAddress());
    }

    // Shows the current debtor, makes its reminder ready unless that was done ahead, and sends it
    // unless it was `handedOver` to the server already: by SMTP it is left with the server, through the
    // mail client it is concluded here. False when the user stopped the run after its failure.
    bool present(int position, bool handedOver, std::optional<PreparedReminder> early) {
        const QString name = m_tables.mtFirmy.text(u"OdbNazev");
        const QString address = currentAddress();
        m_ui.processEvents();
        m_view.setDebtorName(name);
        m_view.setDebtorAddress(address);
        m_ui.processEvents();
        PreparedReminder reminder;
        if (!handedOver) {
            if (const auto warning = invalidAddress()) {
                // Fails like a reminder the server refused, before anything is made or sent.
                m_protocol.AddProtocolLine(sendingLine(name, address));
                return conclude(position, address, {}, compose::ReminderResult::NotSent, *warning);
            }
            reminder = early ? std::move(*early) : prepare(m_ui);
            if (reminder.archive.isEmpty()) {
                count(position, false);
                return true;
            }
        }
        m_protocol.AddProtocolLine(sendingLine(name, address));
        if (handedOver) {
            return true;
        }
        if (m_pipeline == nullptr) {
            const compose::ReminderResult result = sendThroughMailClient(reminder);
            return conclude(position, address, reminder.paymentNotes, result, QString());
        }
        if (!reminder.message) {
            return conclude(position, address, reminder.paymentNotes, compose::ReminderResult::NotSent,
                            QString());
        }
        m_pipeline->deliver(position, address, std::move(reminder));
        return true;
    }

    // The current debtor's document list, archive and, by SMTP, rendered reminder, with what there is
    // to say told to `ui`.
    PreparedReminder prepare(UserInterface& ui) {
        memtable::MemTable& firmy = m_tables.mtFirmy;
        PreparedReminder reminder;
        reminder.listBefore = firmy.text(u"TextNeuhrDokl");
        reminder.archive =
            compose::BuildDocumentList(firmy.intValue(u"ID"), m_tables, m_settings, m_c.tempDir, ui);
        if (reminder.archive.isEmpty()) {
            return reminder;
        }
        reminder.request = compose::DebtorReminderRequest(currentAddress(), reminder.archive, m_settings,
                                                          m_level, m_levels.today());
        reminder.request.route =
            m_pipeline != nullptr ? compose::ReminderRoute::Smtp : compose::ReminderRoute::Sendmail;
        reminder.record = JournalRecordOf(m_tables, reminder.request);
        reminder.record.runId = m_runId;
        reminder.record.test = m_test.has_value();
        if (m_pipeline != nullptr) {
            compose::ReminderContext& shared = m_c.reminder;
            compose::ReminderContext context{
                shared.tables,      shared.settings,    shared.mtEmailKlient,  shared.locale, ui,
                shared.smtpOptions, shared.mailClients, &reminder.paymentNotes};
            reminder.message = m_c.renderSmtpReminder(reminder.request, context);
            if (reminder.message) {
                reminder.record.messageId = reminder.message->Header.MessageIdentifier;
                reminder.record.message = reminder.message->messageText();
            }
        }
        return reminder;
    }

    // The current debtor made ready while the previous reminder is with the server, showing nothing.
    // Nothing when it had something to tell the user (or failed): it is then made again in its turn,
    // so the user hears of it after the previous debtor is concluded, as without the overlap.
    std::optional<PreparedReminder> prepareAhead() {
        platform::SilentUserInterface silent;
        const QString listBefore = m_tables.mtFirmy.text(u"TextNeuhrDokl");
        try {
            PreparedReminder reminder = prepare(silent);
            if (!silent.spoke()) {
                return reminder;
            }
        } catch (const platform::Error&) {
        }
        restoreList(listBefore);
        return std::nullopt;
    }

    // The debtor at `position`, whose turn the run ended before, keeps the document list it had.
    void keepListBefore(int position, const PreparedReminder& early) {
        memtable::MemTable& firmy = m_tables.mtFirmy;
        const int stoppedAt = firmy.currentPosition();
        firmy.moveTo(position);
        restoreList(early.listBefore);
        firmy.moveTo(stoppedAt);
    }

    // Puts back the current debtor's document list as it was before its reminder was made.
    void restoreList(const QString& list) {
        memtable::MemTable& firmy = m_tables.mtFirmy;
        if (firmy.text(u"TextNeuhrDokl") != list) {
            firmy.edit();
            firmy.setText(u"TextNeuhrDokl", list);
            firmy.post();
        }
    }

    // Waits for the reminder with the server, if any, and concludes it; the window repaints
    // meanwhile. False when the user stopped the run after its failure; mtFirmy is then at that
    // debtor.
    bool settleInFlight() {
        if (m_pipeline == nullptr) {
            return true;
        }
        const std::optional<DeliveredReminder> flight = m_pipeline->conclude([this] {
            m_ui.processEvents();
            stopRequested();
        });
        if (!flight) {
            return true;
        }
        const transport::SmtpOutcome& outcome = flight->outcome;
        if (outcome.delivered) {
            const bool goOn = conclude(flight->position, flight->address, flight->reminder.paymentNotes,
                                       compose::ReminderResult::Accepted, {});
            if (flight->journalError) {
                std::rethrow_exception(flight->journalError);  // recorded as sent, the journal is behind
            }
            return goOn;
        }
        if (flight->journalError) {
            std::rethrow_exception(flight->journalError);  // withdrawn: the journal could not be written
        }
        // The failure is told with its debtor current, and a run the user stops stays there.
        memtable::MemTable& firmy = m_tables.mtFirmy;
        const int current = firmy.currentPosition();
        firmy.moveTo(flight->position);
        const compose::ReminderResult result =
            compose::ReportSmtpOutcome(outcome, flight->reminder.request, m_ui);
        if (!conclude(flight->position, flight->address, flight->reminder.paymentNotes, result,
                      outcome.reply)) {
            return false;
        }
        firmy.moveTo(current);
        return true;
    }

    // The reminder through the mail client, with the reasons a payment code was not made collected.
    compose::ReminderResult sendThroughMailClient(PreparedReminder& reminder) {
        struct Collecting {
            compose::ReminderContext& reminder;
            ~Collecting() { reminder.paymentNotes = nullptr; }
        } collecting{m_c.reminder};
        m_c.reminder.paymentNotes = &reminder.paymentNotes;
        state::JournalRecord record = reminder.record;
        record.time = m_c.now();
        return SendJournalled(m_c.journal, record, m_c.reminder,
                              [&] { return compose::SendReminder(reminder.request, m_c.reminder); });
    }

    // Writes what came of a debtor's reminder (with the server's reply or the reason of a failure),
    // records the sending and counts the debtor. False when the user answered No to going on after a
    // failure.
    bool conclude(int position, const QString& address, const QStringList& paymentNotes,
                  compose::ReminderResult result, const QString& failure) {
        for (const QString& note : paymentNotes) {
            m_protocol.AddProtocolLine(QStringLiteral("... ") + note);
        }
        if (result == compose::ReminderResult::Accepted) {
            if (!m_test) {
                m_c.stateTables.MarkAddressSent(address);
            }
            count(position, true);
            return true;
        }
        ++m_failed;
        m_protocol.AddProtocolLine(
            QStringLiteral("... došlo k chybě") +
            (failure.trimmed().isEmpty() ? QString() : QStringLiteral(": ") + failure.simplified()));
        if (!m_ui.confirm(QStringLiteral("Pokračovat dále v odesílání dalších e-mailů ?"))) {
            return false;
        }
        count(position, false);
        return true;
    }

    void count(int position, bool sent) {
        ++(sent ? m_generated : m_skipped);
        m_ui.processEvents();
        m_view.setGeneratedCount(QString::number(m_generated) +
                                 (m_test ? QStringLiteral(" [odesláno na testovací adresu]") : QString()));
        m_view.setSkippedCount(QString::number(m_skipped));
        m_view.setDebtorName(QString());
        m_view.setDebtorAddress(QString());
        m_view.setProgress(position + 1);
        m_ui.processEvents();
    }

    void writeTotals() {
        m_view.setProgress(m_tables.mtFirmy.recordCount());
        m_protocol.AddProtocolLine(QStringLiteral("..."));
        if (m_stopped) {
            m_protocol.AddProtocolLine(kStoppedLine);
        }
        m_protocol.AddProtocolLine(kGeneratedCaption + QLatin1Char(' ') + QString::number(m_generated));
        m_protocol.AddProtocolLine(kSkippedCaption + QLatin1Char(' ') + QString::number(m_skipped));
        m_protocol.AddProtocolLine(kFailedCaption + QLatin1Char(' ') + QString::number(m_failed));
        m_protocol.AddProtocolLine(QStringLiteral("Dokončeno"));
        m_view.setLinkVisible(true);
        QString status = QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde)");
        if (m_settings.DefaultSendMail) {
            status += SubmissionStatusNote(transport::DescribeMailSubmission(
                transport::FindMailSubmissionProgram(m_c.reminder.mailClients)));
        }
        m_view.setStatusText(status);
        m_view.setDebtorLinesVisible(false);
    }

    BulkEmailingContext& m_c;
    const std::optional<TestMode>& m_test;
    import::ExportTables& m_tables;
    const app::AppSettings& m_settings;
    UserInterface& m_ui;
    BulkEmailingView& m_view;
    Protocol& m_protocol;
    DeliveryPipeline* m_pipeline = nullptr;  // by SMTP, for the run
    QString m_runId;
    DebtorLevels m_levels;
    int m_level = 1;              // the level of the debtor being made ready
    bool m_resendToday = false;   // the user chose to send again to the debtors reminded today
    std::set<int> m_sentToday;    // positions skipped as reminded today
    std::set<int> m_unsureToday;  // positions skipped as their reminder of today is unsure
    bool m_stopped = false;
    int m_generated = 0;
    int m_skipped = 0;
    int m_failed = 0;
};

}  // namespace

int RunBulkEmailing(BulkEmailingContext& context, const std::optional<TestMode>& testMode) {
    return BulkRun(context, testMode).run();
}

}  // namespace tervalo::sending
