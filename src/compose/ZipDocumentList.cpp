#include "compose/ZipDocumentList.h"

#include "compose/PrepareFileForWrite.h"

#include <QFileInfo>

namespace tervalo::compose {

QString ZipDocumentList(const QString& textFilePath, UserInterface& ui, const ZipLibrary* library) {
    const QFileInfo textFile(textFilePath);
    const QString archivePath =
        textFile.path() + QLatin1Char('/') + textFile.completeBaseName() + QStringLiteral(".zip");
    if (!PrepareFileForWrite(archivePath, ui)) {
        return {};
    }
    if (library == nullptr || !library->packSingleFile(archivePath, textFilePath, textFile.fileName())) {
        ui.error(QStringLiteral("Nastala chyba při vytváření ZIP souboru ") + archivePath);
        return {};
    }
    return archivePath;
}

}  // namespace tervalo::compose
