#include "app/TervaloApplication.h"

#include "app/CzechQtTranslation.h"
#include "app/ProgramIcon.h"

#include <QMessageBox>

#include <exception>

namespace tervalo::app {

TervaloApplication::TervaloApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Tervalo"));
    setApplicationDisplayName(QStringLiteral("Tervalo"));
    setWindowIcon(programIcon());
    installCzechQtTranslation(*this);
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
