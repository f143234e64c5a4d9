#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::state::dbf {

// An error of the table layer. `message()` is the exact text the user sees; `path` and `offset` say
// where it went wrong (empty and -1 when not tied to a place in a file).
class DbfError : public std::runtime_error {
public:
    explicit DbfError(const QString& message, QString path = {}, qint64 offset = -1)
        : std::runtime_error(message.toStdString()),
          m_message(message),
          m_path(std::move(path)),
          m_offset(offset) {}

    const QString& message() const { return m_message; }
    const QString& path() const { return m_path; }
    qint64 offset() const { return m_offset; }
    bool isRecordLocked() const { return m_message == QLatin1String("Record locked."); }

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

private:
    QString m_message;
    QString m_path;
    qint64 m_offset;
};

}  // namespace tervalo::state::dbf
