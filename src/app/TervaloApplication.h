#pragma once

#include <QApplication>

namespace tervalo::app {

// The application object with the general error handler: an error that no operation caught is shown
// with its text, and the program stays usable.
class TervaloApplication : public QApplication {
public:
    TervaloApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tervalo::app
