#pragma once

#include "transport/mailclient/ComposeFields.h"

#include <QString>

namespace tervalo::transport {

// An RFC 6068 address: "mailto:" with the To addresses, then cc, bcc, subject and body as header
// fields, every value UTF-8 percent-encoded (line breaks as %0D%0A), so that no "?", "&", "=",
// "%" or "," of the data can start another field or recipient. With `attachParameter` each
// attachment follows as "attach=" and its path, a field some clients understand; attachments
// are left out otherwise.
QString MailtoUri(const ComposeFields& fields, bool attachParameter);

}  // namespace tervalo::transport
