// tervalo: the desktop program. Optional argument: the path of an export to load at once (it is
// deleted at the end), or the switch "/END".
#include "app/MainWindow.h"
#include "app/StartUp.h"
#include "app/TervaloApplication.h"
#include "platform/AppDir.h"
#include "platform/Guarded.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Without any display the toolkit would abort with a long message; say it in one line instead.
bool displayAvailable() {
    for (const char* variable : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(variable);
        if (value && *value) {
            return true;
        }
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (!displayAvailable()) {
        std::fprintf(stderr, "tervalo: no display available (set DISPLAY, or run it under Xvfb)\n");
        return 1;
    }
    tervalo::app::TervaloApplication application(argc, argv);

    using namespace tervalo;
    app::AppSession session(platform::SystemLocale::fromEnvironment());
    session.arguments = QApplication::arguments().mid(1);

    app::TfrmMain window(session);
    bool stop = false;
    if (!platform::GuardedToTheLast([&window](const QString& text) { window.ui().error(text); },
                                    [&] {
                                        stop = app::StartUp(session, platform::AppDir::ofExecutable(),
                                                            window.ui()) == app::StartResult::Stop;
                                    })) {
        return 1;
    }
    if (stop) {
        return 0;
    }
    window.armAutoStart();
    window.show();
    return tervalo::app::TervaloApplication::exec();
}
