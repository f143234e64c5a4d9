#include "import/ShowNoDocumentsMessage.h"

namespace tervalo::import {

void ShowNoDocumentsMessage(UserInterface& ui) {
    ui.information(
        QStringLiteral("Při exportu z Ekvan nebyla aktivní volba \"Tisknout i seznam dokladů\" - zasílání "
                       "e-mailů dlužníkům proto "
                       "není možné. Chcete-li plně využít všechny funkce doplňku, ukončete tento program a "
                       "proveďte znovu export z "
                       "Ekvan i s tiskem dokladů."));
}

}  // namespace tervalo::import
