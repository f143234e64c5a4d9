#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// settings: prints the effective settings (after start-up) as one JSON object with the record's field
// names; the password only as "***" when one is set.
// settings set FIELD VALUE: changes one field and saves the settings as the program's close does.
// Flags take 1/0 or true/false (SMTPPlainAuth among them); EText takes its line breaks as CR LF;
// SMTPSecurity takes 0 (none), 1 (STARTTLS) or 2 (TLS from the start). The reminder levels' fields
// are named as their keys in Vorbel.ini (PocetUrovni 1 to 5, Nazev1, Predmet2, DniOdPredchozi2,
// DniPoSplatnosti2, Lhuta2, ...), their bodies as their files (EText2 to EText5); days are 0 or more.
int runSettings(CliContext& context);

}  // namespace tervalo::cli
