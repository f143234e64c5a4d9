#include "memtable/TextArena.h"

#include "platform/LargeBlock.h"

#include <algorithm>
#include <stdexcept>

namespace tervalo::memtable {

TextArena::Handle TextArena::add(QStringView text) {
    if (text.isEmpty()) {
        return kEmpty;
    }
    if (text.size() > kMaxLength) {
        throw std::length_error("TextArena: text longer than 65535 code units");
    }
    const auto needed = std::uint32_t(text.size()) + 1;
    if (m_chunks.empty() || m_used + needed > kChunkUnits) {
        if (m_chunks.size() == kMaxChunks) {
            throw std::length_error("TextArena: 8 GiB of text exhausted");
        }
        std::unique_ptr<char16_t[], Unmap> chunk(static_cast<char16_t*>(
            platform::MapLargeBlock(kChunkUnits * sizeof(char16_t), !m_chunks.empty())));
        m_chunks.push_back(std::move(chunk));
        m_used = m_chunks.size() == 1 ? 1 : 0;
    }
    char16_t* entry = m_chunks.back().get() + m_used;
    entry[0] = char16_t(text.size());
    std::copy(text.utf16(), text.utf16() + text.size(), entry + 1);
    Handle handle = Handle((m_chunks.size() - 1) << kChunkBits) | m_used;
    m_used += needed;
    return handle;
}

void TextArena::Unmap::operator()(char16_t* chunk) const noexcept {
    platform::UnmapLargeBlock(chunk, kChunkUnits * sizeof(char16_t));
}

void TextArena::clear() {
    m_chunks.clear();
    m_used = 1;
}

}  // namespace tervalo::memtable
