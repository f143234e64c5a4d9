#include "platform/CheckZipLibrary.h"

namespace tervalo::compose {

bool CheckZipLibrary(UserInterface& ui, const ZipLibrary* library) {
    if (library == nullptr) {
        ui.error(QStringLiteral("Některá komprimační knihovna chybí - proveďte reinstalaci programu."));
        return false;
    }
    return true;
}

}  // namespace tervalo::compose
