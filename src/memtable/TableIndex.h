#pragma once

#include "memtable/RowStore.h"

#include <QCollator>
#include <QString>

#include <vector>

namespace tervalo::memtable {

// An ascending single-field index: the table's rows ordered by (key, row id), so rows with equal
// keys keep their append order. Rows appended since the index was last used are merged in when it
// is next asked for its order: a few by binary insertion, many by sorting them and merging, so a
// million appends cost one sort, not a million insertions.
class TableIndex {
public:
    TableIndex(QString name, int field, bool hidden)
        : m_name(std::move(name)), m_field(field), m_hidden(hidden) {}

    const QString& name() const { return m_name; }
    int field() const { return m_field; }
    // Made by the table for a master link; not listed and not selectable by name.
    bool hidden() const { return m_hidden; }

    // Brings the order up to date with the stored rows and returns it.
    const std::vector<RowId>& order(const RowStore& store, const QCollator& collator);
    // The order as it stands, rows appended since the last order() call missing.
    const std::vector<RowId>& rows() const { return m_order; }
    void clear() { m_order.clear(); }

    // Around a change of the key of a row: take it out while its old key still orders it (false when
    // the row is still pending and so not in the order), put it back once the new key is stored.
    // insertRow also adds the one row appended since the order was last brought up to date.
    bool removeRow(RowId row);
    void insertRow(RowId row, const RowStore& store, const QCollator& collator);

private:
    QString m_name;
    int m_field;
    bool m_hidden;
    std::vector<RowId> m_order;  // a permutation of the rows 0 .. m_order.size() - 1
};

}  // namespace tervalo::memtable
