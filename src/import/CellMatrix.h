#pragma once

#include "platform/AnsiCodec.h"
#include "platform/LargeBlock.h"

#include <QString>

#include <cstdint>
#include <string_view>
#include <vector>

namespace tervalo::import {

// The export as a matrix of text cells (the hidden grid of the main window). Rows may have different
// numbers of cells; a missing cell reads as empty.
//
// Storage: the cells' bytes (ANSI code page) lie back to back in one buffer, each cell ending where
// the next begins; per cell one 32-bit end offset and per row the index of its first cell. A million
// document rows cost little more than the file itself, and cells are decoded only when read. The
// buffers are large blocks sized from the file before they are filled, so they never grow by copying.
class CellMatrix {
public:
    CellMatrix() = default;

    void clear();

    int rowCount() const { return int(m_rowFirstCell.size()) - 1; }
    // Index of the last row and of the last column (0-based; -1 when empty).
    int lastRow() const { return rowCount() - 1; }
    int lastCol() const { return m_maxCells - 1; }
    int cellCount(int row) const;

    std::string_view cellBytes(int row, int col) const;
    QString cell(int row, int col, const platform::AnsiCodec& codec) const;

    // Bytes held by the matrix (buffers, not the object itself).
    std::size_t memoryBytes() const;

    // Gives the memory of the rows before `row` back to the kernel, for a reader that walks the rows
    // once from the front and needs no second look: the load's tables then grow into the memory the
    // matrix leaves. Those rows read as empty afterwards; the row and column counts stay.
    void releaseRowsBefore(int row);

    // Building, used by the reader: the file's bytes go into a buffer of `size` bytes, then the cells
    // are written to its front and appended to the current row.
    char* allocateText(std::size_t size);
    char* buffer() { return m_text.data(); }
    void reserve(std::size_t cells, std::size_t rows) {
        m_cellEnd.reserve(cells);
        m_rowFirstCell.reserve(rows + 1);
    }
    void addCell(std::uint32_t endOffset) { m_cellEnd.push_back(endOffset); }
    void endRow();
    void finish(std::uint32_t usedBytes);

private:
    using Offsets = std::vector<std::uint32_t, platform::LargeBlockAllocator<std::uint32_t>>;
    std::vector<char, platform::LargeBlockAllocator<char>> m_text;
    Offsets m_cellEnd;
    Offsets m_rowFirstCell{0};
    int m_maxCells = 0;
    int m_releasedRows = 0;
};

}  // namespace tervalo::import
