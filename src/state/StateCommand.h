#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace tervalo::state {

class StateTables;

// `tervalo-cli state ...` (the arguments after "state"):
//   address ADDRESS [--export 0|1] [--note TEXT] [--mark-sent]
//   document NUMBER [--export 0|1] [--note TEXT]
// Stores what the options say, in the order given, then prints the record as one line of JSON:
//   {"EMAIL": ..., "EXPORT": true, "LASTSEND": "2026-12-09" or null, "NOTE": "...", "exists": true}
//   {"DOKLAD": ..., "EXPORT": true, "POZN": "...", "exists": true}
// with null fields and "exists": false when there is no record. Returns 0, or 2 for wrong arguments
// and 1 when the tables fail, with the message in `errorText`.
int runStateCommand(const QStringList& args, StateTables& tables, QTextStream& out, QString& errorText);

}  // namespace tervalo::state
