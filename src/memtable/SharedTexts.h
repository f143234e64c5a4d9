#pragma once

#include "memtable/TextArena.h"

#include <QStringView>

#include <cstdint>
#include <vector>

namespace tervalo::memtable {

// The distinct texts of a column, found by content: an open-addressing table of arena handles with
// their hashes, flat in memory, so that a look-up costs a probe or two in one small array rather
// than the pointer chasing of a node-based map. It holds handles only; the texts stay in the arena.
class SharedTexts {
public:
    static std::uint32_t hashOf(QStringView text);

    // The handle of a stored text equal to `text` (whose hash is `hash`), or TextArena::kEmpty.
    TextArena::Handle find(QStringView text, std::uint32_t hash, const TextArena& arena) const;
    // `handle` holds a text not stored yet.
    void insert(std::uint32_t hash, TextArena::Handle handle);
    std::size_t size() const { return m_count; }
    std::size_t memoryBytes() const { return m_slots.capacity() * sizeof(Slot); }
    void clear();

private:
    struct Slot {
        std::uint32_t hash = 0;
        TextArena::Handle handle = TextArena::kEmpty;  // kEmpty: the slot is free
    };
    void grow();

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

}  // namespace tervalo::memtable
