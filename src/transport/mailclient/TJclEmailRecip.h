#pragma once

#include <QString>

namespace tervalo::transport {

enum TJclEmailRecipKind { rcOriginator, rcTo, rcCc, rcBcc };

// One recipient of a TJclEmail. An empty address type stands for the list's default, "SMTP".
struct TJclEmailRecip {
    QString RecipAddress;  // trimmed
    QString RecipName;
    QString RecipAddressType;
    TJclEmailRecipKind RecipKind = rcTo;

    bool operator==(const TJclEmailRecip&) const = default;
};

}  // namespace tervalo::transport
