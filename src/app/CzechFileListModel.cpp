#include "app/CzechFileListModel.h"

#include <QFileSystemModel>
#include <QLocale>

namespace tervalo::app {

namespace {

// The columns of QFileSystemModel.
enum Column { Name = 0, Size = 1, Type = 2, Modified = 3 };

}  // namespace

QVariant CzechFileListModel::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || files == nullptr) {
        return QIdentityProxyModel::data(index, role);
    }
    const QLocale czech(QLocale::Czech, QLocale::Czechia);
    const QModelIndex source = mapToSource(index);
    switch (index.column()) {
        case Size:
            return files->isDir(source) ? QString() : czech.formattedDataSize(files->size(source));
        case Type: {
            if (files->isDir(source)) {
                return QStringLiteral("Složka");
            }
            const QString suffix = files->fileInfo(source).suffix();
            return suffix.isEmpty() ? QStringLiteral("Soubor") : QStringLiteral("Soubor ") + suffix;
        }
        case Modified:
            return czech.toString(files->lastModified(source), QLocale::ShortFormat);
        default:
            return QIdentityProxyModel::data(index, role);
    }
}

}  // namespace tervalo::app
