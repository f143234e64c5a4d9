#include "sending/TestEmailAddress.h"

#include "transport/mime/AddressText.h"

namespace tervalo::sending {

bool AcceptTestAddress(QString& address, UserInterface& ui) {
    address = address.trimmed();
    if (address.isEmpty() || !address.contains(QLatin1Char('@'))) {
        ui.information(QStringLiteral("Musíte zadat platnou e-mailovou adresu."));
        return false;
    }
    if (const auto warning = transport::invalidAddressWarning(address)) {
        ui.warning(*warning);
        return false;
    }
    return true;
}

}  // namespace tervalo::sending
