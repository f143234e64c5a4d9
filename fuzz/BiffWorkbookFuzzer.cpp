// The Workbook stream of a template on its own, past the compound file: BIFF records, shared strings,
// formulas and names, the bands expanded and the stream written back.
#include "XlsSource.h"

#include "report/ReportError.h"
#include "report/TemplateReport.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tervalo;
    report::test::FakeDataSource source;
    fuzz::fillDebtorSource(source);
    try {
        report::renderWorkbook(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)), source);
    } catch (const report::ReportError&) {
    }
    return 0;
}
