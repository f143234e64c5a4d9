#include "import/ExportReader.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tervalo::import::ExportReader {

namespace {

constexpr std::size_t kCandidateCount = std::size(kSeparatorCandidates);

// How often each candidate occurs in a line, counted in one pass and without its CRs, as the
// reader splits it (a line may be a whole file of hundreds of megabytes). `runs`: a run of equal candidates
// counts once when its length is odd and not at all when even, and a candidate in the line's last position
// does not count. `plain`: every occurrence.
struct CandidateCounts {
    std::array<int, kCandidateCount> runs{};
    std::array<int, kCandidateCount> plain{};
};

CandidateCounts countCandidates(std::string_view line) {
    static const std::array<int, 256> slotOf = [] {
        std::array<int, 256> slots;
        slots.fill(-1);
        for (std::size_t i = 0; i < kCandidateCount; ++i) {
            slots[static_cast<unsigned char>(kSeparatorCandidates[i])] = int(i);
        }
        return slots;
    }();
    CandidateCounts counts;
    int runSlot = -1;
    std::size_t runLength = 0;
    for (const char ch : line) {
        if (ch == '\r') {
            continue;
        }
        const int slot = slotOf[static_cast<unsigned char>(ch)];
        if (slot != runSlot) {
            if (runSlot >= 0) {
                counts.runs[std::size_t(runSlot)] += int(runLength % 2);
            }
            runSlot = slot;
            runLength = 0;
        }
        if (slot >= 0) {
            ++counts.plain[std::size_t(slot)];
            ++runLength;
        }
    }
    if (runSlot >= 0) {
        // The run that ends the line loses its last character.
        counts.runs[std::size_t(runSlot)] += int((runLength - 1) % 2);
    }
    return counts;
}

// The first candidate whose counts in both lines are equal and greater than the best so far.
std::optional<char> firstEqualCount(const std::array<int, kCandidateCount>& counts1,
                                    const std::array<int, kCandidateCount>& counts2) {
    std::optional<char> chosen;
    int best = 0;
    for (std::size_t i = 0; i < kCandidateCount; ++i) {
        if (counts1[i] == counts2[i] && counts1[i] > best) {
            best = counts1[i];
            chosen = kSeparatorCandidates[i];
        }
    }
    return chosen;
}

// Writes the cells of one line to the front of the buffer. The write position never passes the read
// position (separators and quotes only ever shrink the text), so the matrix reuses the file buffer.
class LineSplitter {
public:
    LineSplitter(char* buffer, CellMatrix& matrix, std::optional<char> separator)
        : m_base(buffer), m_write(buffer), m_matrix(matrix), m_separator(separator) {
        m_special['"'] = true;
        if (separator) {
            m_special[static_cast<unsigned char>(*separator)] = true;
        }
    }

    // One line without CRs: repeat while the rest holds the separator; what is left is the last cell.
    void split(const char* rest, const char* end) {
        while (rest < end) {
            if (*rest == '"') {
                if (m_separator && find(rest, end, *m_separator)) {
                    rest = quotedCell(rest, end, *m_separator);
                    continue;
                }
                lastCell(rest, end);
                break;
            }
            rest = unquotedCell(rest, end);
        }
        m_matrix.endRow();
    }

    std::uint32_t used() const { return std::uint32_t(m_write - m_base); }

private:
    // A cell up to the separator, quotes kept as they stand. Without a separator it is the last cell:
    // a quote at its end is removed and runs of quotes become one.
    const char* unquotedCell(const char* rest, const char* end) {
        char* cellStart = m_write;
        bool quotes = false;
        while (rest < end) {
            char ch = *rest;
            if (m_special[static_cast<unsigned char>(ch)]) {
                if (ch != '"') {
                    closeCell();
                    return rest + 1;
                }
                quotes = true;
            }
            *m_write++ = ch;
            ++rest;
        }
        if (quotes) {
            const char* written = m_write;
            m_write = cellStart;
            lastCellText(cellStart, written);
        }
        closeCell();
        return end;
    }

    static const char* find(const char* from, const char* end, char ch) {
        return static_cast<const char*>(std::memchr(from, ch, std::size_t(end - from)));
    }

    // A cell opening with a double quote: up to the closing quote, doubled quotes read as one; the
    // rest continues after the next separator behind the closing quote. Without a closing quote the
    // cell is empty and the rest continues after the next separator.
    const char* quotedCell(const char* rest, const char* end, char sep) {
        const char* q = rest + 1;
        const char* closing = nullptr;
        while ((q = find(q, end, '"'))) {
            if (q + 1 < end && q[1] == '"') {
                q += 2;
                continue;
            }
            closing = q;
            break;
        }
        if (!closing) {
            closeCell();
            return find(rest, end, sep) + 1;
        }
        for (const char* p = rest + 1; p < closing; ++p) {
            *m_write++ = *p;
            if (*p == '"') {
                ++p;  // the second quote of a doubled pair
            }
        }
        closeCell();
        const char* next = find(closing + 1, end, sep);
        return next ? next + 1 : end;
    }

    // The last cell: a quote at its start is removed, then one at its end, then every run of
    // quotes in what remains becomes one quote.
    void lastCell(const char* rest, const char* end) {
        if (*rest == '"') {
            ++rest;
        }
        lastCellText(rest, end);
        closeCell();
    }

    void lastCellText(const char* rest, const char* end) {
        if (rest < end && end[-1] == '"') {
            --end;
        }
        for (const char* p = rest; p < end; ++p) {
            *m_write++ = *p;
            if (*p == '"') {
                while (p + 1 < end && p[1] == '"') {
                    ++p;
                }
            }
        }
    }

    void closeCell() { m_matrix.addCell(used()); }

    char* m_base;
    char* m_write;
    CellMatrix& m_matrix;
    std::optional<char> m_separator;
    std::array<bool, 256> m_special{};  // the separator and the double quote
};

// Removes every CR from [begin, end) in place and returns the new end: a CR before LF ends the line
// with it, a lone one is dropped.
char* removeCarriageReturns(char* begin, char* end) {
    char* cr = static_cast<char*>(std::memchr(begin, '\r', std::size_t(end - begin)));
    if (!cr) {
        return end;
    }
    char* write = cr;
    for (char* read = cr + 1; read < end;) {
        char* next = static_cast<char*>(std::memchr(read, '\r', std::size_t(end - read)));
        char* chunkEnd = next ? next : end;
        std::memmove(write, read, std::size_t(chunkEnd - read));
        write += chunkEnd - read;
        read = chunkEnd + 1;
    }
    return write;
}

// The line that starts at `offset`, without its LF; empty past the end.
std::string_view lineAt(const char* data, qsizetype offset, qsizetype size) {
    if (offset >= size) {
        return {};
    }
    const char* from = data + offset;
    const char* lf = static_cast<const char*>(std::memchr(from, '\n', std::size_t(size - offset)));
    return {from, std::size_t((lf ? lf : data + size) - from)};
}

// Every cell ends at a separator or at the end of its line, so counting both bounds the cells from
// above. Reserving that much up front spares growing the offsets of a large export by doubling, which
// would hold the old and the new vector at once (over a hundred megabytes for a million rows).
void reserveFor(const char* data, qsizetype size, std::optional<char> separator, CellMatrix& matrix) {
    const auto lines = std::size_t(std::count(data, data + size, '\n')) + 1;
    const std::size_t separators = separator ? std::size_t(std::count(data, data + size, *separator)) : 0;
    matrix.reserve(lines + separators, lines);
}

}  // namespace

std::optional<char> DetectSeparator(std::string_view line1, std::string_view line2) {
    const CandidateCounts counts1 = countCandidates(line1);
    const CandidateCounts counts2 = countCandidates(line2);
    if (auto separator = firstEqualCount(counts1.runs, counts2.runs)) {
        return separator;
    }
    if (auto separator = firstEqualCount(counts1.plain, counts2.plain)) {
        return separator;
    }
    std::optional<char> chosen;
    int best = 0;
    for (std::size_t i = 0; i < kCandidateCount; ++i) {
        const int count = std::max(counts1.plain[i], counts2.plain[i]);
        if (count > best) {
            best = count;
            chosen = kSeparatorCandidates[i];
        }
    }
    return chosen;
}

namespace {

void checkSize(qint64 size) {
    if (size >= qint64(std::numeric_limits<std::uint32_t>::max())) {
        throw std::length_error("export larger than 4 GiB");
    }
}

// Splits the `size` bytes at the front of the matrix's buffer into its cells.
std::optional<char> parseBuffer(qsizetype size, CellMatrix& matrix) {
    char* data = matrix.buffer();
    const std::string_view first = lineAt(data, 0, size);
    const std::optional<char> separator =
        DetectSeparator(first, lineAt(data, qsizetype(first.size()) + 1, size));
    reserveFor(data, size, separator, matrix);

    LineSplitter splitter(data, matrix, separator);
    for (qsizetype offset = 0; offset < size;) {
        std::string_view text = lineAt(data, offset, size);
        offset += qsizetype(text.size()) + 1;
        char* begin = data + (text.data() - data);
        char* end = begin + text.size();
        while (end > begin && end[-1] == '\r') {
            --end;  // the usual CR LF
        }
        end = removeCarriageReturns(begin, end);  // lone CRs, rare
        splitter.split(begin, end);
    }
    matrix.finish(splitter.used());
    return separator;
}

}  // namespace

std::optional<char> ParseExport(QByteArrayView bytes, CellMatrix& matrix) {
    checkSize(bytes.size());
    std::copy(bytes.begin(), bytes.end(), matrix.allocateText(std::size_t(bytes.size())));
    return parseBuffer(bytes.size(), matrix);
}

std::optional<char> ReadFile(const QString& path, CellMatrix& matrix) {
    matrix.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ExportReadError(path);
    }
    try {
        // One read into a buffer of the file's size, which the cells then reuse.
        const qint64 size = file.size();
        checkSize(size);
        if (file.read(matrix.allocateText(std::size_t(size)), size) != size) {
            throw ExportReadError(path);
        }
        // A file may hold more than its size said (one that grew, a special file of size 0).
        const QByteArray rest = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            throw ExportReadError(path);
        }
        if (rest.isEmpty()) {
            return parseBuffer(qsizetype(size), matrix);
        }
        QByteArray whole(matrix.buffer(), qsizetype(size));
        whole += rest;
        return ParseExport(whole, matrix);
    } catch (const std::length_error&) {
        throw ExportReadError(path);
    }
}

}  // namespace tervalo::import::ExportReader
