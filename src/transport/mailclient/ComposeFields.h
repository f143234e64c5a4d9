#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tervalo::transport {

// What a mail client's compose window is filled with.
struct ComposeFields {
    QStringList to;
    QStringList cc;
    QStringList bcc;
    QString subject;
    QString body;             // line breaks as CR LF
    QStringList attachments;  // absolute paths
};

// Every byte of the UTF-8 text percent-encoded except letters, digits and "-._~" and the
// characters of `keep`: no delimiter of any surrounding syntax survives.
QByteArray percentEncoded(const QString& text, const QByteArray& keep = {});

// "file://" and the path percent-encoded, slashes kept.
QByteArray fileUrl(const QString& absolutePath);

// The text with CR LF, lone CR and lone LF all made CR LF.
QString withCrLf(const QString& text);

}  // namespace tervalo::transport
