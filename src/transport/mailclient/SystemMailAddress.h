#pragma once

#include <QString>

namespace tervalo::transport {

// The user's login name, "@" and this computer's host name: the address the system's mail
// submission gives a message whose sender it is not told, so that From matches the envelope.
QString SystemMailAddress();

}  // namespace tervalo::transport
