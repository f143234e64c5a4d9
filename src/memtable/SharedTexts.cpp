#include "memtable/SharedTexts.h"

#include <cstring>

namespace tervalo::memtable {

std::uint32_t SharedTexts::hashOf(QStringView text) {
    // Four code units at a time, multiplied and folded; the final steps spread every bit over the
    // low ones that pick the slot.
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ std::uint64_t(text.size());
    const auto* units = reinterpret_cast<const char*>(text.utf16());
    const std::size_t bytes = std::size_t(text.size()) * sizeof(char16_t);
    for (std::size_t at = 0; at < bytes; at += 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, units + at, bytes - at < 8 ? bytes - at : 8);
        h = (h ^ chunk) * 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 29;
    return std::uint32_t(h);
}

TextArena::Handle SharedTexts::find(QStringView text, std::uint32_t hash, const TextArena& arena) const {
    if (m_slots.empty()) {
        return TextArena::kEmpty;
    }
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
        const Slot& slot = m_slots[at];
        if (slot.handle == TextArena::kEmpty) {
            return TextArena::kEmpty;
        }
        if (slot.hash == hash && arena.view(slot.handle) == text) {
            return slot.handle;
        }
    }
}

void SharedTexts::insert(std::uint32_t hash, TextArena::Handle handle) {
    if ((m_count + 1) * 2 > m_slots.size()) {
        grow();
    }
    const std::size_t mask = m_slots.size() - 1;
    std::size_t at = hash & mask;
    while (m_slots[at].handle != TextArena::kEmpty) {
        at = (at + 1) & mask;
    }
    m_slots[at] = {hash, handle};
    ++m_count;
}

void SharedTexts::clear() {
    m_slots = {};
    m_count = 0;
}

void SharedTexts::grow() {
    std::vector<Slot> old(m_slots.empty() ? 32 : m_slots.size() * 2);
    old.swap(m_slots);
    m_count = 0;
    for (const Slot& slot : old) {
        if (slot.handle != TextArena::kEmpty) {
            insert(slot.hash, slot.handle);
        }
    }
}

}  // namespace tervalo::memtable
