#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// settings: prints the effective settings (after start-up) as one JSON object with the record's field
// names; the password only as "***" when one is set.
// settings set FIELD VALUE: changes one field and saves the settings as the program's close does.
// Flags take 1/0 or true/false (SMTPPlainAuth among them); EText takes its line breaks as CR LF;
// SMTPSecurity takes 0 (none), 1 (STARTTLS) or 2 (TLS from the start).
int runSettings(CliContext& context);

}  // namespace tervalo::cli
