#include "platform/InternetConnection.h"

#include <netdb.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tervalo::platform {

bool IsInternetConnected(const QString& smtpHost, int smtpPort) {
    const QByteArray host = smtpHost.trimmed().toUtf8();
    if (host.isEmpty()) {
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const QByteArray service = QByteArray::number(smtpPort);
    if (getaddrinfo(host.constData(), service.constData(), &hints, &found) != 0 || !found) {
        return false;
    }
    bool routed = false;
    for (const addrinfo* a = found; a && !routed; a = a->ai_next) {
        const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
        if (fd < 0) {
            continue;
        }
        // connect() on a datagram socket only chooses the route; it fails with ENETUNREACH when the
        // system has none.
        routed = ::connect(fd, a->ai_addr, a->ai_addrlen) == 0;
        ::close(fd);
    }
    freeaddrinfo(found);
    return routed;
}

}  // namespace tervalo::platform
