#include "state/FixedKeyTable.h"

#include <algorithm>
#include <cstring>

namespace tervalo::state {

namespace {

std::size_t capacityFor(std::size_t keys) {
    std::size_t capacity = 16;
    while (capacity < keys * 2) {
        capacity *= 2;
    }
    return capacity;
}

// Mixes eight bytes at a time; the final avalanche spreads every input bit over the low bits that pick
// the slot, so keys differing only in their last digit do not crowd into neighbouring slots.
std::size_t hashOf(const char* key, std::size_t width) {
    quint64 h = 0x9E3779B97F4A7C15ull ^ width;
    for (std::size_t at = 0; at < width; at += 8) {
        quint64 chunk = 0;
        std::memcpy(&chunk, key + at, std::min<std::size_t>(8, width - at));
        h = (h ^ chunk) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return std::size_t(h);
}

}  // namespace

FixedKeyTable::FixedKeyTable(int width, std::size_t expectedKeys)
    : m_width(width), m_slots(capacityFor(expectedKeys), 0), m_mask(m_slots.size() - 1) {
    m_keys.reserve(expectedKeys * std::size_t(width));
    m_values.reserve(expectedKeys);
}

std::size_t FixedKeyTable::slotOf(const char* key) const {
    const std::size_t width = std::size_t(m_width);
    std::size_t slot = hashOf(key, width) & m_mask;
    while (m_slots[slot] != 0 && std::memcmp(m_keys.data() + (m_slots[slot] - 1) * width, key, width) != 0) {
        slot = (slot + 1) & m_mask;
    }
    return slot;
}

bool FixedKeyTable::insert(const char* key, quint8 value) {
    if ((m_values.size() + 1) * 2 > m_slots.size()) {
        grow();
    }
    const std::size_t slot = slotOf(key);
    if (m_slots[slot] != 0) {
        return false;
    }
    m_keys.insert(m_keys.end(), key, key + m_width);
    m_values.push_back(value);
    m_slots[slot] = quint32(m_values.size());
    return true;
}

std::optional<quint8> FixedKeyTable::find(const char* key) const {
    const quint32 position = m_slots[slotOf(key)];
    if (position == 0) {
        return std::nullopt;
    }
    return m_values[position - 1];
}

void FixedKeyTable::grow() {
    m_slots.assign(m_slots.size() * 2, 0);
    m_mask = m_slots.size() - 1;
    const std::size_t width = std::size_t(m_width);
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        std::size_t slot = hashOf(m_keys.data() + i * width, width) & m_mask;
        while (m_slots[slot] != 0) {
            slot = (slot + 1) & m_mask;
        }
        m_slots[slot] = quint32(i + 1);
    }
}

}  // namespace tervalo::state
