#include "compose/ZipDocumentList.h"

#include "compose/PrepareFileForWrite.h"
#include "compose/WriteFileAfresh.h"

#include <QFileInfo>

#include <optional>

namespace tervalo::compose {

QString ZipDocumentList(const QString& textFilePath, const QByteArray& content, UserInterface& ui,
                        const ZipLibrary* library) {
    const QFileInfo textFile(textFilePath);
    const QString archivePath =
        textFile.path() + QLatin1Char('/') + textFile.completeBaseName() + QStringLiteral(".zip");
    const QString packingFailed = QStringLiteral("Nastala chyba při vytváření ZIP souboru ") + archivePath;
    // The archive is packed in memory from the bytes just written, so the list file is not read back.
    const std::optional<QByteArray> archive =
        library == nullptr ? std::nullopt : library->pack(content, textFile.fileName());
    if (!archive) {
        // The old archive goes all the same, and a name that cannot be cleared is the first thing said.
        if (PrepareFileForWrite(archivePath, ui)) {
            ui.error(packingFailed);
        }
        return {};
    }
    switch (WriteFileAfresh(archivePath, *archive, ui, platform::FileAccess::ownerOnly)) {
        case Afresh::written:
            return archivePath;
        case Afresh::failed:
            ui.error(packingFailed);
            return {};
        case Afresh::blocked:
            return {};
    }
    return {};
}

}  // namespace tervalo::compose
