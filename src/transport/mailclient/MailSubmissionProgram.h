#pragma once

#include "transport/mailclient/MailClientEnvironment.h"

#include <QString>

namespace tervalo::transport {

// The system's mail submission program as the user needs to know it.
struct MailSubmissionProgram {
    QString path;       // as found; empty when the system has none
    QString name;       // "msmtp", "Postfix", ...; the path itself when the program is not recognised
    QString queueHint;  // Czech: where its queue is seen; empty for a program that sends at once

    bool found() const { return !path.isEmpty(); }
};

// The mail submission program: the first of the fixed places that holds one, then "sendmail" on the
// search path; empty when there is none.
QString FindMailSubmissionProgram(const MailClientEnvironment& environment);

// Recognises the program behind `path` (usually a link to it) by the program the link ends at and by
// the programs installed beside it.
MailSubmissionProgram DescribeMailSubmission(const QString& path);

}  // namespace tervalo::transport
