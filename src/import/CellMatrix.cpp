#include "import/CellMatrix.h"

#include <algorithm>

namespace tervalo::import {

void CellMatrix::clear() {
    // Swapped out rather than cleared, so that the blocks go back to the kernel.
    decltype(m_text)().swap(m_text);
    Offsets().swap(m_cellEnd);
    Offsets{0}.swap(m_rowFirstCell);
    m_maxCells = 0;
    m_releasedRows = 0;
}

int CellMatrix::cellCount(int row) const {
    if (row < m_releasedRows || row >= rowCount()) {
        return 0;
    }
    return int(m_rowFirstCell[std::size_t(row) + 1] - m_rowFirstCell[std::size_t(row)]);
}

std::string_view CellMatrix::cellBytes(int row, int col) const {
    if (col < 0 || col >= cellCount(row)) {
        return {};
    }
    std::size_t index = m_rowFirstCell[std::size_t(row)] + std::size_t(col);
    std::uint32_t begin = index == 0 ? 0 : m_cellEnd[index - 1];
    return {m_text.data() + begin, m_cellEnd[index] - begin};
}

QString CellMatrix::cell(int row, int col, const platform::AnsiCodec& codec) const {
    std::string_view bytes = cellBytes(row, col);
    return codec.decode(bytes.data(), bytes.size());
}

std::size_t CellMatrix::memoryBytes() const {
    return m_text.capacity() + m_cellEnd.capacity() * sizeof(std::uint32_t) +
           m_rowFirstCell.capacity() * sizeof(std::uint32_t);
}

void CellMatrix::releaseRowsBefore(int row) {
    row = std::min(row, rowCount());
    if (row <= m_releasedRows) {
        return;
    }
    m_releasedRows = row;
    // The row's first cell begins where the cell before it ends: that offset stays.
    const std::uint32_t firstCell = m_rowFirstCell[std::size_t(row)];
    const std::uint32_t textEnd = firstCell == 0 ? 0 : m_cellEnd[firstCell - 1];
    platform::ReleaseHugePages(m_text.data(), textEnd);
    platform::ReleaseHugePages(m_cellEnd.data(),
                               std::size_t(firstCell == 0 ? 0 : firstCell - 1) * sizeof(std::uint32_t));
    platform::ReleaseHugePages(m_rowFirstCell.data(), std::size_t(row) * sizeof(std::uint32_t));
}

char* CellMatrix::allocateText(std::size_t size) {
    clear();
    m_text.resize(size);  // left uninitialised: the file is read straight into it
    return m_text.data();
}

void CellMatrix::endRow() {
    auto cells = std::uint32_t(m_cellEnd.size());
    m_maxCells = std::max(m_maxCells, int(cells - m_rowFirstCell.back()));
    m_rowFirstCell.push_back(cells);
}

void CellMatrix::finish(std::uint32_t usedBytes) {
    m_text.resize(usedBytes);
    // Copying a large vector to trim it costs more than a little slack.
    for (auto* offsets : {&m_cellEnd, &m_rowFirstCell}) {
        if (offsets->capacity() > offsets->size() + offsets->size() / 4) {
            offsets->shrink_to_fit();
        }
    }
}

}  // namespace tervalo::import
