#pragma once

#include "transport/TJclSimpleMapi.h"

namespace tervalo::transport {

// A message for the user's mail client together with the list of registered clients. The list is
// enumerated when the object is made; sending is added by the mail-client delivery.
class TJclEmail : public TJclSimpleMapi {
public:
    using TJclSimpleMapi::TJclSimpleMapi;
};

}  // namespace tervalo::transport
