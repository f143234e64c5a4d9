#include "transport/mailclient/MailtoUri.h"

namespace tervalo::transport {

QString MailtoUri(const ComposeFields& fields, bool attachParameter) {
    QByteArrayList to;
    for (const QString& address : fields.to) {
        to.append(percentEncoded(address, "@"));
    }
    QByteArrayList query;
    const auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty()) {
            query.append(name + QByteArray("=") + percentEncoded(value));
        }
    };
    add("cc", fields.cc.join(QLatin1Char(',')));
    add("bcc", fields.bcc.join(QLatin1Char(',')));
    add("subject", fields.subject);
    add("body", fields.body);
    if (attachParameter) {
        for (const QString& path : fields.attachments) {
            add("attach", path);
        }
    }
    QByteArray uri = "mailto:" + to.join(',');
    if (!query.isEmpty()) {
        uri += '?' + query.join('&');
    }
    return QString::fromLatin1(uri);
}

}  // namespace tervalo::transport
