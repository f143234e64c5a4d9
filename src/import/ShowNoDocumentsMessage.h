#pragma once

#include "platform/UserInterface.h"

namespace tervalo::import {

// The information that the export came without the document list, so no reminder can be sent.
void ShowNoDocumentsMessage(UserInterface& ui);

}  // namespace tervalo::import
