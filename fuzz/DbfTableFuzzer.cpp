// The state tables as start-up opens them (with the repair at open and the upgrade of an old document
// table), then read, located and written as the browser and a bulk run do. The input holds up to six
// files, EArchiv.dat, .dbt, .mdx and EDoklady.dat, .dbt, .mdx, in that order, each ended by the
// separator below; a missing or empty piece leaves its file out, so the table creates it.
#include "FuzzSupport.h"

#include "state/StateTables.h"

#include <array>

namespace {

using namespace tervalo;

constexpr char kSeparator[] = "-TERVALO-FILE-";

const std::array<QString, 6> kFileNames = {
    QStringLiteral("EArchiv.dat"),  QStringLiteral("EArchiv.dbt"),  QStringLiteral("EArchiv.mdx"),
    QStringLiteral("EDoklady.dat"), QStringLiteral("EDoklady.dbt"), QStringLiteral("EDoklady.mdx"),
};

void writeFiles(const QByteArray& input) {
    qsizetype from = 0;
    for (const QString& name : kFileNames) {
        if (from >= input.size()) {
            break;
        }
        qsizetype end = input.indexOf(kSeparator, from);
        if (end < 0) {
            end = input.size();
        }
        if (end > from) {
            fuzz::writeInput(name, input.mid(from, end - from));
        }
        from = end + qsizetype(sizeof kSeparator) - 1;
    }
}

void useTables(state::StateTables& tables) {
    const QString address = QStringLiteral("info@example.cz");
    const QString number = QStringLiteral("FV2026001");
    {
        const state::StateSnapshot stored = tables.snapshot();
        stored.addressExport(address);
        stored.documentState(number);
    }
    state::dbf::DbfTable& earchiv = tables.dtEarchiv();
    if (earchiv.first()) {
        do {
            earchiv.memoText(QStringLiteral("NOTE"));
            earchiv.fieldDate(QStringLiteral("LASTSEND"));
        } while (earchiv.next());
    }
    tables.readAddressNote(address);
    tables.readDocumentNote(number);
    tables.GetAddressExport(address);
    tables.documentState(number);
    tables.writeAddressNote(address, QStringLiteral("Volat po 15. lednu.\nDruhá řádka"));
    tables.MarkAddressSent(QStringLiteral("nova@example.cz"));
    tables.SetDocumentExport(number, false);
    tables.writeDocumentNote(QStringLiteral("DB2026002"), QStringLiteral("Sporný doklad"));
    tables.readAddressNote(address);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::clearWorkDir();
    writeFiles(fuzz::bytesOf(data, size));
    state::StateTables tables(fuzz::workDir(), fuzz::czechLocale());
    try {
        tables.OpenStateTables();
        useTables(tables);
    } catch (const state::StateError&) {
        // A damaged table is reported to the user with this error; anything else escapes as a fault.
    }
    return 0;
}
