#include "widgets/MinimizeApplication.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace tervalo::app {

void minimizeApplicationWith(QWidget* window, QEvent* event) {
    if (event->type() != QEvent::WindowStateChange || !window->isMinimized()) {
        return;
    }
    for (QWidget* other : QApplication::topLevelWidgets()) {
        if (other != window && other->isVisible() && !other->isMinimized()) {
            other->showMinimized();
        }
    }
}

}  // namespace tervalo::app
