#pragma once

#include "memtable/FieldDef.h"
#include "memtable/MemTableError.h"
#include "memtable/MemTableObserver.h"
#include "memtable/RowStore.h"
#include "memtable/TableIndex.h"
#include "platform/SystemLocale.h"

#include <QCollator>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace tervalo::memtable {

// The in-memory table behind mtFirmy, mtDoklady, the variable maps and mtEmailKlient.
//
// Fields are defined while the table is closed; open() makes it usable, close() empties it (fields,
// indexes, filter and master link stay). Rows are appended through a one-row edit buffer
// (append / edit, set values, post or cancel) and read either through the current row or directly
// by row id.
//
// The view is what the table shows, counts and walks: the rows in the order of the current index
// (append order without one), limited by the filter when it is on and by the master link. Views
// are computed when next used, so appending many rows with no one watching costs no re-sorting.
//
// Navigation follows the dataset conventions: first() sets bof, last() sets eof, next() on the last
// row sets eof and stays, prior() on the first row sets bof and stays; on an empty view both are set.
// The current row stays on its row when the order, the filter or the master's row change, as long
// as the row remains in view; otherwise the first row of the view becomes current. A change of the
// master's row always makes the detail's first row current.
class MemTable {
public:
    enum class State { Browse, Insert, Edit };

    // Remembers a row across changes of order and filter; stale after close().
    struct Bookmark {
        RowId row = -1;
        std::uint32_t generation = 0;
    };

    MemTable(QString name, const platform::SystemLocale& locale);
    ~MemTable();
    MemTable(const MemTable&) = delete;
    MemTable& operator=(const MemTable&) = delete;

    const QString& name() const { return m_name; }

    // ---- Structure
    void addField(const QString& name, FieldType type, int size = 0);  // closed table only
    int fieldCount() const { return m_store.columnCount(); }
    const FieldDef& fieldDef(int field) const { return m_store.def(field); }
    int fieldIndex(QStringView name) const;  // case-insensitive; -1 when unknown
    int field(QStringView name) const;       // as fieldIndex, throws when unknown

    void addIndex(const QString& name, QStringView fieldName);  // Text, Float, Integer or Boolean field
    QStringList indexNames() const;
    void setCurrentIndex(QStringView name);  // case-insensitive; empty: append order
    QString currentIndex() const;

    // ---- Lifecycle
    void open();
    void close();
    bool isOpen() const { return m_open; }
    void reserve(int rows) { m_store.reserve(rows); }

    // ---- Editing the current row
    State state() const { return m_state; }
    void append();  // starts a new row with every field null
    void edit();    // starts editing the current row
    // Stores the buffer. An appended row becomes current when it is in view, else the view's first
    // row does; an edited row stays current while in view.
    void post();
    void cancel();

    // ---- Appending many rows (a load): without the edit buffer, each value stored in place and
    // typed, so a million rows cost no QVariant per value. appendRow() starts a row with every field
    // null; post() and cancel() end it as they end append().
    void appendRow();
    void putText(int field, QStringView text);  // cut to the field's size; empty is null
    void putFloat(int field, double value) {
        m_store.setFloat(appendedRow(field, FieldType::Float), field, value);
    }
    void putInt(int field, int value) {
        m_store.setInt(appendedRow(field, FieldType::Integer), field, value);
    }
    void putBool(int field, bool value) {
        m_store.setBool(appendedRow(field, FieldType::Boolean), field, value);
    }

    void setValue(int field, const QVariant& value);                         // an invalid QVariant sets null
    void setText(int field, const QString& text) { setValue(field, text); }  // cut to the field's size
    void setFloat(int field, double value) { setValue(field, value); }
    void setInt(int field, int value) { setValue(field, value); }
    void setBool(int field, bool value) { setValue(field, value); }
    void setNull(int field) { setValue(field, QVariant()); }
    void setValue(QStringView name, const QVariant& value) { setValue(field(name), value); }
    void setText(QStringView name, const QString& text) { setValue(field(name), text); }
    void setFloat(QStringView name, double value) { setValue(field(name), value); }
    void setInt(QStringView name, int value) { setValue(field(name), value); }
    void setBool(QStringView name, bool value) { setValue(field(name), value); }
    void setNull(QStringView name) { setValue(field(name), QVariant()); }

    // ---- Values of the current row (the edit buffer while editing); null or no row reads as
    // empty, 0 or false. Typed getters throw on a field of another type.
    QVariant value(int field) const;
    QString text(int field) const;
    double floatValue(int field) const;
    int intValue(int field) const;
    bool boolValue(int field) const;
    bool isNull(int field) const { return !value(field).isValid(); }
    QVariant value(QStringView name) const { return value(field(name)); }
    QString text(QStringView name) const { return text(field(name)); }
    double floatValue(QStringView name) const { return floatValue(field(name)); }
    int intValue(QStringView name) const { return intValue(field(name)); }
    bool boolValue(QStringView name) const { return boolValue(field(name)); }
    bool isNull(QStringView name) const { return isNull(field(name)); }

    // ---- Values of any stored row, for models: whatever the state and the view. Throw on a row or
    // field out of range and, typed, on a field of another type.
    int rowCount() const { return m_store.rowCount(); }  // all stored rows, whatever the view
    QVariant value(RowId row, int field) const;
    QString text(RowId row, int field) const;
    double floatValue(RowId row, int field) const;
    int intValue(RowId row, int field) const;
    bool boolValue(RowId row, int field) const;
    bool isNull(RowId row, int field) const;

    // ---- The view
    int recordCount() const;
    bool isEmpty() const { return recordCount() == 0; }
    RowId rowAt(int position) const;                     // position 0 .. recordCount() - 1
    int positionOf(RowId row) const;                     // -1 when the row is not in view
    RowId currentRow() const;                            // -1 when the view is empty
    int currentPosition() const;                         // 0-based; -1 when the view is empty
    int recNo() const { return currentPosition() + 1; }  // 1-based; 0 when the view is empty
    bool bof() const;
    bool eof() const;

    void first();
    void last();
    void next();
    void prior();
    bool moveTo(int position);  // false (and no move) outside the view
    bool moveToRow(RowId row);  // false (and no move) when the row is not in view

    // Exact search on the current index within the view: the first row whose key is the same
    // value (texts: the same characters, letter case and blanks included, after cutting the value to
    // the field's size). Not found leaves the current row as it is.
    bool findKey(const QVariant& value);

    // The filter "field = value", compared as findKey compares.
    void setFilter(QStringView fieldName, const QVariant& value);
    void setFiltered(bool on);
    bool filtered() const { return m_filtered; }

    // Shows only rows whose detailField equals masterField of master's current row (none while the
    // master's view is empty). The fields must be of the same type. Destroying either table ends
    // the link.
    void setMasterLink(MemTable* master, QStringView masterField, QStringView detailField);
    void clearMasterLink();

    Bookmark bookmark() const { return {currentRow(), m_generation}; }
    bool gotoBookmark(const Bookmark& bookmark);

    // ---- Notifications to views
    void disableControls();
    void enableControls();  // the outermost call sends one viewReset when anything changed
    bool controlsDisabled() const { return m_disableCount > 0; }
    void addObserver(MemTableObserver* observer);
    void removeObserver(MemTableObserver* observer);

    std::size_t memoryBytes() const;

private:
    enum class ViewKind { AppendOrder, IndexOrder, Rows };

    void requireOpen() const;
    void requireBrowse() const;
    void requireType(int field, FieldType type) const;
    void requireRow(RowId row) const;
    int checkedField(int field) const;
    QVariant normalise(int field, const QVariant& value) const;
    TableIndex* findIndex(QStringView name);

    // The view, computed on demand.
    void ensureView() const;
    void buildView() const;
    bool inView(RowId row) const;
    bool orderLess(RowId a, RowId b) const;
    RowId masterRow() const;

    // Notification bookkeeping.
    bool watched() const { return !m_observers.empty() && m_disableCount == 0; }
    void invalidateView();
    void beginViewChange();
    void endViewChange();
    void setCurrent(RowId row, int position);
    void announceCurrent();
    void masterMoved();
    void postInsert();
    void showInsertedRow(RowId row);
    void postEdit();
    // The row appendRow() started, once `field` is known to take a value of `type` (checked inline:
    // a load calls this for every value).
    RowId appendedRow(int field, FieldType type) const {
        if (!m_appendingRow || field < 0 || field >= fieldCount() || fieldDef(field).type != type) {
            rowAppendMisuse(field, type);
        }
        return m_store.rowCount() - 1;
    }
    [[noreturn]] void rowAppendMisuse(int field, FieldType type) const;

    QString m_name;
    QCollator m_collator;
    RowStore m_store;
    bool m_open = false;
    std::uint32_t m_generation = 1;

    mutable std::vector<TableIndex> m_indexes;
    int m_currentIndex = -1;

    bool m_filtered = false;
    int m_filterField = -1;
    QVariant m_filterValue;

    MemTable* m_master = nullptr;
    int m_masterField = -1;
    int m_detailField = -1;
    int m_linkIndex = -1;  // an index on m_detailField, hidden when the table has none of its own
    std::vector<MemTable*> m_details;

    // Edit buffer.
    State m_state = State::Browse;
    std::vector<QVariant> m_buffer;
    std::vector<bool> m_modified;
    bool m_appendingRow = false;  // appendRow(): the row is in the store already
    RowId m_editRow = -1;         // the row edit() started on, whatever moves meanwhile

    // View and current row; m_currentPosition -1 means "not yet located".
    mutable bool m_viewValid = false;
    mutable ViewKind m_viewKind = ViewKind::AppendOrder;
    mutable std::vector<RowId> m_viewRows;  // ViewKind::Rows
    mutable int m_appendOrderCount = 0;     // ViewKind::AppendOrder: rows 0 .. count - 1
    mutable RowId m_viewMasterRow = -1;
    mutable RowId m_current = -1;
    mutable int m_currentPosition = -1;
    mutable bool m_bof = true;
    mutable bool m_eof = true;

    std::vector<MemTableObserver*> m_observers;
    int m_disableCount = 0;
    bool m_resetAnnounced = false;
    bool m_resetPending = false;
    bool m_currentPending = false;
};

}  // namespace tervalo::memtable
