#include "sending/ReminderJournal.h"

#include "import/IncludedDocuments.h"
#include "import/TemplateVariables.h"
#include "platform/Error.h"

namespace tervalo::sending {

namespace {

QString routeOf(const compose::ReminderRequest& request) {
    switch (request.route) {
        case compose::ReminderRoute::Smtp:
            return QStringLiteral("smtp");
        case compose::ReminderRoute::MailClientWindow:
            return QStringLiteral("mail-client");
        case compose::ReminderRoute::Sendmail:
            break;
    }
    return QStringLiteral("sendmail");
}

// The documents of the current debtor's reminder, in the document table's order.
std::vector<state::JournalDocument> includedDocuments(const import::ExportTables& tables) {
    const memtable::MemTable& doklady = tables.mtDoklady;
    const int cisloDokl = doklady.field(u"CisloDokl");
    const int celkNeprop = doklady.field(u"CelkNeprop");
    const int mena = doklady.field(u"Mena");
    std::vector<state::JournalDocument> documents;
    for (const memtable::RowId row : import::IncludedDocumentRows(tables)) {
        documents.push_back(
            {doklady.text(row, cisloDokl), doklady.floatValue(row, celkNeprop), doklady.text(row, mena)});
    }
    return documents;
}

}  // namespace

state::JournalRecord JournalRecordOf(const import::ExportTables& tables,
                                     const compose::ReminderRequest& request) {
    const memtable::MemTable& firmy = tables.mtFirmy;
    state::JournalRecord record;
    record.recipient = request.recipient;
    record.copy = request.copy;
    record.debtorName = firmy.text(u"OdbNazev");
    record.debtorId = firmy.intValue(u"ID");
    record.route = routeOf(request);
    record.subject = compose::ReplaceTemplateVariables(
        request.subjectTemplate, compose::WithLevelValues(compose::CurrentDebtorValues(tables), request));
    record.level = request.level;
    if (request.withBody) {
        record.documents = includedDocuments(tables);
    }
    return record;
}

state::SendResult JournalResultOf(const transport::SmtpOutcome& outcome) {
    if (outcome.delivered) {
        return state::SendResult::Accepted;
    }
    // A reply of the server starts with its three-digit code; the session's own reasons do not.
    const QString reply = outcome.reply.trimmed();
    const bool answered = reply.size() >= 3 && reply[0].isDigit() && reply[1].isDigit() && reply[2].isDigit();
    return outcome.stage == transport::SmtpStage::Data && !answered && !outcome.withdrawn
               ? state::SendResult::Unsure
               : state::SendResult::Refused;
}

compose::ReminderResult SendJournalled(state::SendJournal* journal, state::JournalRecord record,
                                       compose::ReminderContext& context,
                                       const std::function<compose::ReminderResult()>& send) {
    if (journal == nullptr) {
        return send();
    }
    compose::HandedMessage handed;
    struct Collecting {
        compose::ReminderContext& context;
        ~Collecting() { context.handedMessage = nullptr; }
    } collecting{context};
    context.handedMessage = &handed;
    if (!record.time.isValid()) {
        record.time = QDateTime::currentDateTime();
    }
    const qint64 id = journal->begin(record);
    auto result = compose::ReminderResult::NotSent;
    try {
        result = send();
    } catch (const platform::Error& e) {
        journal->finish(id, state::SendResult::Refused, e.text(), handed.messageId, handed.text);
        throw;
    }
    const bool accepted = result == compose::ReminderResult::Accepted;
    journal->finish(id, accepted ? state::SendResult::Accepted : state::SendResult::Refused,
                    accepted ? QStringLiteral("odesláno") : QStringLiteral("neodesláno"), handed.messageId,
                    handed.text);
    return result;
}

}  // namespace tervalo::sending
