#pragma once

#include "transport/mailclient/ComposeFields.h"
#include "transport/mailclient/MailClientCommand.h"
#include "transport/mailclient/TJclMapiClient.h"

#include <QString>
#include <QStringList>

namespace tervalo::transport {

// The command that opens a mail client's compose window filled with a message.
struct ComposeCommand {
    QString program;
    QStringList arguments;
    bool attachmentsPassed = true;  // false: the client offers no way to take them
};

// By the client's program name: the Thunderbird family ("thunderbird", "icedove") gets "-compose"
// (a body too long for the command line is written to a UTF-8 file beside the first attachment,
// or in the system's temporary folder, and left there for the client to read whenever it starts);
// every other client gets its Exec line with a mailto: address. Attachments go to Evolution as
// "attach=" fields of the address, to Claws Mail as "--attach" files and to KMail as "--attach"
// file URLs. Other clients have no known way to take a file: they get the message without it, and
// `attachmentsPassed` says so, for the user to attach it by hand.
// Throws EJclMapiError (2) when the body file cannot be written or the Exec line is malformed.
ComposeCommand ComposeCommandFor(const TJclMapiClient& client, const MailClientCommand& command,
                                 const ComposeFields& fields);

}  // namespace tervalo::transport
