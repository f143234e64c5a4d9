#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace tervalo::report {

// One stream or storage of an OLE2 compound file.
struct CompoundEntry {
    QString name;
    bool isStorage = false;
    QByteArray data;     // streams only
    QByteArray classId;  // storages only: 16 bytes, or empty
    std::vector<CompoundEntry> children;
};

// The compound file around a workbook, held whole in memory. The only place that knows the container
// library, so the container can be replaced without touching the workbook code.
class CompoundFile {
public:
    // Throws ReportError when the file cannot be opened or is not a compound file.
    static CompoundFile read(const QString& path);
    // The tree as the bytes of a compound file, for the file at `path` (named in errors); throws
    // ReportError on failure.
    QByteArray serialize(const QString& path) const;

    // The root's entries and class identifier.
    std::vector<CompoundEntry> entries;
    QByteArray classId;

    // The top-level entry whose name equals `name` without regard to letter case, or nullptr.
    CompoundEntry* find(const QString& name);
};

}  // namespace tervalo::report
