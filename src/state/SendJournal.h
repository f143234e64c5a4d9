#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

struct sqlite3;

namespace tervalo::state {

class JournalFlusher;

// A journal that cannot be opened or written; the text is the message the user sees.
class JournalError : public platform::Error {
public:
    // `failure`: "nelze otevřít" or "nelze zapsat ani přečíst"; `reason` the database's own words.
    JournalError(const QString& path, const char* failure, const QString& reason)
        : platform::Error(QStringLiteral("Deník odeslaných upomínek %1 %2: %3")
                              .arg(path, QString::fromUtf8(failure), reason),
                          path) {}
};

// One document a reminder listed: its number and what remained to be paid.
struct JournalDocument {
    QString number;
    double remaining = 0;
    QString currency;

    bool operator==(const JournalDocument&) const = default;
};

// Unsure: written before the message's final data and not completed since (the program was killed or
// the outcome could not be told); accepted and refused as the server or the mail program answered.
enum class SendResult { Unsure, Accepted, Refused };

// "unsure", "accepted", "refused".
QString resultName(SendResult result);

// One reminder that left the program.
struct JournalRecord {
    qint64 id = 0;
    QDateTime time;
    QString recipient;  // the debtor's address, or the test address in test mode
    QString copy;       // the copy address; empty without one
    QString debtorName;
    qint64 debtorId = 0;
    QString route;  // "smtp", "sendmail" (the mail program without a window) or "mail-client"
    QString messageId;
    QString reply;  // the server's final reply, or the mail program's outcome
    std::vector<JournalDocument> documents;
    QString subject;
    SendResult result = SendResult::Unsure;
    QString runId;  // shared by the reminders of one bulk run; empty for a single reminder
    bool test = false;
    int level = 1;  // the reminder level (1 the first); 0 for an empty message
    // The message as it went out: the bytes the server accepted, or the message handed to the mail
    // client or program. Stored with the record; the reads leave it empty and say whether there is
    // one (`messageKept`), SendJournal::message reads it.
    QByteArray message;
    bool messageKept = false;
};

// The last accepted reminder (not a test, of a level) to an address.
struct LastReminder {
    int level = 0;
    QDateTime time;

    bool operator==(const LastReminder&) const = default;
};

// The reminders sent from one program folder, kept in an SQLite database (Upominky.db) beside the
// state tables, which it never touches. Each write is one transaction in a write-ahead log
// (Upominky.db-wal) and reaches the operating system when it returns, so a kill of the program loses
// nothing written. The disk is another matter: the log is flushed to it only when asked to, by a
// thread of its own. `store` writes a record as unsure and starts its flush; `awaitDurable` waits for
// that flush, which the bulk run does only just before the reminder's end mark goes out, so the flush
// overlaps the exchange with the server up to there. `begin` does both. A completion (`finish`) is
// written but not flushed: it reaches the disk with the next record's flush, which covers everything
// written to the log before it, with a checkpoint, or when the journal is closed. After a power loss
// the log is read back only up to its first write that did not reach the disk, so a power loss takes
// back the last writes in their order: the last completion, or the last record and what followed it.
// Whether the program is killed or the power goes, at most one record is left unsure, and a record
// whose end mark went out is never lost. SQLite's checkpoints (when the log passes about 4 MB, and
// when the last program closes the journal) flush the log and then the database before they copy or
// drop anything, so they keep this. Two programs on one folder both write: a write waits up to ten
// seconds for the other's. The calls may come from several threads.
class SendJournal {
public:
    // Opens the journal, creating it when missing. Throws JournalError.
    explicit SendJournal(const QString& path);
    ~SendJournal();
    SendJournal(const SendJournal&) = delete;
    SendJournal& operator=(const SendJournal&) = delete;

    // The journal's file in a program folder (`appDir` ends with a slash).
    static QString pathIn(const QString& appDir);

    // A record stored by `store`, and the flush that makes it durable.
    struct Pending {
        qint64 id = 0;
        std::uint64_t flush = 0;
    };

    // Stores the record as unsure and starts flushing it to the disk. Throws JournalError.
    Pending store(const JournalRecord& record);
    // Waits until the record `pending` is on the disk. Throws JournalError when it cannot be flushed.
    void awaitDurable(const Pending& pending);
    // Stores the record as unsure, on the disk when it returns, and returns its id. Throws JournalError.
    qint64 begin(const JournalRecord& record);
    // Completes a record with the outcome and the reply, and the Message-ID and the message when they
    // were learnt only while sending. Throws JournalError.
    void finish(qint64 id, SendResult result, const QString& reply, const QString& messageId = {},
                const QByteArray& message = {});
    // Removes a stored record whose message was withdrawn before its end mark: nothing left the
    // program. Throws JournalError.
    void discard(qint64 id);

    // The records, newest first: to `address` (recipient or copy, without regard to case) when it is
    // given, and from `since` on when it is valid.
    std::vector<JournalRecord> records(const QString& address = {}, const QDate& since = {}) const;
    // The records of one debtor, newest first: to its address, and those made for it in test mode
    // (to the test address), known by the debtor's ID and name.
    std::vector<JournalRecord> debtorRecords(const QString& address, qint64 debtorId,
                                             const QString& debtorName) const;
    // What reminders other than tests to `address` on `day` came to: accepted when one was, else unsure
    // when one is, else refused; nothing when there was none.
    std::optional<SendResult> resultOn(const QString& address, const QDate& day) const;

    // The last accepted reminder of a level, tests aside, of every recipient address, by the address
    // as addressKey gives it.
    std::map<QString, LastReminder> lastAccepted() const;
    // The message kept with the record `id`; nothing when the record has none or there is no such
    // record. Throws JournalError.
    std::optional<QByteArray> message(qint64 id) const;

    // An address as the journal compares it: without blanks around it and upper-cased.
    static QString addressKey(const QString& address);

private:
    void execute(const char* sql) const;
    // Adds the columns a journal of an older version lacks.
    void migrate();

    mutable std::mutex m_mutex;
    sqlite3* m_db = nullptr;
    QString m_path;
    std::unique_ptr<JournalFlusher> m_flusher;  // of the write-ahead log
};

}  // namespace tervalo::state
