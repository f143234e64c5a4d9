#pragma once

#include <QIdentityProxyModel>

namespace tervalo::app {

// The file dialog's list with its size, type and date columns in Czech: Qt takes them from the
// system's locale (English month names and units under the C locale) and names the types in English
// even with its Czech translation installed.
class CzechFileListModel : public QIdentityProxyModel {
    Q_OBJECT
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex& index, int role) const override;
};

}  // namespace tervalo::app
