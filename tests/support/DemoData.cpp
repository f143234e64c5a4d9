#include "support/DemoData.h"

#include "defgen/DefFileBuilder.h"

#include <QFile>

namespace tervalo::test {

const platform::AnsiCodec& cp1250() {
    static const platform::AnsiCodec codec(1250);
    return codec;
}

void writeDemoDefFile(const TempAppDir& dir) {
    QFile source(QStringLiteral(TERVALO_SOURCE_DIR "/data/uhterv.def.src"));
    source.open(QIODevice::ReadOnly);
    dir.write(QStringLiteral("uhterv.def"),
              tools::buildDefFile(tools::parseDefSource(QString::fromUtf8(source.readAll()))));
}

QString demoExportPath() {
    return QStringLiteral(TERVALO_SOURCE_DIR "/data/files/demo/Pohledavky.csv");
}

}  // namespace tervalo::test
