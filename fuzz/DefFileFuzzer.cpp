// The definition file: the checks at start-up, every record and its VAR tag, and the demo export's
// tables built against it.
#include "FuzzSupport.h"
#include "platform/SilentUserInterface.h"

#include "import/BuildTables.h"
#include "import/DefFile.h"
#include "import/ExportReader.h"
#include "state/StateTables.h"

namespace {

using namespace tervalo;

struct Fixture {
    import::CellMatrix matrix;
    state::StateTables stateTables{fuzz::workDir(), fuzz::czechLocale()};
    std::optional<state::StateSnapshot> stored;

    Fixture() {
        import::ExportReader::ParseExport(fuzz::demoExport(), matrix);
        stateTables.OpenStateTables();
        stored.emplace(stateTables.snapshot());
    }
};

// Far beyond the records a real file holds, yet few enough to keep every input fast.
constexpr int kRecordsRead = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Fixture fixture;
    const QString path = fuzz::writeInput(QStringLiteral("uhterv.def"), fuzz::bytesOf(data, size));
    const auto& locale = fuzz::czechLocale();
    if (import::DefFile::CheckDefFile(path, QStringLiteral("UHTERV"), locale.codec()) !=
        import::DefFile::Usable) {
        return 0;
    }
    for (int n = 1; n <= kRecordsRead; ++n) {
        import::DefFile::DefVar(n, path, locale.codec());
    }
    platform::SilentUserInterface ui;
    import::ExportTables tables(locale);
    import::BuildInput input{fixture.matrix, path, QLatin1Char(','), QDate(2026, 12, 10)};
    import::BuildTables(tables, input, *fixture.stored, ui);
    return 0;
}
