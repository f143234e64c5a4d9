#pragma once

#include "platform/UserInterface.h"

namespace tervalo::sending {

// The waiting window for the lifetime of the object: shown with the text at once, hidden on every
// way out of the scope, an error on the way included.
class ShownWaitMessage {
public:
    ShownWaitMessage(UserInterface& ui, const QString& text) : m_ui(ui) { m_ui.showWaitMessage(text, true); }
    ~ShownWaitMessage() { m_ui.showWaitMessage(QString(), false); }
    ShownWaitMessage(const ShownWaitMessage&) = delete;
    ShownWaitMessage& operator=(const ShownWaitMessage&) = delete;

private:
    UserInterface& m_ui;
};

}  // namespace tervalo::sending
