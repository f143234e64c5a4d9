#pragma once

#include "platform/UserInterface.h"

#include <QString>

namespace tervalo::sending {

// What a test run reads from the test dialog: the one address every reminder goes to, and how many
// debtors it visits, as typed (for the protocol) and as the spin edit's value (for the limit).
struct TestMode {
    QString address;
    QString countText;
    int count = 5;
};

// The test dialog's "Provést": trims the address in place; an empty one or one without "@" is
// refused with the information message, other text that is not a list of valid mailboxes with its
// warning, and false.
bool AcceptTestAddress(QString& address, UserInterface& ui);

}  // namespace tervalo::sending
