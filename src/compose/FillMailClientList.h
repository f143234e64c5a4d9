#pragma once

#include "compose/EmailKlientTable.h"
#include "transport/mailclient/MailClientEnvironment.h"

namespace tervalo::compose {

// Fills mtEmailKlient with the registered mail clients, one row per client in their order, and makes
// the desktop's default client the current row (no row is current when the desktop has none);
// notes the default client and the system's mail submission program for the sending tab.
void FillMailClientList(EmailKlientTable& mtEmailKlient);
void FillMailClientList(EmailKlientTable& mtEmailKlient, const transport::MailClientEnvironment& environment);

}  // namespace tervalo::compose
