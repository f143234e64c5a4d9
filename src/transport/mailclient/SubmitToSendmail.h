#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

namespace tervalo::transport {

struct ProgramOutcome;

// Hands a rendered message (LF line ends, as the local submission interface takes it) to the
// system's mail submission program: "-i" (a lone "." line is text), "-f" and the envelope sender
// when one is given, "--" (no recipient can pass for an option) and each recipient as an argument
// of its own. Returns the MAPI result code of the outcome (MapiResultOfSubmission). Throws
// ProgramStartError when the program cannot be run.
int SubmitToSendmail(const QString& program, const QString& envelopeSender, const QStringList& recipients,
                     const QByteArray& message, std::chrono::milliseconds timeout);

// The program's exit status (sysexits.h) as a MAPI result code: 0 success; 67 NOUSER and 68 NOHOST
// an unknown recipient (14); 69 UNAVAILABLE, 75 TEMPFAIL and 76 PROTOCOL a network failure (23);
// 77 NOPERM a login failure (3), which is what a mail server refusing the account's credentials
// gives; anything else, a crash or the timeout included, a general failure (2).
int MapiResultOfSubmission(const ProgramOutcome& outcome);

}  // namespace tervalo::transport
