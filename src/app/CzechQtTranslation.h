#pragma once

class QCoreApplication;
class QTranslator;

namespace tervalo::app {

// Installs Qt's own Czech translation (the file dialogs, the text fields' context menus, the standard
// buttons), whatever the system's locale: the program speaks Czech under the C locale too. The
// translation comes from the system's Qt translations. Returns the installed translator, owned by
// the application; null when the translation is not installed, and Qt's texts then stay English.
QTranslator* installCzechQtTranslation(QCoreApplication& application);

}  // namespace tervalo::app
