#include "memtable/RowStore.h"

#include <cmath>

namespace tervalo::memtable {

namespace {

template <typename T>
int compareValues(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

int compareDoubles(double a, double b) {
    if (a < b) {
        return -1;
    }
    if (b < a) {
        return 1;
    }
    return int(std::isnan(a)) - int(std::isnan(b));
}

int compareTexts(QStringView a, QStringView b, const QCollator& collator) {
    int byCollation = collator.compare(a, b);
    if (byCollation != 0) {
        return byCollation;
    }
    return a.compare(b, Qt::CaseSensitive);
}

void RowStore::addColumn(const FieldDef& def) {
    Column column;
    column.def = def;
    m_columns.push_back(std::move(column));
}

void RowStore::appendRow() {
    for (auto& c : m_columns) {
        switch (c.def.type) {
            case FieldType::Text:
                c.texts.push_back(TextArena::kEmpty);
                break;
            case FieldType::Memo:
                c.memos.emplace_back();
                break;
            case FieldType::Float:
                c.floats.push_back(0.0);
                c.nulls.push_back(true);
                break;
            case FieldType::Integer:
                c.ints.push_back(0);
                c.nulls.push_back(true);
                break;
            case FieldType::Boolean:
                c.bools.push_back(0);
                c.nulls.push_back(true);
                break;
        }
    }
    ++m_rowCount;
}

void RowStore::reserve(int rows) {
    const auto n = std::size_t(rows);
    for (auto& c : m_columns) {
        switch (c.def.type) {
            case FieldType::Text:
                c.texts.reserve(n);
                break;
            case FieldType::Memo:
                c.memos.reserve(n);
                break;
            case FieldType::Float:
                c.floats.reserve(n);
                c.nulls.reserve(n);
                break;
            case FieldType::Integer:
                c.ints.reserve(n);
                c.nulls.reserve(n);
                break;
            case FieldType::Boolean:
                c.bools.reserve(n);
                c.nulls.reserve(n);
                break;
        }
    }
}

void RowStore::clear() {
    for (auto& c : m_columns) {
        Column emptied;
        emptied.def = c.def;
        c = std::move(emptied);
    }
    m_arena.clear();
    m_rowCount = 0;
}

bool RowStore::isNull(RowId row, int field) const {
    const Column& c = column(field);
    switch (c.def.type) {
        case FieldType::Text:
            return c.texts[std::size_t(row)] == TextArena::kEmpty;
        case FieldType::Memo:
            return c.memos[std::size_t(row)].isEmpty();
        default:
            return c.nulls[std::size_t(row)];
    }
}

QStringView RowStore::text(RowId row, int field) const {
    const Column& c = column(field);
    if (c.def.type == FieldType::Memo) {
        return c.memos[std::size_t(row)];
    }
    return m_arena.view(c.texts[std::size_t(row)]);
}

QVariant RowStore::value(RowId row, int field) const {
    if (isNull(row, field)) {
        return {};
    }
    switch (def(field).type) {
        case FieldType::Text:
        case FieldType::Memo:
            return text(row, field).toString();
        case FieldType::Float:
            return floatAt(row, field);
        case FieldType::Integer:
            return intAt(row, field);
        case FieldType::Boolean:
            return boolAt(row, field);
    }
    return {};
}

void RowStore::set(RowId row, int field, const QVariant& value) {
    if (value.isValid()) {
        switch (def(field).type) {
            case FieldType::Text:
            case FieldType::Memo:
                setText(row, field, value.toString());
                return;
            case FieldType::Float:
                setFloat(row, field, value.toDouble());
                return;
            case FieldType::Integer:
                setInt(row, field, value.toInt());
                return;
            case FieldType::Boolean:
                setBool(row, field, value.toBool());
                return;
        }
    }
    Column& c = mutableColumn(field);
    const auto r = std::size_t(row);
    switch (c.def.type) {
        case FieldType::Text:
            c.texts[r] = TextArena::kEmpty;
            return;
        case FieldType::Memo:
            c.memos[r] = QString();
            return;
        case FieldType::Float:
            c.floats[r] = 0.0;
            break;
        case FieldType::Integer:
            c.ints[r] = 0;
            break;
        case FieldType::Boolean:
            c.bools[r] = 0;
            break;
    }
    c.nulls[r] = true;
}

void RowStore::setText(RowId row, int field, QStringView text) {
    Column& c = mutableColumn(field);
    if (c.def.type == FieldType::Memo) {
        c.memos[std::size_t(row)] = text.toString();
    } else {
        c.texts[std::size_t(row)] = text.isEmpty() ? TextArena::kEmpty : storeText(c, text);
    }
}

void RowStore::removeLastRow() {
    for (auto& c : m_columns) {
        switch (c.def.type) {
            case FieldType::Text:
                c.texts.pop_back();
                break;
            case FieldType::Memo:
                c.memos.pop_back();
                break;
            case FieldType::Float:
                c.floats.pop_back();
                c.nulls.pop_back();
                break;
            case FieldType::Integer:
                c.ints.pop_back();
                c.nulls.pop_back();
                break;
            case FieldType::Boolean:
                c.bools.pop_back();
                c.nulls.pop_back();
                break;
        }
    }
    --m_rowCount;
}

TextArena::Handle RowStore::storeText(Column& column, QStringView text) {
    // Neighbouring rows often hold the same value (one debtor's documents share dates and currency):
    // comparing with the column's last text is cheaper than any lookup.
    if (column.lastText != TextArena::kEmpty && m_arena.view(column.lastText) == text) {
        return column.lastText;
    }
    column.lastText = sharedOrAdded(column, text);
    return column.lastText;
}

TextArena::Handle RowStore::sharedOrAdded(Column& column, QStringView text) {
    if (!column.sharing) {
        return m_arena.add(text);
    }
    const std::uint32_t hash = SharedTexts::hashOf(text);
    ++column.sharedLookups;
    if (const TextArena::Handle found = column.shared.find(text, hash, m_arena); found != TextArena::kEmpty) {
        return found;
    }
    const TextArena::Handle handle = m_arena.add(text);
    ++column.sharedMisses;
    // Stop looking values up once most of them turn out new (document numbers, names): then the
    // lookups cost more than the sharing saves.
    const bool mostlyDistinct =
        column.sharedMisses >= kSharingTrial && column.sharedMisses * 2 > column.sharedLookups;
    if (column.shared.size() < kMaxShared && !mostlyDistinct) {
        column.shared.insert(hash, handle);
    } else {
        column.sharing = false;
        column.shared.clear();
    }
    return handle;
}

int RowStore::compare(int field, RowId a, RowId b, const QCollator& collator) const {
    const Column& c = column(field);
    if (c.def.type == FieldType::Text || c.def.type == FieldType::Memo) {
        return compareTexts(text(a, field), text(b, field), collator);
    }
    const bool nullA = c.nulls[std::size_t(a)];
    const bool nullB = c.nulls[std::size_t(b)];
    if (nullA || nullB) {
        return int(nullB) - int(nullA);
    }
    switch (c.def.type) {
        case FieldType::Float:
            return compareDoubles(c.floats[std::size_t(a)], c.floats[std::size_t(b)]);
        case FieldType::Integer:
            return compareValues(c.ints[std::size_t(a)], c.ints[std::size_t(b)]);
        default:
            return compareValues(c.bools[std::size_t(a)], c.bools[std::size_t(b)]);
    }
}

int RowStore::compareToKey(int field, RowId row, const QVariant& key, const QCollator& collator) const {
    const Column& c = column(field);
    if (c.def.type == FieldType::Text || c.def.type == FieldType::Memo) {
        const QString keyText = key.toString();
        return compareTexts(text(row, field), keyText, collator);
    }
    const bool nullRow = c.nulls[std::size_t(row)];
    const bool nullKey = !key.isValid();
    if (nullRow || nullKey) {
        return int(nullKey) - int(nullRow);
    }
    switch (c.def.type) {
        case FieldType::Float:
            return compareDoubles(c.floats[std::size_t(row)], key.toDouble());
        case FieldType::Integer:
            return compareValues(c.ints[std::size_t(row)], std::int32_t(key.toInt()));
        default:
            return compareValues(c.bools[std::size_t(row)], std::uint8_t(key.toBool()));
    }
}

bool RowStore::equalsKey(int field, RowId row, const QVariant& key) const {
    const Column& c = column(field);
    if (c.def.type == FieldType::Text || c.def.type == FieldType::Memo) {
        return text(row, field) == key.toString();
    }
    const bool nullRow = c.nulls[std::size_t(row)];
    if (nullRow || !key.isValid()) {
        return nullRow && !key.isValid();
    }
    switch (c.def.type) {
        case FieldType::Float:
            return c.floats[std::size_t(row)] == key.toDouble();
        case FieldType::Integer:
            return c.ints[std::size_t(row)] == key.toInt();
        default:
            return (c.bools[std::size_t(row)] != 0) == key.toBool();
    }
}

std::size_t RowStore::memoryBytes() const {
    std::size_t bytes = m_arena.bytesAllocated();
    for (const auto& c : m_columns) {
        bytes += c.shared.memoryBytes();
        bytes += c.texts.capacity() * sizeof(TextArena::Handle) + c.floats.capacity() * sizeof(double) +
                 c.ints.capacity() * sizeof(std::int32_t) + c.bools.capacity() + c.nulls.capacity() / 8;
        for (const QString& memo : c.memos) {
            bytes += sizeof(QString) + std::size_t(memo.capacity()) * sizeof(QChar);
        }
    }
    return bytes;
}

}  // namespace tervalo::memtable
