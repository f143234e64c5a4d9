#include "sending/RunBulkEmailing.h"

#include "browser/BrowserCommands.h"
#include "compose/BuildDocumentList.h"
#include "compose/DebtorHasNothingToSend.h"

namespace tervalo::sending {

namespace {

const QString kNoConnection = QStringLiteral(
    "Nejprve se musíte připojit k internetu (hromadný e-mailing je nastaven pomocí SMTP, který vyžaduje "
    "připojení na internet).");
const QString kGeneratedCaption = QStringLiteral("Vygenerovaných e-mailů celkem:");
const QString kSkippedCaption = QStringLiteral("Vynechaných e-mailů celkem:");

class BulkRun {
public:
    BulkRun(BulkEmailingContext& context, const std::optional<TestMode>& testMode)
        : m_c(context),
          m_test(testMode),
          m_tables(context.reminder.tables),
          m_settings(context.reminder.settings),
          m_ui(context.reminder.ui),
          m_view(context.view),
          m_protocol(context.protocol) {}

    int run() {
        writeHeader();
        showStarted();
        if (!m_settings.DefaultSendMail &&
            !m_c.isInternetConnected(m_settings.SMTPHost, m_settings.SMTPPort)) {
            m_ui.warning(kNoConnection);
            m_view.setStatusText(QStringLiteral("Připraven"));
            m_protocol.AddProtocolLine(kNoConnection);
            return -1;
        }
        if (m_settings.DefaultSendMail) {
            visitDebtors();
        } else {
            transport::SmtpSender session = compose::SmtpSenderFor(m_settings, m_c.reminder.smtpOptions);
            struct Keeping {
                compose::ReminderContext& reminder;
                ~Keeping() { reminder.smtpSession = nullptr; }
            } keeping{m_c.reminder};
            m_c.reminder.smtpSession = &session;
            visitDebtors();
        }
        writeTotals();
        return 0;
    }

private:
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

    void visitDebtors() {
        memtable::MemTable& firmy = m_tables.mtFirmy;
        const int rows = firmy.recordCount();
        m_view.setProgressMaximum(rows);
        m_view.setProgress(0);
        // Only the address flag is asked, so the commands need neither the state tables' writes
        // nor a way to open addresses.
        browser::BrowserCommands commands(m_tables, m_c.stateTables, m_ui, {});
        for (int position = 0; position < rows; ++position) {
            firmy.moveTo(position);
            const bool taken =
                m_test || (commands.RequireDebtorEmail(false) && !compose::DebtorHasNothingToSend(m_tables));
            bool sent = false;
            if (taken) {
                const std::optional<bool> outcome = sendToCurrentDebtor();
                if (!outcome) {
                    return;  // the user stopped the run: this debtor counts neither way
                }
                sent = *outcome;
            }
            ++(sent ? m_generated : m_skipped);
            m_ui.processEvents();
            showCounts();
            m_view.setDebtorName(QString());
            m_view.setDebtorAddress(QString());
            m_view.setProgress(position + 1);
            if (m_test && position + 1 >= m_test->count) {
                return;
            }
            m_ui.processEvents();
        }
    }

    // True when the reminder went out, false when the debtor is skipped, nothing when the user
    // answered No to going on after a failure.
    std::optional<bool> sendToCurrentDebtor() {
        const memtable::MemTable& firmy = m_tables.mtFirmy;
        const QString name = firmy.text(u"OdbNazev");
        const QString address = m_test ? m_test->address : firmy.text(u"OdbEmail");
        m_ui.processEvents();
        m_view.setDebtorName(name);
        m_view.setDebtorAddress(address);
        m_ui.processEvents();
        const QString archive =
            compose::BuildDocumentList(firmy.intValue(u"ID"), m_tables, m_settings, m_c.tempDir, m_ui);
        if (archive.isEmpty()) {
            return false;
        }
        m_protocol.AddProtocolLine(QStringLiteral("Odesílání e-mailu na ") + name + QStringLiteral(" (") +
                                   address + QLatin1Char(')'));
        compose::ReminderRequest request = compose::DebtorReminderRequest(address, archive, m_settings);
        request.showDialog = false;
        request.smtp = !m_settings.DefaultSendMail;
        QStringList paymentNotes;
        const int sent = sendNotingPayments(request, paymentNotes);
        for (const QString& note : paymentNotes) {
            m_protocol.AddProtocolLine(QStringLiteral("... ") + note);
        }
        if (sent == 0) {
            if (!m_test) {
                m_c.stateTables.MarkAddressSent(address);
            }
            return true;
        }
        m_protocol.AddProtocolLine(QStringLiteral("... došlo k chybě"));
        if (!m_ui.confirm(QStringLiteral("Pokračovat dále v odesílání dalších e-mailů ?"))) {
            return std::nullopt;
        }
        return false;
    }

    // The reminder with the reasons a payment code was not made collected in `notes`.
    int sendNotingPayments(const compose::ReminderRequest& request, QStringList& notes) {
        struct Collecting {
            compose::ReminderContext& reminder;
            ~Collecting() { reminder.paymentNotes = nullptr; }
        } collecting{m_c.reminder};
        m_c.reminder.paymentNotes = &notes;
        return m_c.sendReminder(request, m_c.reminder);
    }

    void showCounts() {
        m_view.setGeneratedCount(QString::number(m_generated) +
                                 (m_test ? QStringLiteral(" [odesláno na testovací adresu]") : QString()));
        m_view.setSkippedCount(QString::number(m_skipped));
    }

    void writeTotals() {
        m_view.setProgress(m_tables.mtFirmy.recordCount());
        m_protocol.AddProtocolLine(QStringLiteral("..."));
        m_protocol.AddProtocolLine(kGeneratedCaption + QLatin1Char(' ') + QString::number(m_generated));
        m_protocol.AddProtocolLine(kSkippedCaption + QLatin1Char(' ') + QString::number(m_skipped));
        m_protocol.AddProtocolLine(QStringLiteral("Dokončeno"));
        m_view.setLinkVisible(true);
        QString status = QStringLiteral("Dokončeno (protokol zobrazíte klepnutím zde)");
        if (m_settings.DefaultSendMail) {
            status += QStringLiteral(
                " Poznámka: pokud ještě nedošlo k připojení na internet, zprávy naleznete ve složce \"Pošta "
                "k "
                "odeslání\" ve výchozím poštovním programu (např. Outlook).");
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
    int m_generated = 0;
    int m_skipped = 0;
};

}  // namespace

int RunBulkEmailing(BulkEmailingContext& context, const std::optional<TestMode>& testMode) {
    return BulkRun(context, testMode).run();
}

}  // namespace tervalo::sending
