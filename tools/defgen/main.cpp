// tervalo-defgen SOURCE OUTPUT: writes a definition file from its text source.
#include "defgen/DefFileBuilder.h"

#include "platform/FileWrite.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tervalo-defgen SOURCE OUTPUT\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tervalo-defgen: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    try {
        auto content = tervalo::tools::parseDefSource(QString::fromUtf8(source.readAll()));
        if (!tervalo::platform::FileWrite::replaceDurably(args[2], tervalo::tools::buildDefFile(content))) {
            std::fprintf(stderr, "tervalo-defgen: cannot write %s\n", qPrintable(args[2]));
            return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tervalo-defgen: %s: %s\n", qPrintable(args[1]), e.what());
        return 1;
    }
    return 0;
}
