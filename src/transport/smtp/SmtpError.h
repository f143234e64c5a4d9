#pragma once

#include <QString>

#include <stdexcept>

namespace tervalo::transport {

// A send the SMTP session refuses to go on with: an address that would break the command or header
// line it is written into, or a server reply beyond any sane size. The text is Czech and meant for
// the user.
class SmtpError : public std::runtime_error {
public:
    explicit SmtpError(const QString& text) : std::runtime_error(text.toStdString()) {}
};

}  // namespace tervalo::transport
