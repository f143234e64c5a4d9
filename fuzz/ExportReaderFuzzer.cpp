// The export file as the main window loads it: separator detection and cell matrix, the format check,
// then the debtor and document tables built against the demo definition file.
#include "FuzzSupport.h"
#include "platform/SilentUserInterface.h"

#include "import/BuildTables.h"
#include "import/ReadExportFile.h"
#include "state/StateTables.h"

namespace {

using namespace tervalo;

struct Fixture {
    QString defFile = fuzz::writeDemoDefFile(QStringLiteral("uhterv.def"));
    state::StateTables stateTables{fuzz::workDir(), fuzz::czechLocale()};
    std::optional<state::StateSnapshot> stored;

    Fixture() {
        stateTables.OpenStateTables();
        stored.emplace(stateTables.snapshot());
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const QString path = fuzz::writeInput(QStringLiteral("Pohledavky.csv"), fuzz::bytesOf(data, size));
    platform::SilentUserInterface ui;
    import::CellMatrix matrix;
    const auto& locale = fuzz::czechLocale();
    if (!import::ReadExportFile(path, matrix, locale.codec(), ui).ok) {
        return 0;
    }
    import::ExportTables tables(locale);
    import::BuildInput input{matrix, fixture.defFile, QLatin1Char(','), QDate(2026, 12, 10)};
    import::BuildTables(tables, input, *fixture.stored, ui);
    return 0;
}
