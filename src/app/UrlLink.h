#pragma once

#include <QString>
#include <QStringList>

namespace tervalo::app {

enum class TUrlType { utCustom, utFile, utFtp, utGopher, utHttp, utHttps, utMail, utNews, utTelnet, utWais };

// What a clickable address label opens: a prefix by type, the address, and for mail the subject,
// body lines, blind and carbon copies.
struct UrlLink {
    QString URL;
    TUrlType URLType = TUrlType::utHttp;
    QString CustomURLType;
    QString MailSubject;
    QStringList MailBody;
    QString Cc;
    QString Bcc;

    QString fullAddress() const;
};

}  // namespace tervalo::app
