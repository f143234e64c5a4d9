#pragma once

#include "platform/UserInterface.h"
#include "settings/AppSettings.h"

namespace tervalo::sending {

// The first opening of the bulk dialog in the life of the configuration recommends the test mode,
// once: FirstEmailing is cleared here and saved with the settings at the close.
void ShowFirstEmailingHint(app::AppSettings& settings, UserInterface& ui);

}  // namespace tervalo::sending
