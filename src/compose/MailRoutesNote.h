#pragma once

#include "compose/EmailKlientTable.h"

#include <QString>

namespace tervalo::compose {

// The sending tab's note: where single reminders and bulk runs through the mail client go on this
// desktop, with the desktop's default client and the system's mail submission program as found.
QString MailRoutesNote(const EmailKlientTable& mtEmailKlient);

}  // namespace tervalo::compose
