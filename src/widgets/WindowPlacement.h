#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>
#include <QString>

#include <map>
#include <optional>

class QWidget;

namespace tervalo::app {

// Where the program's windows open, and their place and size kept between openings and program runs.
// A window is known by its object name.
//
// A kept window opens where it was last closed, or the first time centred on the window it belongs to
// (the screen for a window of its own) at its size hint and at least `firstSize`; either way at least
// as large as its layout needs, no larger than the screen and fully on it, title bar included. Its
// place is remembered whenever it is hidden.
// With `exactly` the first size is `firstSize` alone (grown only to what the layout needs), for a
// window whose size hint asks for more than a first opening should take.
enum class FirstSize { AtLeastSizeHint, Exactly };
void keepWindowPlacement(QWidget* window, QSize firstSize = {}, FirstSize rule = FirstSize::AtLeastSizeHint);

// The places kept in this program run: the session's, read at start-up and saved at the close. Without
// them windows open as for the first time and nothing is remembered.
void useWindowPlacements(std::map<QString, QRect>* places);

// Remembers a kept window's place now (its normal geometry when maximized); others are left out.
void rememberWindowPlacement(const QWidget* window);

// The client area a window gets: `stored` or else `wanted` centred on `centre`, grown to `minimum`,
// shrunk to `available` less the window frame, and moved into it.
QRect placeWindow(const std::optional<QRect>& stored, QSize wanted, QSize minimum, QPoint centre,
                  const QRect& available, const QMargins& frame);

}  // namespace tervalo::app
