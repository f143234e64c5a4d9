#include "import/ExportReader.h"

#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace tervalo::import::ExportReader {

namespace {

// Occurrences where a run of equal candidates counts once when its length is odd and not at all when
// even, and a candidate in the line's last position does not count.
int runCount(std::string_view line, char candidate) {
    if (!line.empty() && line.back() == candidate) {
        line.remove_suffix(1);
    }
    int count = 0;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] != candidate) {
            ++i;
            continue;
        }
        std::size_t run = 0;
        while (i < line.size() && line[i] == candidate) {
            ++run;
            ++i;
        }
        count += int(run % 2);
    }
    return count;
}

int plainCount(std::string_view line, char candidate) {
    return int(std::count(line.begin(), line.end(), candidate));
}

// The first candidate whose counts in both lines are equal and greater than the best so far.
std::optional<char> firstEqualCount(std::string_view line1, std::string_view line2,
                                    int (*count)(std::string_view, char)) {
    std::optional<char> chosen;
    int best = 0;
    for (char candidate : kSeparatorCandidates) {
        int c1 = count(line1, candidate);
        if (c1 == count(line2, candidate) && c1 > best) {
            best = c1;
            chosen = candidate;
        }
    }
    return chosen;
}

// Writes the cells of one line to the front of the buffer. The write position never passes the read
// position (separators and quotes only ever shrink the text), so the matrix reuses the file buffer.
class LineSplitter {
public:
    LineSplitter(char* buffer, CellMatrix& matrix) : m_base(buffer), m_write(buffer), m_matrix(matrix) {}

    void split(const char* rest, const char* end, std::optional<char> separator) {
        if (separator) {
            const char sep = *separator;
            while (const char* next = find(rest, end, sep)) {
                if (*rest == '"') {
                    rest = quotedCell(rest, end, sep);
                } else {
                    copy(rest, next);
                    closeCell();
                    rest = next + 1;
                }
            }
        }
        if (rest < end) {
            lastCell(rest, end);
        }
        m_matrix.endRow();
    }

    std::uint32_t used() const { return std::uint32_t(m_write - m_base); }

private:
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
        closeCell();
    }

    void copy(const char* from, const char* to) {
        std::size_t size = std::size_t(to - from);
        if (m_write != from) {
            std::memmove(m_write, from, size);
        }
        m_write += size;
    }

    void closeCell() { m_matrix.addCell(used()); }

    char* m_base;
    char* m_write;
    CellMatrix& m_matrix;
};

// Removes every CR: one before LF ends the line with it, a lone one is dropped.
qsizetype removeCarriageReturns(char* data, qsizetype size) {
    char* cr = static_cast<char*>(std::memchr(data, '\r', std::size_t(size)));
    if (!cr) {
        return size;
    }
    char* write = cr;
    for (const char* read = cr; read < data + size; ++read) {
        if (*read != '\r') {
            *write++ = *read;
        }
    }
    return write - data;
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

}  // namespace

std::optional<char> DetectSeparator(std::string_view line1, std::string_view line2) {
    if (auto separator = firstEqualCount(line1, line2, runCount)) {
        return separator;
    }
    if (auto separator = firstEqualCount(line1, line2, plainCount)) {
        return separator;
    }
    std::optional<char> chosen;
    int best = 0;
    for (char candidate : kSeparatorCandidates) {
        int count = std::max(plainCount(line1, candidate), plainCount(line2, candidate));
        if (count > best) {
            best = count;
            chosen = candidate;
        }
    }
    return chosen;
}

std::optional<char> ParseExport(QByteArray bytes, CellMatrix& matrix) {
    if (bytes.size() >= qsizetype(std::numeric_limits<std::uint32_t>::max())) {
        throw std::length_error("export larger than 4 GiB");
    }
    bytes.detach();
    qsizetype size = removeCarriageReturns(bytes.data(), bytes.size());
    matrix.adoptBuffer(std::move(bytes));
    char* data = matrix.buffer();

    std::string_view line1 = lineAt(data, 0, size);
    std::string_view line2 = lineAt(data, qsizetype(line1.size()) + 1, size);
    std::optional<char> separator = DetectSeparator(line1, line2);

    LineSplitter splitter(data, matrix);
    for (qsizetype offset = 0; offset < size;) {
        std::string_view text = lineAt(data, offset, size);
        splitter.split(text.data(), text.data() + text.size(), separator);
        offset += qsizetype(text.size()) + 1;
    }
    matrix.finish(splitter.used());
    return separator;
}

std::optional<char> ReadFile(const QString& path, CellMatrix& matrix) {
    matrix.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw ExportReadError(path);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError || bytes.size() != file.size()) {
        throw ExportReadError(path);
    }
    try {
        return ParseExport(std::move(bytes), matrix);
    } catch (const std::length_error&) {
        throw ExportReadError(path);
    }
}

}  // namespace tervalo::import::ExportReader
