#include "support/LibreOfficeCsv.h"

#include "support/RunProcess.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tervalo::test {

QStringList libreOfficeCsvLines(const QString& workbook, const QString& sheet, const QString& workDir) {
    // Comma-separated, UTF-8 (76), every sheet into a file of its own (the last -1).
    const ProcessResult result = runProcess(
        {.program = QStringLiteral("soffice"),
         .arguments = {QStringLiteral("-env:UserInstallation=file://") + workDir + QStringLiteral("lo"),
                       QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                       QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,"
                                      "false,-1"),
                       QStringLiteral("--outdir"), workDir + QStringLiteral("csv"), workbook},
         .timeoutMs = 180000});
    EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
    QFile csv(workDir + QStringLiteral("csv/") + QFileInfo(workbook).completeBaseName() + QLatin1Char('-') +
              sheet + QStringLiteral(".csv"));
    if (!csv.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "LibreOffice wrote no " << csv.fileName().toStdString() << ":\n"
                      << result.out.toStdString() << result.err.toStdString();
        return {};
    }
    return QString::fromUtf8(csv.readAll()).split(QLatin1Char('\n'));
}

}  // namespace tervalo::test
