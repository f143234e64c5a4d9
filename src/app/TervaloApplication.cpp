#include "app/TervaloApplication.h"

#include "app/CzechQtTranslation.h"
#include "app/ProgramIcon.h"
#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QUrl>

#include <exception>

namespace tervalo::app {

TervaloApplication::TervaloApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tervalo"));
    setApplicationDisplayName(QStringLiteral("Tervalo"));
    setWindowIcon(programIcon());
    installCzechQtTranslation(*this);
    // The last opener, after xdg-open and gio: the desktop portal where the program runs sandboxed.
    platform::SetDesktopServicesOpener([](const QString& target) {
        return QDesktopServices::openUrl(QFileInfo::exists(target) ? QUrl::fromLocalFile(target)
                                                                   : QUrl(target));
    });
}

bool TervaloApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Chyba"), QString::fromUtf8(e.what()));
        box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.exec();
        return false;
    }
}

}  // namespace tervalo::app
