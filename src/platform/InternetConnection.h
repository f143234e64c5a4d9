#pragma once

#include <QString>

#include <functional>

namespace tervalo::platform {

// Whether the SMTP server can be reached at all: its host name resolves and the system has a route
// to one of its addresses. A UDP socket is connected to the address and the port, which picks the
// route without sending anything; loopback and LAN servers count as connected. No other address is
// contacted.
bool IsInternetConnected(const QString& smtpHost, int smtpPort);

// The form in which operations take the check, so that tests can decide the answer.
using InternetCheck = std::function<bool(const QString& smtpHost, int smtpPort)>;

}  // namespace tervalo::platform
