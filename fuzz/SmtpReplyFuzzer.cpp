// A whole SMTP session against a peer on 127.0.0.1 that answers with the input: greeting, EHLO and
// capabilities, authentication challenges, envelope, data and quit replies are read from it in turn.
// The first byte chooses plain text or STARTTLS. The peer sends everything, then closes its side, so a
// session that waits for more must see the end of the connection, never the timeout.
#include "transport/smtp/SmtpError.h"
#include "transport/smtp/TSMTPSend.h"

#include <QByteArray>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <thread>

namespace {

using namespace tervalo;

int listeningSocket(quint16& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 4) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::abort();
    }
    port = ntohs(address.sin_port);
    return fd;
}

void servePeer(int listener, const QByteArray& replies) {
    const int fd = ::accept(listener, nullptr, nullptr);
    if (fd < 0) {
        return;  // the client gave up before connecting; it reports that itself
    }
    for (qsizetype sent = 0; sent < replies.size();) {
        const ssize_t n =
            ::send(fd, replies.constData() + sent, std::size_t(replies.size() - sent), MSG_NOSIGNAL);
        if (n <= 0) {
            break;
        }
        sent += n;
    }
    ::shutdown(fd, SHUT_WR);
    char sink[4096];
    while (::recv(fd, sink, sizeof sink, 0) > 0) {
    }
    ::close(fd);
}

void runSession(quint16 port, transport::SmtpSecurity security) {
    transport::SmtpSessionOptions options;
    options.replyTimeoutMs = 5000;
    options.localHostName = QStringLiteral("fuzz.example.cz");
    options.security = security;
    transport::TSMTPSend session(options);
    session.setServerHost(QStringLiteral("127.0.0.1"));
    session.setServerPort(QString::number(port));
    session.setAccount(QStringLiteral("uživatel"), QStringLiteral("heslo"));
    if (!session.OpenSmtpSession()) {
        session.FailureReply();
        return;
    }
    if (session.SendEnvelope(QStringLiteral("odesilatel@example.cz"), 120,
                             {QStringLiteral("dluznik@example.cz"), QStringLiteral("kopie@example.cz")}) &&
        session.SendMessageText({"Subject: Upominka", "", "Text.", ".tecka na zacatku"})) {
        session.CloseSmtpSession();
    }
    session.FailureReply();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static quint16 port = 0;
    static const int listener = listeningSocket(port);
    if (size == 0) {
        return 0;
    }
    const auto security =
        data[0] % 2 == 0 ? transport::SmtpSecurity::None : transport::SmtpSecurity::StartTls;
    const QByteArray replies(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    std::thread peer(servePeer, listener, replies);
    try {
        runSession(port, security);
    } catch (const transport::SmtpError&) {
        // A reply beyond any sane size: the session tells the user and ends.
    }
    peer.join();
    return 0;
}
