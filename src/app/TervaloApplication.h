#pragma once

#include <QApplication>

namespace tervalo::app {

// The application object with the last net for errors: the main window catches the errors of its
// commands and of the load at its own boundary (TfrmMain::guarded); one that escapes anyway is shown
// with its text here, a fault of the program with its type besides, and the program stays usable.
class TervaloApplication : public QApplication {
public:
    TervaloApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tervalo::app
