#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::compose {

// A document list file that could not be written; reaches the caller's general error handling.
class DocumentListError : public platform::Error {
public:
    explicit DocumentListError(const QString& path)
        : platform::Error(QStringLiteral("Soubor ") + path + QStringLiteral(" nelze zapsat."), path) {}
};

}  // namespace tervalo::compose
