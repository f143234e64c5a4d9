#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::transport {

// A send the SMTP session refuses to go on with: an address that would break the command or header
// line it is written into, or a server reply beyond any sane size. The text is Czech and meant for
// the user.
class SmtpError : public platform::Error {
public:
    using platform::Error::Error;
};

}  // namespace tervalo::transport
