#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::transport {

// A file to attach could not be opened or read; no part was added.
class AttachmentOpenError : public std::runtime_error {
public:
    AttachmentOpenError(const QString& path, const QString& reason)
        : std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason).toStdString()),
          m_path(path) {}

    const QString& path() const { return m_path; }

private:
    QString m_path;
};

}  // namespace tervalo::transport
