#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::state::dbf {

// An error of the table layer. `message()` is the exact text the user sees; `path` and `offset` say
// where it went wrong (empty and -1 when not tied to a place in a file).
class DbfError : public platform::Error {
public:
    explicit DbfError(const QString& text, QString path = {}, qint64 offset = -1)
        : platform::Error(text, std::move(path), offset) {}

    bool isRecordLocked() const { return text() == QLatin1String("Record locked."); }

    static DbfError invalidFile(const QString& path, qint64 offset) {
        return DbfError(QStringLiteral("Invalid DBF file."), path, offset);
    }
    static DbfError fileNotFound(const QString& path) {
        return DbfError(QStringLiteral("Open: file not found: \"%1\".").arg(path), path);
    }
    static DbfError recordLocked(const QString& path, qint64 record) {
        return DbfError(QStringLiteral("Record locked."), path, record);
    }
    static DbfError exclusiveAccessRequired(const QString& path) {
        return DbfError(QStringLiteral("Exclusive access is required for this operation."), path);
    }
};

}  // namespace tervalo::state::dbf
