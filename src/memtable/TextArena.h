#pragma once

#include <QStringView>

#include <cstdint>
#include <memory>
#include <vector>

namespace tervalo::memtable {

// Short texts packed one after another in fixed-size chunks of UTF-16 code units, addressed by a
// 32-bit handle. A chunk never moves once allocated, so growing costs no copy and no doubling peak.
//
// Entry layout inside a chunk:
//   +0  length L (one code unit, 1..kMaxLength)
//   +1  L code units of text
// Handle = chunk index * kChunkUnits + offset of the length unit. Handle 0 is the empty text and
// is never stored (offset 0 of chunk 0 stays unused). An entry never crosses a chunk boundary.
// Replaced texts are not reclaimed until clear(): the tables edit few rows after loading them.
// Chunks are large blocks; from the second on they take huge pages (a table that fills one chunk is
// large), while the first keeps small ones so that a small table stays small.
class TextArena {
public:
    using Handle = std::uint32_t;
    static constexpr Handle kEmpty = 0;
    static constexpr int kMaxLength = 0xFFFF;

    Handle add(QStringView text);
    QStringView view(Handle handle) const {
        if (handle == kEmpty) {
            return {};
        }
        const char16_t* entry = m_chunks[handle >> kChunkBits].get() + (handle & kOffsetMask);
        return QStringView(entry + 1, qsizetype(entry[0]));
    }
    void clear();
    std::size_t bytesAllocated() const { return m_chunks.size() * kChunkUnits * sizeof(char16_t); }

private:
    static constexpr int kChunkBits = 20;
    static constexpr std::uint32_t kChunkUnits = 1u << kChunkBits;  // 2 MiB per chunk
    static constexpr std::uint32_t kOffsetMask = kChunkUnits - 1;
    static constexpr std::size_t kMaxChunks = (std::size_t(1) << 32) / kChunkUnits;

    struct Unmap {
        void operator()(char16_t* chunk) const noexcept;
    };
    std::vector<std::unique_ptr<char16_t[], Unmap>> m_chunks;
    std::uint32_t m_used = 1;  // code units used in the last chunk
};

}  // namespace tervalo::memtable
