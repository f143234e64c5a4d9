#pragma once

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace tervalo::state {

// Keys of one fixed width, each with a small value (below 0x80), in an open-addressing table whose
// slots hold the key bytes and the value side by side: a look-up of a key found touches one place in
// memory, which is what a million look-ups in random order wait for. The first value stored under a
// key stays.
class FixedKeyTable {
public:
    FixedKeyTable(int width, std::size_t expectedKeys);

    int width() const { return m_width; }
    std::size_t size() const { return m_count; }
    // `key` has width() bytes. False when the key is present already (its value is kept).
    bool insert(const char* key, quint8 value);
    std::optional<quint8> find(const char* key) const { return find(key, homeOf(key)); }

    // Look-ups in two steps, so that the memory of a key's slot can be fetched while the caller
    // does other work: homeOf() names the slot where the search starts and asks the processor to
    // bring it into the cache, find() with that slot searches.
    std::size_t homeOf(const char* key) const;
    std::optional<quint8> find(const char* key, std::size_t home) const;

private:
    // A slot: the key's bytes, then a byte that is 0 while the slot is empty, else 0x80 | value.
    static constexpr quint8 kUsed = 0x80;

    // The key's slot, or the empty one where it would go, searching from `home`.
    std::size_t slotOf(const char* key, std::size_t home) const;
    std::size_t slotOf(const char* key) const { return slotOf(key, hashOf(key) & m_mask); }
    std::size_t hashOf(const char* key) const;
    char* slotAt(std::size_t slot) { return m_slots.get() + slot * m_stride; }
    const char* slotAt(std::size_t slot) const { return m_slots.get() + slot * m_stride; }
    void assignSlots(std::size_t slots);
    void grow();

    int m_width;
    std::size_t m_stride;
    std::size_t m_count = 0;
    struct Free {
        void operator()(char* p) const;
    };
    std::unique_ptr<char[], Free> m_slots;
    std::size_t m_bytes = 0;
    std::size_t m_mask = 0;
};

}  // namespace tervalo::state
