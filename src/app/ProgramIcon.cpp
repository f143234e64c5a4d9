#include "app/ProgramIcon.h"

namespace tervalo::app {

QIcon programIcon() {
    return QIcon(QStringLiteral(":/icons/tervalo.svg"));
}

}  // namespace tervalo::app
