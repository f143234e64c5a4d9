#include "transport/smtp/TTCPBlockSocket.h"

#include "transport/smtp/WaitLimit.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace tervalo::transport {

namespace {

constexpr std::size_t kSendPiece = 65536;

bool resolvePort(const QString& port, in_port_t& out) {
    bool numeric = false;
    const uint number = port.toUInt(&numeric);
    if (numeric) {
        if (number > 65535) {
            return false;
        }
        out = htons(in_port_t(number));
        return true;
    }
    const QByteArray name = port.toLatin1();
    if (const servent* service = getservbyname(name.constData(), "tcp")) {
        out = in_port_t(service->s_port);
        return true;
    }
    return false;
}

}  // namespace

TTCPBlockSocket::~TTCPBlockSocket() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool TTCPBlockSocket::Connect(const QString& host, const QString& port) {
    m_lastError = 0;
    in_port_t networkPort = 0;
    if (!resolvePort(port, networkPort)) {
        m_lastError = kLookupFailed;
        return false;
    }
    // A numeric address is used as it is, without asking the resolver.
    std::vector<addrinfo> candidates;
    sockaddr_in numeric4{};
    sockaddr_in6 numeric6{};
    const QByteArray hostName = host.toUtf8();
    addrinfo* found = nullptr;
    if (inet_pton(AF_INET, hostName.constData(), &numeric4.sin_addr) == 1) {
        numeric4.sin_family = AF_INET;
        candidates.push_back({0, AF_INET, SOCK_STREAM, 0, sizeof numeric4,
                              reinterpret_cast<sockaddr*>(&numeric4), nullptr, nullptr});
    } else if (inet_pton(AF_INET6, hostName.constData(), &numeric6.sin6_addr) == 1) {
        numeric6.sin6_family = AF_INET6;
        candidates.push_back({0, AF_INET6, SOCK_STREAM, 0, sizeof numeric6,
                              reinterpret_cast<sockaddr*>(&numeric6), nullptr, nullptr});
    } else {
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        if (getaddrinfo(hostName.constData(), nullptr, &hints, &found) != 0 || !found) {
            m_lastError = kLookupFailed;
            return false;
        }
        // IPv6 addresses only when the name has no IPv4 address.
        for (int family : {AF_INET, AF_INET6}) {
            for (const addrinfo* a = found; a; a = a->ai_next) {
                if (a->ai_family == family) {
                    candidates.push_back(*a);
                }
            }
            if (!candidates.empty()) {
                break;
            }
        }
    }
    for (const addrinfo& candidate : candidates) {
        const addrinfo* a = &candidate;
        sockaddr_storage address{};
        std::memcpy(&address, a->ai_addr, a->ai_addrlen);
        if (a->ai_family == AF_INET) {
            reinterpret_cast<sockaddr_in*>(&address)->sin_port = networkPort;
        } else {
            reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = networkPort;
        }
        const int fd = ::socket(a->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            m_lastError = errno;
            continue;
        }
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), a->ai_addrlen) == 0) {
            // Commands and the final "." are small separate sends that must not wait for the
            // acknowledgement of the previous one.
            const int noDelay = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &noDelay, sizeof noDelay);
            m_fd = fd;
            m_lastError = 0;
            break;
        }
        m_lastError = errno;
        ::close(fd);
    }
    if (found) {
        freeaddrinfo(found);
    }
    return m_fd >= 0;
}

bool TTCPBlockSocket::StartTLS(const QString& host, const QString& caFile, int timeoutMs,
                               QDeadlineTimer deadline) {
    m_lastError = 0;
    m_tlsFailure.clear();
    m_tls = TlsChannel::handshake(m_fd, host, caFile, timeoutMs, deadline, m_tlsFailure);
    if (!m_tls) {
        m_lastError = kTlsFailed;
        return false;
    }
    // Only what arrives through the encryption counts from here on.
    m_buffer.clear();
    m_scanned = 0;
    m_swallow = 0;
    return true;
}

bool TTCPBlockSocket::HasUnreadData() {
    char next = 0;
    const auto peek = [&] {
        ssize_t got = 0;
        do {
            got = ::recv(m_fd, &next, 1, MSG_PEEK | MSG_DONTWAIT);
        } while (got < 0 && errno == EINTR);
        return got > 0;
    };
    // The second byte of the last line's CR LF may still have been on its way.
    if (m_swallow != 0) {
        if (m_buffer.isEmpty() && peek() && next == m_swallow) {
            ::recv(m_fd, &next, 1, MSG_DONTWAIT);
        } else if (!m_buffer.isEmpty() && m_buffer.front() == m_swallow) {
            m_buffer.remove(0, 1);
        }
        m_swallow = 0;
    }
    return !m_buffer.isEmpty() || peek();
}

bool TTCPBlockSocket::SendString(const QByteArray& data, int timeoutMs, QDeadlineTimer deadline) {
    m_lastError = 0;
    const char* at = data.constData();
    std::size_t left = std::size_t(data.size());
    while (left > 0) {
        const std::size_t piece = std::min(left, kSendPiece);
        QDeadlineTimer pieceDeadline = deadline;
        if (timeoutMs >= 0) {
            pieceDeadline = std::min(pieceDeadline, QDeadlineTimer(timeoutMs));
        }
        if (!sendPiece(at, piece, pieceDeadline)) {
            return false;
        }
        at += piece;
        left -= piece;
    }
    return true;
}

bool TTCPBlockSocket::sendPiece(const char* data, std::size_t size, QDeadlineTimer pieceDeadline) {
    if (m_tls) {
        switch (m_tls->write(data, size, pieceDeadline)) {
            case TlsChannel::Io::Done:
                return true;
            case TlsChannel::Io::Timeout:
                m_lastError = kDeadlinePassed;
                return false;
            case TlsChannel::Io::Closed:
            case TlsChannel::Io::Failed:
                m_lastError = kTlsFailed;
                return false;
        }
    }
    while (size > 0) {
        // MSG_NOSIGNAL: a peer that went away must give an error here, not end the program.
        // MSG_DONTWAIT: a peer that stops reading is waited for below, within the piece's deadline.
        const ssize_t sent = ::send(m_fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent >= 0) {
            data += sent;
            size -= std::size_t(sent);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno != EAGAIN && errno != EWOULDBLOCK) {
            m_lastError = errno;
            return false;
        }
        pollfd watch{m_fd, POLLOUT, 0};
        const int ready = ::poll(&watch, 1, waitLimit(-1, pieceDeadline));
        if (ready == 0) {
            m_lastError = kDeadlinePassed;
            return false;
        }
        if (ready < 0 && errno != EINTR) {
            m_lastError = errno;
            return false;
        }
    }
    return true;
}

bool TTCPBlockSocket::takeLine(QByteArray& line) {
    if (m_swallow != 0 && !m_buffer.isEmpty()) {
        if (m_buffer.front() == m_swallow) {
            m_buffer.remove(0, 1);
        }
        m_swallow = 0;
    }
    // Only the bytes that arrived since the last look can hold the line end.
    qsizetype end = m_scanned;
    while (end < m_buffer.size() && m_buffer[end] != '\r' && m_buffer[end] != '\n') {
        ++end;
    }
    if (end == m_buffer.size()) {
        m_scanned = end;
        return false;
    }
    m_scanned = 0;
    const char terminator = m_buffer[end];
    const char partner = terminator == '\r' ? '\n' : '\r';
    line = m_buffer.left(end);
    qsizetype consumed = end + 1;
    if (consumed < m_buffer.size()) {
        if (m_buffer[consumed] == partner) {
            ++consumed;
        }
    } else {
        m_swallow = partner;  // its partner may still be on the way
    }
    m_buffer.remove(0, consumed);
    return true;
}

QByteArray TTCPBlockSocket::RecvString(int timeoutMs, QDeadlineTimer deadline) {
    m_lastError = 0;
    QByteArray line;
    while (!takeLine(line)) {
        if (m_buffer.size() > kMaxLineLength) {
            m_lastError = kLineTooLong;
            return {};
        }
        // A wait cut short by the deadline is no proof of a silent peer: one that trickles its
        // reply a byte at a time never lets a whole wait pass.
        const int wait = waitLimit(timeoutMs, deadline);
        if (!receive(wait)) {
            if (m_lastError == ETIMEDOUT && wait != timeoutMs) {
                m_lastError = kDeadlinePassed;
            }
            return {};
        }
    }
    return line;
}

bool TTCPBlockSocket::receive(int timeoutMs) {
    char chunk[4096];
    if (m_tls) {
        int got = 0;
        switch (m_tls->read(chunk, sizeof chunk, timeoutMs, got)) {
            case TlsChannel::Io::Done:
                m_buffer.append(chunk, got);
                return true;
            case TlsChannel::Io::Timeout:
                m_lastError = ETIMEDOUT;
                return false;
            case TlsChannel::Io::Closed:
                m_lastError = kConnectionClosed;
                return false;
            case TlsChannel::Io::Failed:
                m_lastError = kTlsFailed;
                return false;
        }
    }
    for (;;) {
        pollfd watch{m_fd, POLLIN, 0};
        const int ready = ::poll(&watch, 1, timeoutMs);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            m_lastError = ready == 0 ? ETIMEDOUT : errno;
            return false;
        }
        const ssize_t got = ::recv(m_fd, chunk, sizeof chunk, 0);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_lastError = got == 0 ? kConnectionClosed : errno;
            return false;
        }
        m_buffer.append(chunk, got);
        return true;
    }
}

void TTCPBlockSocket::CloseSocket() {
    if (m_fd < 0) {
        return;
    }
    if (m_tls) {
        m_tls->close();
        m_tls.reset();
    }
    ::shutdown(m_fd, SHUT_WR);
    char discard[4096];
    pollfd watch{m_fd, POLLIN, 0};
    qsizetype discarded = 0;
    while (::poll(&watch, 1, 0) > 0 && discarded < kMaxDiscard) {
        const ssize_t got = ::recv(m_fd, discard, sizeof discard, 0);
        if (got <= 0) {
            break;
        }
        discarded += got;
    }
    ::close(m_fd);
    m_fd = -1;
    m_buffer.clear();
    m_scanned = 0;
    m_swallow = 0;
}

}  // namespace tervalo::transport
