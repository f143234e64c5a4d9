#pragma once

#include <QIcon>

namespace tervalo::app {

// The program's icon, the SVG the desktop entry installs, built into the program: the icon of every
// window and of the about box.
QIcon programIcon();

}  // namespace tervalo::app
