#include "sending/FirstEmailingHint.h"

namespace tervalo::sending {

void ShowFirstEmailingHint(app::AppSettings& settings, UserInterface& ui) {
    if (!settings.FirstEmailing) {
        return;
    }
    ui.information(QStringLiteral(
        "Hromadné odeslání e-mailů budete provádět poprvé - doporučujeme nejprve tuto funkci vyzkoušet. "
        "V následujícím okně klepněte na tlačítko \"Testovací režim\"."));
    settings.FirstEmailing = false;
}

}  // namespace tervalo::sending
