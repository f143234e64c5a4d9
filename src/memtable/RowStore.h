#pragma once

#include "memtable/FieldDef.h"
#include "memtable/SharedTexts.h"
#include "memtable/TextArena.h"
#include "platform/LargeBlock.h"

#include <QCollator>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace tervalo::memtable {

// Index key order of texts: by the collation, then by the exact text, so texts that collate equal
// but differ still have a fixed order.
int compareTexts(QStringView a, QStringView b, const QCollator& collator);
// Total order of doubles: NaN after every number and equal to itself (std::sort needs one).
int compareDoubles(double a, double b);

// Column-wise storage of a table's rows: one typed vector per field, texts in a shared arena, null
// flags as bits. About 4 bytes per text cell plus its characters, 8 per float, 4 per integer, 1 per
// boolean, 24 per memo. A text column stores each of its first kMaxShared distinct values once
// (dates, currencies and codes repeat from row to row); past that, or as soon as most values turn
// out new, it stops looking values up.
//
// Values handed to set() and keys handed to the comparisons are normalised by the caller to the
// field's type: QString for Text and Memo (already cut), double, int, bool; an invalid QVariant is
// null.
class RowStore {
public:
    void addColumn(const FieldDef& def);
    int columnCount() const { return int(m_columns.size()); }
    const FieldDef& def(int field) const { return m_columns[std::size_t(field)].def; }

    int rowCount() const { return m_rowCount; }
    void appendRow();
    void reserve(int rows);
    void clear();

    bool isNull(RowId row, int field) const;
    QStringView text(RowId row, int field) const;  // Text and Memo
    double floatAt(RowId row, int field) const { return column(field).floats[std::size_t(row)]; }
    int intAt(RowId row, int field) const { return column(field).ints[std::size_t(row)]; }
    bool boolAt(RowId row, int field) const { return column(field).bools[std::size_t(row)] != 0; }
    QVariant value(RowId row, int field) const;
    void set(RowId row, int field, const QVariant& value);
    // Typed stores of a value that is not null (an empty text is null).
    void setText(RowId row, int field, QStringView text);
    void setFloat(RowId row, int field, double value) {
        Column& c = mutableColumn(field);
        c.floats[std::size_t(row)] = value;
        c.nulls[std::size_t(row)] = false;
    }
    void setInt(RowId row, int field, int value) {
        Column& c = mutableColumn(field);
        c.ints[std::size_t(row)] = value;
        c.nulls[std::size_t(row)] = false;
    }
    void setBool(RowId row, int field, bool value) {
        Column& c = mutableColumn(field);
        c.bools[std::size_t(row)] = std::uint8_t(value);
        c.nulls[std::size_t(row)] = false;
    }
    void removeLastRow();  // its texts stay in the arena until clear()

    // Key order of an index: text by the collation, then by the exact text (so texts that collate
    // equal but differ still have a fixed order); numbers numerically, false before true, null first.
    int compare(int field, RowId a, RowId b, const QCollator& collator) const;
    int compareToKey(int field, RowId row, const QVariant& key, const QCollator& collator) const;
    // Equality as findKey and the filter use it: exactly the same text, the same number.
    bool equalsKey(int field, RowId row, const QVariant& key) const;

    std::size_t memoryBytes() const;

private:
    // A column of a million rows takes megabytes: it goes into large blocks.
    template <typename T>
    using Values = std::vector<T, platform::LargeBlockAllocator<T>>;
    struct Column {
        FieldDef def;
        Values<TextArena::Handle> texts;
        std::vector<QString> memos;
        Values<double> floats;
        Values<std::int32_t> ints;
        Values<std::uint8_t> bools;
        std::vector<bool> nulls;  // numbers and booleans: set while the cell holds no value
        SharedTexts shared;
        bool sharing = true;
        TextArena::Handle lastText = TextArena::kEmpty;  // the text stored last
        std::size_t sharedLookups = 0;
        std::size_t sharedMisses = 0;
    };
    static constexpr std::size_t kMaxShared = 65536;
    // Misses before the column may give up sharing: more than a column of dates has distinct values.
    static constexpr std::size_t kSharingTrial = 16384;

    TextArena::Handle storeText(Column& column, QStringView text);
    TextArena::Handle sharedOrAdded(Column& column, QStringView text);
    Column& mutableColumn(int field) { return m_columns[std::size_t(field)]; }

    const Column& column(int field) const { return m_columns[std::size_t(field)]; }

    std::vector<Column> m_columns;
    TextArena m_arena;
    int m_rowCount = 0;
};

}  // namespace tervalo::memtable
