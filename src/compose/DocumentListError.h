#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::compose {

// A document list file that could not be written; reaches the caller's general error handling.
class DocumentListError : public std::runtime_error {
public:
    explicit DocumentListError(const QString& path)
        : std::runtime_error(
              (QStringLiteral("Soubor ") + path + QStringLiteral(" nelze zapsat.")).toStdString()),
          m_path(path) {}

    const QString& path() const { return m_path; }

private:
    QString m_path;
};

}  // namespace tervalo::compose
