#include "browser/WebAddress.h"

#include <QRegularExpression>
#include <QUrl>

namespace tervalo::browser {

namespace {

// A scheme and its colon at the start, unless what follows the colon is a port number
// ("firma.cz:8080/cenik" is a host with its port, not the scheme "firma.cz").
bool hasScheme(const QString& text) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*:(?!\\d+(?:[/?#]|$))"));
    return scheme.match(text).hasMatch();
}

}  // namespace

std::optional<QString> WebPageAddress(const QString& text) {
    const QString trimmed = text.trimmed();
    const QUrl url(hasScheme(trimmed) ? trimmed : QStringLiteral("http://") + trimmed, QUrl::TolerantMode);
    const QString scheme = url.scheme();
    if (!url.isValid() || (scheme != QStringLiteral("http") && scheme != QStringLiteral("https")) ||
        url.host().isEmpty()) {
        return std::nullopt;
    }
    return QString::fromLatin1(url.toEncoded());
}

}  // namespace tervalo::browser
