#pragma once

#include <QtGlobal>

#include <cstddef>
#include <optional>
#include <vector>

namespace tervalo::state {

// Keys of one fixed width, each with a byte of value, held flat: the keys one after another and an
// open-addressing table of their positions. The first value stored under a key stays.
class FixedKeyTable {
public:
    FixedKeyTable(int width, std::size_t expectedKeys);

    int width() const { return m_width; }
    std::size_t size() const { return m_values.size(); }
    // `key` has width() bytes. False when the key is present already (its value is kept).
    bool insert(const char* key, quint8 value);
    std::optional<quint8> find(const char* key) const;

private:
    std::size_t slotOf(const char* key) const;  // the key's slot, or the empty one where it would go
    void grow();

    int m_width;
    std::vector<char> m_keys;
    std::vector<quint8> m_values;
    std::vector<quint32> m_slots;  // 1 + position in m_values; 0 when empty
    std::size_t m_mask = 0;
};

}  // namespace tervalo::state
