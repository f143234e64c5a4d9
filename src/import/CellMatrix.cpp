#include "import/CellMatrix.h"

#include <algorithm>

namespace tervalo::import {

void CellMatrix::clear() {
    m_text.clear();
    m_cellEnd.clear();
    m_rowFirstCell.assign(1, 0);
    m_maxCells = 0;
}

int CellMatrix::cellCount(int row) const {
    if (row < 0 || row >= rowCount()) {
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
    return {m_text.constData() + begin, m_cellEnd[index] - begin};
}

QString CellMatrix::cell(int row, int col, const platform::AnsiCodec& codec) const {
    std::string_view bytes = cellBytes(row, col);
    return codec.decode(bytes.data(), bytes.size());
}

std::size_t CellMatrix::memoryBytes() const {
    return std::size_t(m_text.capacity()) + m_cellEnd.capacity() * sizeof(std::uint32_t) +
           m_rowFirstCell.capacity() * sizeof(std::uint32_t);
}

void CellMatrix::adoptBuffer(QByteArray buffer) {
    clear();
    m_text = std::move(buffer);
}

void CellMatrix::endRow() {
    auto cells = std::uint32_t(m_cellEnd.size());
    m_maxCells = std::max(m_maxCells, int(cells - m_rowFirstCell.back()));
    m_rowFirstCell.push_back(cells);
}

void CellMatrix::finish(std::uint32_t usedBytes) {
    m_text.truncate(usedBytes);
    // Copying a large vector to trim it costs more than a little slack.
    for (auto* offsets : {&m_cellEnd, &m_rowFirstCell}) {
        if (offsets->capacity() > offsets->size() + offsets->size() / 4) {
            offsets->shrink_to_fit();
        }
    }
}

}  // namespace tervalo::import
