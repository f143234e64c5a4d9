#pragma once

#include "transport/charset/Charset.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace tervalo::transport {

struct MimeEnvironment;

// The top-level header fields of a message. Texts are program text; they are written in
// `HeaderCharset` or encoded where they need it.
struct TMessHeader {
    QString SenderField;
    QStringList RecipientList;
    QStringList CopyList;
    QString SubjectText;
    QDateTime MessageDate;  // invalid: the time of rendering
    QString MailerName;
    QString MessageIdentifier;
    QStringList ExtraHeaderLines;
    Charset HeaderCharset = Charset::CP1250;

    // From, To, Subject, Date, CC, MIME-Version, X-mailer, Message-ID and the extra lines, in
    // that order, each where it applies; not yet folded.
    QList<QByteArray> RenderHeaderLines(const MimeEnvironment& environment) const;
};

}  // namespace tervalo::transport
