#pragma once

#include "platform/UserInterface.h"
#include "platform/ZipLibrary.h"

#include <QByteArray>
#include <QString>

namespace tervalo::compose {

// Packs the document list file, whose bytes are `content`, into an archive beside it, named as the
// file with ".zip" for its extension, holding that one file under its name without a folder part.
// The archive's path, or empty after telling the user.
QString ZipDocumentList(const QString& textFilePath, const QByteArray& content, UserInterface& ui,
                        const ZipLibrary* library = ZipLibrary::shared());

}  // namespace tervalo::compose
