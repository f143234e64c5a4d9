#include "transport/mailclient/ThunderbirdCompose.h"

namespace tervalo::transport {

namespace {

// The client decodes the value and then splits it into addresses at the commas; the addresses
// themselves hold none (SendThroughMailClient refuses those).
QByteArray encodedList(const QStringList& addresses) {
    return percentEncoded(addresses.join(QLatin1Char(',')));
}

}  // namespace

bool ComposeBodyFitsOnCommandLine(const QString& body) {
    return percentEncoded(body).size() <= kComposeBodyLimit;
}

QString ThunderbirdComposeValue(const ComposeFields& fields, const std::optional<QString>& messageFile) {
    QByteArrayList pairs;
    const auto add = [&](const char* key, const QByteArray& value) {
        if (!value.isEmpty()) {
            pairs.append(key + QByteArray("=") + value);
        }
    };
    add("to", encodedList(fields.to));
    add("cc", encodedList(fields.cc));
    add("bcc", encodedList(fields.bcc));
    add("subject", percentEncoded(fields.subject));
    if (messageFile) {
        add("message", percentEncoded(*messageFile));
    } else {
        add("body", percentEncoded(fields.body));
    }
    pairs.append("format=text");
    QByteArrayList attachments;
    for (const QString& path : fields.attachments) {
        attachments.append(fileUrl(path));
    }
    if (!attachments.isEmpty()) {
        pairs.append("attachment='" + attachments.join(',') + "'");
    }
    return QString::fromLatin1(pairs.join(','));
}

}  // namespace tervalo::transport
