#pragma once

#include "app/AppSession.h"
#include "defgen/DefFileBuilder.h"
#include "support/FakeUserInterface.h"
#include "support/TempAppDir.h"

#include <QFile>

namespace tervalo::test {

// A temporary program folder with the demo definition file, and a session with Czech settings.
struct AppFixture {
    AppFixture() {
        QFile source(QStringLiteral(TERVALO_SOURCE_DIR "/data/uhterv.def.src"));
        source.open(QIODevice::ReadOnly);
        dir.write(QStringLiteral("uhterv.def"),
                  tools::buildDefFile(tools::parseDefSource(QString::fromUtf8(source.readAll()))));
    }

    TempAppDir dir;
    app::AppSession session{platform::SystemLocale()};
    FakeUserInterface ui;
};

}  // namespace tervalo::test
