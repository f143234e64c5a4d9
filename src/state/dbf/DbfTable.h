#pragma once

#include "state/dbf/MdxIndex.h"
#include "state/dbf/MemoFile.h"
#include "state/dbf/SharedFile.h"
#include "state/dbf/TableLayout.h"

#include "platform/AnsiCodec.h"
#include "platform/SystemLocale.h"

#include <QDate>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace tervalo::state::dbf {

class KeyCollation;

enum class OpenMode { Shared, Exclusive };

// One dBASE table with its memo file and production index, opened shared with other processes.
//
// Locks, always taken in this order so that two processes never wait on each other in a circle:
// the append lock, a record lock, the memo header, the index, the table header. Every write of a record
// or the header happens under the exclusive index lock, and every read of the index under the shared
// one, so a reader never meets a record whose keys are half written.
//
// Writes are ordered so that a process killed between any two of them leaves files that open: memo
// blocks before the record that points to them, the record before the header count that covers it, the
// index keys last. Opening repairs what a kill can leave: a header count below the file's records and
// an index that disagrees with the table (rebuilt).
class DbfTable {
public:
    explicit DbfTable(const platform::SystemLocale& locale);
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    void setFileName(const QString& path) { m_path = path; }
    const QString& fileName() const { return m_path; }
    // Fields and index tags of a table this object creates; the tags also say which index to open.
    void setFieldDefs(std::vector<FieldDef> fields) { m_fieldDefs = std::move(fields); }
    void setIndexDefs(std::vector<IndexDef> defs) { m_indexDefs = std::move(defs); }
    // Makes the tag whose key field is `fieldName` (any case, blanks ignored) the active order; no match
    // gives record-number order.
    void setIndexFieldNames(const QString& fieldName);

    // Opens, creating the three files first when the table file is missing and `create` is set.
    void open(OpenMode mode = OpenMode::Shared, bool create = true);
    void close();
    bool isOpen() const { return m_dat.isOpen(); }

    const TableLayout& layout() const { return m_layout; }
    bool hasField(const QString& name) const { return m_layout.fieldIndex(name) >= 0; }
    quint8 languageDriver() const { return m_layout.languageDriver; }
    // The code page of the table's text.
    const platform::AnsiCodec& codec() const { return *m_codec; }
    // Records in the file, deleted ones included, as its header says now.
    quint32 recordCount() const;

    // The current record: 0 when the table is empty.
    quint32 recNo() const { return m_recNo; }
    bool first();
    bool next();
    // Exact search for `value`: one index search when the active tag's key expression is `field`,
    // otherwise a scan comparing text without regard to letter case. Positions on the record found.
    bool locate(const QString& field, const QString& value);
    // Locate, then edit the record found or start appending one; other processes cannot append
    // until this append is posted or cancelled, so a key is never appended twice.
    bool locateForWrite(const QString& field, const QString& value);

    void append();
    // Fails with "Record locked." when another process edits the record.
    void edit();
    void post();
    void cancel();
    bool isEditing() const { return m_mode != Mode::Browse; }

    QString fieldText(const QString& field) const;
    void setFieldText(const QString& field, const QString& text);
    bool fieldFlag(const QString& field) const;
    void setFieldFlag(const QString& field, bool value);
    QDate fieldDate(const QString& field) const;
    void setFieldDate(const QString& field, const QDate& date);
    bool isFieldEmpty(const QString& field) const;
    QString memoText(const QString& field) const;
    // The memo text of `field` in `record`, the bytes of a record as visitLiveRecords hands them.
    QString memoText(const QString& field, const char* record) const;
    void setMemoText(const QString& field, const QString& text);
    bool isDeleted() const { return !m_record.isEmpty() && m_record[0] == '*'; }

    // Every record not deleted, in record order, read in large blocks under the shared index lock so
    // that no record is seen half written. The record's bytes are valid during the call only.
    using RecordVisitor = std::function<void(quint32 record, const char* bytes)>;
    void visitLiveRecords(const RecordVisitor& visit) const;

private:
    enum class Mode { Browse, Edit, Insert };
    struct IndexTag {
        IndexDef def;
        int field = -1;
        int tag = -1;  // in the .mdx
    };

    QString siblingPath(const char* extension) const;
    void createFiles();
    void readLayout();
    void correctRecordCount();
    void openIndexes();
    bool openAndCheckIndexes();
    void rebuildIndexes();
    void writeHeaderByte28();
    QByteArray readRecord(quint32 record) const;
    QByteArray readAllRecords(quint32 count) const;
    // Records 1 to `count`, deleted ones included, without taking a lock.
    void visitRecords(quint32 count, const RecordVisitor& visit) const;
    qint64 recordOffset(quint32 record) const;
    const FieldDef& field(const QString& name) const;
    QByteArray keyOf(const QByteArray& record, const IndexTag& tag) const;
    QByteArray encodeKey(const QString& value, int width) const;
    void requireEditing() const;
    void writeMemos();
    void postEdit();
    void postInsert();
    void positionOn(quint32 record, const QByteArray& bytes);
    bool useIndexFor(const QString& field) const;

    const platform::SystemLocale& m_locale;
    QString m_path;
    std::vector<FieldDef> m_fieldDefs;
    std::vector<IndexDef> m_indexDefs;
    QString m_indexFieldName;

    OpenMode m_openMode = OpenMode::Shared;
    SharedFile m_dat;
    ByteLock m_openLock;
    TableLayout m_layout;
    std::optional<platform::AnsiCodec> m_codec;
    std::unique_ptr<KeyCollation> m_collation;
    std::optional<MemoFile> m_memo;
    std::unique_ptr<MdxIndex> m_index;
    std::vector<IndexTag> m_tags;
    int m_active = -1;  // in m_tags

    Mode m_mode = Mode::Browse;
    quint32 m_recNo = 0;
    QByteArray m_record;
    QByteArray m_original;  // the record as re-read by edit()
    std::map<int, QByteArray> m_pendingMemos;
    ByteLock m_recordLock;
    ByteLock m_appendLock;
};

}  // namespace tervalo::state::dbf
