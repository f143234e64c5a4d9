#pragma once

#include "transport/mailclient/MailSubmissionProgram.h"

#include <QString>

namespace tervalo::sending {

// The note appended to the finished status of a bulk run through the mail client: which program the
// messages were handed to and, when it only queues them, where its queue is seen. Starts with a blank.
QString SubmissionStatusNote(const transport::MailSubmissionProgram& program);

}  // namespace tervalo::sending
