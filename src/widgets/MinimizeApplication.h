#pragma once

class QEvent;
class QWidget;

namespace tervalo::app {

// Minimising any window of the program minimises the whole application: every visible top-level
// window goes down with it. Windows call this from changeEvent.
void minimizeApplicationWith(QWidget* window, QEvent* event);

}  // namespace tervalo::app
