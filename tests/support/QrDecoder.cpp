#include "support/QrDecoder.h"

#include "support/RunProcess.h"

#include <QTemporaryFile>

#include <gtest/gtest.h>

namespace tervalo::test {

QStringList decodeQrCodes(const QByteArray& png) {
    QTemporaryFile file(QStringLiteral("qr-XXXXXX.png"));
    if (!file.open() || file.write(png) != png.size() || !file.flush()) {
        ADD_FAILURE() << "cannot write the image for zbarimg";
        return {};
    }
    // --raw prints each code's text alone on a line; exit 4 means no code was found.
    const ProcessResult result = runProcess(
        {.program = QStringLiteral("zbarimg"),
         .arguments = {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                       QStringLiteral("-Sqrcode.enable"), file.fileName()}});
    EXPECT_TRUE(result.exitCode == 0 || result.exitCode == 4) << result.err.toStdString();
    return QString::fromUtf8(result.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

}  // namespace tervalo::test
