#include "app/TervaloApplication.h"

#include "app/CzechQtTranslation.h"
#include "app/GuiUserInterface.h"
#include "app/ProgramIcon.h"
#include "platform/Guarded.h"
#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

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
    bool result = false;
    platform::GuardedToTheLast([](const QString& text) { ShowErrorBox(nullptr, text); },
                               [&] { result = QApplication::notify(receiver, event); });
    return result;
}

}  // namespace tervalo::app
