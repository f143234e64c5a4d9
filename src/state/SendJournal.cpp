#include "state/SendJournal.h"

#include "state/JournalFlusher.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>

namespace tervalo::state {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr const char* kUnusable = "nelze zapsat ani přečíst";

// One record per reminder. `day` is the local date of `time`, the key of the questions about today;
// the keys are the addresses upper-cased, so that a look-up ignores their case.
const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS reminders ("
    " id INTEGER PRIMARY KEY,"
    " time TEXT NOT NULL,"
    " day TEXT NOT NULL,"
    " recipient TEXT NOT NULL,"
    " recipient_key TEXT NOT NULL,"
    " copy TEXT NOT NULL,"
    " copy_key TEXT NOT NULL,"
    " debtor_name TEXT NOT NULL,"
    " debtor_id INTEGER NOT NULL,"
    " route TEXT NOT NULL,"
    " message_id TEXT NOT NULL,"
    " reply TEXT NOT NULL,"
    " documents TEXT NOT NULL,"
    " subject TEXT NOT NULL,"
    " result TEXT NOT NULL,"
    " run_id TEXT NOT NULL,"
    " test INTEGER NOT NULL,"
    " level INTEGER NOT NULL DEFAULT 1,"
    " message BLOB);"
    "CREATE INDEX IF NOT EXISTS reminders_recipient ON reminders (recipient_key, day);";

const char* const kColumns =
    "id, time, recipient, copy, debtor_name, debtor_id, route, message_id, reply, documents, subject, "
    "result, run_id, test, level, message IS NOT NULL";

SendResult resultOf(const QString& name) {
    if (name == QLatin1String("accepted")) {
        return SendResult::Accepted;
    }
    return name == QLatin1String("refused") ? SendResult::Refused : SendResult::Unsure;
}

QByteArray documentsJson(const std::vector<JournalDocument>& documents) {
    QJsonArray array;
    for (const JournalDocument& document : documents) {
        array.append(QJsonObject{{QStringLiteral("number"), document.number},
                                 {QStringLiteral("remaining"), document.remaining},
                                 {QStringLiteral("currency"), document.currency}});
    }
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::vector<JournalDocument> documentsOf(const QByteArray& json) {
    std::vector<JournalDocument> documents;
    for (const QJsonValue& value : QJsonDocument::fromJson(json).array()) {
        const QJsonObject object = value.toObject();
        documents.push_back({object.value(QStringLiteral("number")).toString(),
                             object.value(QStringLiteral("remaining")).toDouble(),
                             object.value(QStringLiteral("currency")).toString()});
    }
    return documents;
}

// A prepared statement, finalized when it goes.
class Statement {
public:
    Statement(sqlite3* db, const char* sql, const QString& path) : m_db(db), m_path(path) {
        check(sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    void bind(int index, const QString& text) {
        const QByteArray utf8 = text.toUtf8();
        check(sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT));
    }
    void bind(int index, qint64 value) { check(sqlite3_bind_int64(m_statement, index, value)); }
    // An empty blob is bound as NULL: no message kept.
    void bind(int index, const QByteArray& blob) {
        check(blob.isEmpty() ? sqlite3_bind_null(m_statement, index)
                             : sqlite3_bind_blob64(m_statement, index, blob.constData(),
                                                   sqlite3_uint64(blob.size()), SQLITE_TRANSIENT));
    }
    // True while there is a row.
    bool step() {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW) {
            return true;
        }
        if (rc != SQLITE_DONE) {
            check(rc);
        }
        return false;
    }
    QString text(int column) const {
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column)),
                                 sqlite3_column_bytes(m_statement, column));
    }
    qint64 integer(int column) const { return sqlite3_column_int64(m_statement, column); }
    QByteArray blob(int column) const {
        // The size is asked after the pointer, as SQLite's documentation wants.
        const auto* data = static_cast<const char*>(sqlite3_column_blob(m_statement, column));
        return QByteArray(data, sqlite3_column_bytes(m_statement, column));
    }

private:
    void check(int rc) const {
        if (rc != SQLITE_OK) {
            throw JournalError(m_path, kUnusable, QString::fromUtf8(sqlite3_errmsg(m_db)));
        }
    }

    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
    const QString& m_path;
};

JournalRecord recordOf(const Statement& row) {
    JournalRecord record;
    record.id = row.integer(0);
    record.time = QDateTime::fromString(row.text(1), Qt::ISODateWithMs);
    record.recipient = row.text(2);
    record.copy = row.text(3);
    record.debtorName = row.text(4);
    record.debtorId = row.integer(5);
    record.route = row.text(6);
    record.messageId = row.text(7);
    record.reply = row.text(8);
    record.documents = documentsOf(row.text(9).toUtf8());
    record.subject = row.text(10);
    record.result = resultOf(row.text(11));
    record.runId = row.text(12);
    record.test = row.integer(13) != 0;
    record.level = int(row.integer(14));
    record.messageKept = row.integer(15) != 0;
    return record;
}

}  // namespace

QString resultName(SendResult result) {
    switch (result) {
        case SendResult::Accepted:
            return QStringLiteral("accepted");
        case SendResult::Refused:
            return QStringLiteral("refused");
        case SendResult::Unsure:
            break;
    }
    return QStringLiteral("unsure");
}

SendJournal::SendJournal(const QString& path) : m_path(path) {
    const int rc =
        sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason = QString::fromUtf8(m_db != nullptr ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
        sqlite3_close(m_db);
        throw JournalError(path, "nelze otevřít", reason);
    }
    try {
        sqlite3_busy_timeout(m_db, kBusyTimeoutMs);
        execute("PRAGMA journal_mode=WAL");
        // Commits reach the operating system; the flushes to the disk are the flusher's.
        execute("PRAGMA synchronous=NORMAL");
        execute(kSchema);
        migrate();
        m_flusher = std::make_unique<JournalFlusher>(path + QStringLiteral("-wal"));
    } catch (...) {
        sqlite3_close(m_db);
        throw;
    }
}

SendJournal::~SendJournal() {
    m_flusher->request();  // the last completion too; the flusher ends once it is flushed
    m_flusher.reset();
    sqlite3_close(m_db);
}

QString SendJournal::pathIn(const QString& appDir) {
    return appDir + QStringLiteral("Upominky.db");
}

void SendJournal::execute(const char* sql) const {
    char* message = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &message) != SQLITE_OK) {
        const QString reason = QString::fromUtf8(message != nullptr ? message : sqlite3_errmsg(m_db));
        sqlite3_free(message);
        throw JournalError(m_path, kUnusable, reason);
    }
}

void SendJournal::migrate() {
    Statement columns(m_db, "SELECT name FROM pragma_table_info('reminders')", m_path);
    bool hasLevel = false;
    bool hasMessage = false;
    while (columns.step()) {
        hasLevel = hasLevel || columns.text(0) == QLatin1String("level");
        hasMessage = hasMessage || columns.text(0) == QLatin1String("message");
    }
    if (!hasLevel) {
        // The reminders sent before there were levels all had the first level's texts.
        execute("ALTER TABLE reminders ADD COLUMN level INTEGER NOT NULL DEFAULT 1");
    }
    if (!hasMessage) {
        execute("ALTER TABLE reminders ADD COLUMN message BLOB");
    }
}

QString SendJournal::addressKey(const QString& address) {
    return address.trimmed().toUpper();
}

std::map<QString, LastReminder> SendJournal::lastAccepted() const {
    const std::lock_guard lock(m_mutex);
    // SQLite takes the bare columns of an aggregate with MAX() from the row that holds the maximum.
    Statement select(m_db,
                     "SELECT recipient_key, level, MAX(time) FROM reminders"
                     " WHERE result = 'accepted' AND test = 0 AND level > 0 GROUP BY recipient_key",
                     m_path);
    std::map<QString, LastReminder> found;
    while (select.step()) {
        found[select.text(0)] = {int(select.integer(1)),
                                 QDateTime::fromString(select.text(2), Qt::ISODateWithMs)};
    }
    return found;
}

qint64 SendJournal::begin(const JournalRecord& record) {
    const Pending pending = store(record);
    awaitDurable(pending);
    return pending.id;
}

void SendJournal::awaitDurable(const Pending& pending) {
    if (!m_flusher->await(pending.flush)) {
        throw JournalError(m_path, kUnusable, QStringLiteral("zápis na disk selhal"));
    }
}

SendJournal::Pending SendJournal::store(const JournalRecord& record) {
    const std::lock_guard lock(m_mutex);
    Statement insert(
        m_db,
        "INSERT INTO reminders (time, day, recipient, recipient_key, copy, copy_key, debtor_name, "
        "debtor_id, route, message_id, reply, documents, subject, result, run_id, test, level, message) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13, ?14, ?15, ?16, ?17, ?18)",
        m_path);
    insert.bind(1, record.time.toString(Qt::ISODateWithMs));
    insert.bind(2, record.time.date().toString(Qt::ISODate));
    insert.bind(3, record.recipient);
    insert.bind(4, addressKey(record.recipient));
    insert.bind(5, record.copy);
    insert.bind(6, record.copy.trimmed().toUpper());
    insert.bind(7, record.debtorName);
    insert.bind(8, record.debtorId);
    insert.bind(9, record.route);
    insert.bind(10, record.messageId);
    insert.bind(11, record.reply);
    insert.bind(12, QString::fromUtf8(documentsJson(record.documents)));
    insert.bind(13, record.subject);
    insert.bind(14, resultName(SendResult::Unsure));
    insert.bind(15, record.runId);
    insert.bind(16, qint64(record.test ? 1 : 0));
    insert.bind(17, qint64(record.level));
    insert.bind(18, record.message);
    insert.step();
    return {sqlite3_last_insert_rowid(m_db), m_flusher->request()};
}

void SendJournal::finish(qint64 id, SendResult result, const QString& reply, const QString& messageId,
                         const QByteArray& message) {
    const std::lock_guard lock(m_mutex);
    Statement update(m_db,
                     "UPDATE reminders SET result = ?1, reply = ?2,"
                     " message_id = CASE WHEN ?3 = '' THEN message_id ELSE ?3 END,"
                     " message = COALESCE(?5, message) WHERE id = ?4",
                     m_path);
    update.bind(1, resultName(result));
    update.bind(2, reply);
    update.bind(3, messageId);
    update.bind(4, id);
    update.bind(5, message);
    update.step();  // flushed with the next record (see the class comment)
}

void SendJournal::discard(qint64 id) {
    const std::lock_guard lock(m_mutex);
    Statement remove(m_db, "DELETE FROM reminders WHERE id = ?1", m_path);
    remove.bind(1, id);
    remove.step();
}

std::vector<JournalRecord> SendJournal::records(const QString& address, const QDate& since) const {
    const std::lock_guard lock(m_mutex);
    const QByteArray sql = QByteArray("SELECT ") + kColumns +
                           " FROM reminders WHERE (?1 = '' OR recipient_key = ?1 OR copy_key = ?1)"
                           " AND day >= ?2 ORDER BY time DESC, id DESC";
    Statement select(m_db, sql.constData(), m_path);
    select.bind(1, address.trimmed().toUpper());
    select.bind(2, since.isValid() ? since.toString(Qt::ISODate) : QString());
    std::vector<JournalRecord> found;
    while (select.step()) {
        found.push_back(recordOf(select));
    }
    return found;
}

std::vector<JournalRecord> SendJournal::debtorRecords(const QString& address, qint64 debtorId,
                                                      const QString& debtorName) const {
    const std::lock_guard lock(m_mutex);
    const QByteArray sql =
        QByteArray("SELECT ") + kColumns +
        " FROM reminders WHERE (?1 <> '' AND recipient_key = ?1)"
        " OR (test = 1 AND debtor_id = ?2 AND debtor_name = ?3) ORDER BY time DESC, id DESC";
    Statement select(m_db, sql.constData(), m_path);
    select.bind(1, address.trimmed().toUpper());
    select.bind(2, debtorId);
    select.bind(3, debtorName);
    std::vector<JournalRecord> found;
    while (select.step()) {
        found.push_back(recordOf(select));
    }
    return found;
}

std::optional<QByteArray> SendJournal::message(qint64 id) const {
    const std::lock_guard lock(m_mutex);
    Statement select(m_db, "SELECT message FROM reminders WHERE id = ?1 AND message IS NOT NULL", m_path);
    select.bind(1, id);
    if (!select.step()) {
        return std::nullopt;
    }
    return select.blob(0);
}

std::optional<SendResult> SendJournal::resultOn(const QString& address, const QDate& day) const {
    const std::lock_guard lock(m_mutex);
    Statement select(
        m_db,
        "SELECT MAX(CASE result WHEN 'accepted' THEN 2 WHEN 'unsure' THEN 1 ELSE 0 END) FROM reminders"
        " WHERE recipient_key = ?1 AND day = ?2 AND test = 0 HAVING COUNT(*) > 0",
        m_path);
    select.bind(1, address.trimmed().toUpper());
    select.bind(2, day.toString(Qt::ISODate));
    if (!select.step()) {
        return std::nullopt;
    }
    switch (select.integer(0)) {
        case 2:
            return SendResult::Accepted;
        case 1:
            return SendResult::Unsure;
        default:
            return SendResult::Refused;
    }
}

}  // namespace tervalo::state
