// A .xls template file as the debtor-list export fills it: the compound file, the BIFF records inside,
// the bands expanded with data and the result written.
#include "FuzzSupport.h"
#include "XlsSource.h"

#include "report/ReportError.h"
#include "report/TemplateReport.h"

#include <QFile>

// libgsf 1.14.50 loses a directory entry (about 100 bytes) when it gives up on a damaged directory;
// the leak is the library's, once per file it refuses, and is not reported. Malloc stacks are taken
// the slow way so that they reach through glib, which has no frame pointers, to the function named.
extern "C" const char* __asan_default_options() {
    return "fast_unwind_on_malloc=0";
}
extern "C" const char* __lsan_default_suppressions() {
    return "leak:gsf_infile_msole_new\n";
}

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
