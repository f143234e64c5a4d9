// A .xls template file as the debtor-list export fills it: the compound file, the BIFF records inside,
// the bands expanded with data and the result written.
#include "FuzzSupport.h"
#include "XlsSource.h"

#include "report/ReportError.h"
#include "report/TemplateReport.h"

#include <QFile>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervalo;
    const QString templatePath = fuzz::writeInput(QStringLiteral("template.xls"), fuzz::bytesOf(data, size));
    const QString outputPath = fuzz::workDir() + QStringLiteral("output.xls");
    QFile::remove(outputPath);
    report::test::FakeDataSource source;
    fuzz::fillDebtorSource(source);
    try {
        report::renderTemplate(templatePath, outputPath, source);
    } catch (const report::ReportError&) {
        // The user's message for a template that cannot be used; anything else escapes as a fault.
    }
    return 0;
}
