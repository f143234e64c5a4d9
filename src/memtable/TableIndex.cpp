#include "memtable/TableIndex.h"

#include <QHash>

#include <algorithm>
#include <cstdint>
#include <numeric>

namespace tervalo::memtable {

namespace {

// Below this many pending rows, binary insertion beats sorting and merging.
constexpr std::size_t kInsertOneByOne = 16;

auto keyThenRowLess(int field, const RowStore& store, const QCollator& collator) {
    return [field, &store, &collator](RowId a, RowId b) {
        int c = store.compare(field, a, b, collator);
        return c < 0 || (c == 0 && a < b);
    };
}

// Sorts rows appended in one batch (ascending row ids) by (key, row id). The keys are read once, in
// row order, and the sort works on copies of them: comparing through the columns would make every
// comparison two random memory reads.
void sortBatch(std::vector<RowId>& batch, int field, const RowStore& store, const QCollator& collator) {
    if (store.def(field).type == FieldType::Text) {
        // Equal texts are ranked once: the distinct values are sorted by collation and exact text, then
        // the rows are placed by rank with a counting sort, which keeps equal ranks in row order.
        struct Distinct {
            QStringView text;
            std::uint32_t id;
        };
        QHash<QStringView, std::uint32_t> idOf;
        std::vector<Distinct> byText;
        std::vector<std::uint32_t> valueId(batch.size());
        for (std::size_t i = 0; i < batch.size(); ++i) {
            const QStringView text = store.text(batch[i], field);
            auto it = idOf.constFind(text);
            if (it == idOf.constEnd()) {
                const auto id = std::uint32_t(byText.size());
                idOf.insert(text, id);
                byText.push_back({text, id});
                valueId[i] = id;
            } else {
                valueId[i] = it.value();
            }
        }
        std::sort(byText.begin(), byText.end(), [&](const Distinct& a, const Distinct& b) {
            return compareTexts(a.text, b.text, collator) < 0;
        });
        std::vector<std::uint32_t> count(byText.size(), 0);
        for (std::uint32_t id : valueId) {
            ++count[id];
        }
        std::vector<std::uint32_t> nextSlot(byText.size());  // per value, where its next row goes
        std::uint32_t slot = 0;
        for (const Distinct& value : byText) {
            nextSlot[value.id] = slot;
            slot += count[value.id];
        }
        std::vector<RowId> sorted(batch.size());
        for (std::size_t i = 0; i < batch.size(); ++i) {
            sorted[nextSlot[valueId[i]]++] = batch[i];
        }
        batch.swap(sorted);
        return;
    }
    struct Key {
        double value;
        RowId row;
        bool null;
    };
    std::vector<Key> keys;
    keys.reserve(batch.size());
    for (RowId row : batch) {
        const bool null = store.isNull(row, field);
        double value = 0;
        if (!null) {
            switch (store.def(field).type) {
                case FieldType::Float:
                    value = store.floatAt(row, field);
                    break;
                case FieldType::Integer:
                    value = store.intAt(row, field);
                    break;
                default:
                    value = store.boolAt(row, field) ? 1 : 0;
            }
        }
        keys.push_back({value, row, null});
    }
    std::sort(keys.begin(), keys.end(), [](const Key& a, const Key& b) {
        if (a.null != b.null) {
            return a.null;
        }
        int c = compareDoubles(a.value, b.value);
        return c < 0 || (c == 0 && a.row < b.row);
    });
    for (std::size_t i = 0; i < keys.size(); ++i) {
        batch[i] = keys[i].row;
    }
}

}  // namespace

const std::vector<RowId>& TableIndex::order(const RowStore& store, const QCollator& collator) {
    const std::size_t sorted = m_order.size();
    const auto total = std::size_t(store.rowCount());
    if (sorted == total) {
        return m_order;
    }
    auto less = keyThenRowLess(m_field, store, collator);
    if (total - sorted <= kInsertOneByOne) {
        for (auto row = RowId(sorted); row < RowId(total); ++row) {
            m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row, less), row);
        }
        return m_order;
    }
    std::vector<RowId> batch(total - sorted);
    std::iota(batch.begin(), batch.end(), RowId(sorted));
    sortBatch(batch, m_field, store, collator);
    m_order.reserve(total);
    m_order.insert(m_order.end(), batch.begin(), batch.end());
    std::inplace_merge(m_order.begin(), m_order.begin() + std::ptrdiff_t(sorted), m_order.end(), less);
    return m_order;
}

bool TableIndex::removeRow(RowId row) {
    if (std::size_t(row) >= m_order.size()) {
        return false;
    }
    m_order.erase(std::find(m_order.begin(), m_order.end(), row));
    return true;
}

void TableIndex::insertRow(RowId row, const RowStore& store, const QCollator& collator) {
    auto less = keyThenRowLess(m_field, store, collator);
    m_order.insert(std::upper_bound(m_order.begin(), m_order.end(), row, less), row);
}

}  // namespace tervalo::memtable
