#include "memtable/TableIndex.h"

#include <algorithm>

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
    m_order.reserve(total);
    for (auto row = RowId(sorted); row < RowId(total); ++row) {
        m_order.push_back(row);
    }
    auto middle = m_order.begin() + std::ptrdiff_t(sorted);
    std::sort(middle, m_order.end(), less);
    std::inplace_merge(m_order.begin(), middle, m_order.end(), less);
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
