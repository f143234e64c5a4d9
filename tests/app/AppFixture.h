#pragma once

#include "app/AppSession.h"
#include "support/DemoData.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

namespace tervalo::test {

// A temporary program folder with the demo definition file, and a session with Czech settings.
struct AppFixture {
    AppFixture() { writeDemoDefFile(dir); }

    TempAppDir dir;
    app::AppSession session{platform::SystemLocale()};
    FakeUserInterface ui;
};

}  // namespace tervalo::test
