#include "app/UrlLink.h"

namespace tervalo::app {

namespace {

QString prefix(const UrlLink& link) {
    switch (link.URLType) {
        case TUrlType::utCustom:
            return link.CustomURLType;
        case TUrlType::utFile:
            return QStringLiteral("file://");
        case TUrlType::utFtp:
            return QStringLiteral("ftp://");
        case TUrlType::utGopher:
            return QStringLiteral("gopher://");
        case TUrlType::utHttp:
            return QStringLiteral("http://");
        case TUrlType::utHttps:
            return QStringLiteral("https://");
        case TUrlType::utMail:
            return QStringLiteral("mailto:");
        case TUrlType::utNews:
            return QStringLiteral("news:");
        case TUrlType::utTelnet:
            return QStringLiteral("telnet:");
        case TUrlType::utWais:
            return QStringLiteral("wais:");
    }
    return {};
}

}  // namespace

QString UrlLink::fullAddress() const {
    QString address = prefix(*this) + URL;
    if (URLType != TUrlType::utMail) {
        return address;
    }
    // The first part that follows the address begins with "?", the others with "&".
    bool first = true;
    auto part = [&](const QString& name, const QString& value) {
        address += (first ? QLatin1Char('?') : QLatin1Char('&')) + name + QLatin1Char('=') + value;
        first = false;
    };
    if (!MailSubject.isEmpty()) {
        part(QStringLiteral("Subject"), MailSubject);
    }
    if (!MailBody.isEmpty()) {
        QString body;
        for (const QString& line : MailBody) {
            body += line + QStringLiteral("%0D%0A");
        }
        part(QStringLiteral("Body"), body);
    }
    if (!Bcc.isEmpty()) {
        part(QStringLiteral("Bcc"), Bcc);
    }
    if (!Cc.isEmpty()) {
        part(QStringLiteral("Cc"), Cc);
    }
    return address;
}

}  // namespace tervalo::app
