#pragma once

#include "compose/EmailKlientTable.h"
#include "transport/MailClientEnvironment.h"

namespace tervalo::compose {

// Fills mtEmailKlient with the registered mail clients, one row per client in their order, and makes
// the selected client (at first the desktop's default) the current row when it lies in the table;
// notes the default client and the system's mail submission program for the sending tab.
void FillMailClientList(EmailKlientTable& mtEmailKlient);
void FillMailClientList(EmailKlientTable& mtEmailKlient, const transport::MailClientEnvironment& environment);

}  // namespace tervalo::compose
