#include "state/FixedKeyTable.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include <sys/mman.h>
#include <stdexcept>
#include <utility>

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
std::size_t mix(const char* key, std::size_t width) {
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
    : m_width(width), m_stride(std::size_t(width) + 1) {
    assignSlots(capacityFor(expectedKeys));
}

void FixedKeyTable::Free::operator()(char* p) const {
    std::free(p);
}

// Zeroed slots. A large table is looked up in random order: on huge pages those look-ups do not also
// miss the address translation cache every time.
void FixedKeyTable::assignSlots(std::size_t slots) {
    constexpr std::size_t kHugePage = 2 << 20;
    const std::size_t bytes = slots * m_stride;
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    char* memory =
        static_cast<char*>(bytes >= kHugePage ? std::aligned_alloc(kHugePage, rounded) : std::malloc(bytes));
    if (!memory) {
        throw std::bad_alloc();
    }
    if (bytes >= kHugePage) {
        ::madvise(memory, rounded, MADV_HUGEPAGE);
    }
    std::memset(memory, 0, bytes);
    m_slots.reset(memory);
    m_bytes = bytes;
    m_mask = slots - 1;
}

std::size_t FixedKeyTable::hashOf(const char* key) const {
    return mix(key, std::size_t(m_width));
}

std::size_t FixedKeyTable::homeOf(const char* key) const {
    const std::size_t home = hashOf(key) & m_mask;
    __builtin_prefetch(slotAt(home));
    return home;
}

std::size_t FixedKeyTable::slotOf(const char* key, std::size_t home) const {
    const std::size_t width = std::size_t(m_width);
    std::size_t slot = home;
    while (true) {
        const char* at = slotAt(slot);
        if (at[width] == 0 || std::memcmp(at, key, width) == 0) {
            return slot;
        }
        slot = (slot + 1) & m_mask;
    }
}

bool FixedKeyTable::insert(const char* key, quint8 value) {
    if (value & kUsed) {
        throw std::invalid_argument("FixedKeyTable: value out of range");
    }
    if ((m_count + 1) * 2 > m_mask + 1) {
        grow();
    }
    char* at = slotAt(slotOf(key));
    if (at[m_width] != 0) {
        return false;
    }
    std::memcpy(at, key, std::size_t(m_width));
    at[m_width] = char(kUsed | value);
    ++m_count;
    return true;
}

std::optional<quint8> FixedKeyTable::find(const char* key, std::size_t home) const {
    const char* at = slotAt(slotOf(key, home));
    if (at[m_width] == 0) {
        return std::nullopt;
    }
    return quint8(at[m_width] & ~kUsed);
}

void FixedKeyTable::grow() {
    const std::unique_ptr<char[], Free> old = std::move(m_slots);
    const std::size_t oldBytes = m_bytes;
    assignSlots((m_mask + 1) * 2);
    for (std::size_t at = 0; at < oldBytes; at += m_stride) {
        if (old[at + std::size_t(m_width)] != 0) {
            std::memcpy(slotAt(slotOf(old.get() + at)), old.get() + at, m_stride);
        }
    }
}

}  // namespace tervalo::state
