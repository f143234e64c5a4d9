#include "transport/mime/TMessHeader.h"

#include "transport/mime/AddressText.h"
#include "transport/mime/HeaderEncoding.h"
#include "transport/mime/MimeEnvironment.h"

namespace tervalo::transport {

namespace {

QByteArray addressList(const QStringList& entries, const MimeCharsets& charsets) {
    QByteArray out;
    for (const QString& entry : entries) {
        if (!out.isEmpty()) {
            out += " , ";
        }
        out += EncodeAddressField(controlCharactersAsSpaces(entry), charsets);
    }
    return out;
}

}  // namespace

QList<QByteArray> TMessHeader::RenderHeaderLines(const MimeEnvironment& environment) const {
    MimeCharsets charsets = environment.charsets;
    charsets.local = HeaderCharset;

    // Control characters of every field become spaces: a CR or LF would end the header line and start
    // a header of its own. Sending refuses addresses that hold one anyway (SmtpSender).
    QList<QByteArray> lines;
    lines.append("From: " + EncodeAddressField(controlCharactersAsSpaces(SenderField), charsets));
    if (!RecipientList.isEmpty()) {
        lines.append("To: " + addressList(RecipientList, charsets));
    }
    if (!SubjectText.isEmpty()) {
        lines.append("Subject: " + EncodeHeaderText(controlCharactersAsSpaces(SubjectText), charsets));
    }
    const QDateTime date = MessageDate.isValid() ? MessageDate : environment.currentTime();
    lines.append("Date: " + FormatMailDate(date, environment.timeZoneBiasMinutes()));
    if (!CopyList.isEmpty()) {
        lines.append("CC: " + addressList(CopyList, charsets));
    }
    lines.append("MIME-Version: 1.0 (produced by Synapse)");
    lines.append("X-mailer: " + charsets.toLocal(controlCharactersAsSpaces(MailerName)));
    if (const QString identifier = controlCharactersAsSpaces(trimControl(MessageIdentifier));
        !identifier.isEmpty()) {
        lines.append("Message-ID: <" + charsets.toLocal(identifier) + '>');
    }
    for (const QString& extra : ExtraHeaderLines) {
        if (!extra.isEmpty()) {
            lines.append(charsets.toLocal(controlCharactersAsSpaces(extra)));
        }
    }
    return lines;
}

}  // namespace tervalo::transport
