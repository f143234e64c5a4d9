#pragma once

#include "cli/CliRunner.h"
#include "state/StateTables.h"
#include "support/DemoData.h"
#include "support/TempAppDir.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <map>

namespace tervalo::test {

// How many rounds a many-round test runs: TERVALO_STRESS_ROUNDS when set (scripts/stress), otherwise
// the modest number the test suite affords.
int stressRounds(int suiteRounds);
// The seed of a randomised test: TERVALO_STRESS_SEED when set, to replay a run, otherwise a fresh one.
// Printed as "TERVALO_STRESS_SEED=<seed>" on standard output, so that every run can be replayed.
std::uint32_t stressSeed();

// An export in the demo layout with `debtors` firms of one invoice each (FV000000, FV000001, ...).
// Firm i writes to firmaI@dluznik.cz, except that firms 0 and 1 share spolecna@dluznik.cz and every
// seventh firm has no address.
QByteArray reliabilityExport(int debtors);
// The addresses a bulk run over that export sends to, each once, upper-cased as the state keys.
QStringList reliabilityRecipients(int debtors);

// tervalo-cli on the program folder `appDir`.
CliResult cliIn(const QString& appDir, const QStringList& args);
// A program folder with the demo definition file, SMTP to 127.0.0.1:`port` without a login, and the
// hint of a first bulk run already shown.
void prepareSmtpFolder(const TempAppDir& dir, quint16 port, const QString& sender);

// The state tables as the program reads them after opening them (which repairs what a kill left),
// keyed by the stored (upper-case) key. A key stored twice, or an index that does not list every live
// record exactly once under its own key, fails the test.
struct StoredState {
    std::map<QString, state::AddressRecord> addresses;
    std::map<QString, state::DocumentRecord> documents;
};
StoredState readCheckedState(const QString& appDir);

// python3-dbfread, an independent reader, reads the same records, flags, dates and notes.
void expectDbfreadAgrees(const QString& appDir, const StoredState& state);

}  // namespace tervalo::test
