#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// smtp-test [--to ADDRESS]: sends the test e-mail of the settings dialog through the stored SMTP
// server, account and encryption, to ADDRESS or to the sender's own address. Prints one JSON object
// {"ok": true|false, "stage": "...", "reply": "..."}: the stage reached (connect, tls,
// authentication, sender, recipient, data) and the server's reply to it, or why it failed. Exit 0
// when the server took the message, 1 otherwise.
int runSmtpTest(CliContext& context);

}  // namespace tervalo::cli
