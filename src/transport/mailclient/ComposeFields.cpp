#include "transport/mailclient/ComposeFields.h"

#include <QUrl>

namespace tervalo::transport {

QByteArray percentEncoded(const QString& text, const QByteArray& keep) {
    return QUrl::toPercentEncoding(text, keep);
}

QByteArray fileUrl(const QString& absolutePath) {
    return "file://" + percentEncoded(absolutePath, "/");
}

QString withCrLf(const QString& text) {
    QString result;
    result.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('\r') || text[i] == QLatin1Char('\n')) {
            if (text[i] == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
                ++i;
            }
            result += QStringLiteral("\r\n");
        } else {
            result += text[i];
        }
    }
    return result;
}

}  // namespace tervalo::transport
