#pragma once

#include "cli/CliContext.h"

namespace tervalo::cli {

// smtp-send EXPORT --debtor ID [--to ADDRESS]: sends the message render prints through the stored
// SMTP server and account. Exit status 0 only when the server accepted it.
int runSmtpSend(CliContext& context);

}  // namespace tervalo::cli
