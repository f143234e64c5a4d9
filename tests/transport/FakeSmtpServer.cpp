#include "FakeSmtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <utility>

namespace tervalo::transport::testing {

namespace {

constexpr int kPeerTimeoutMs = 10000;  // the fake never waits longer than this for the client

bool sendAll(int fd, const QByteArray& bytes) {
    return ::send(fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL) == bytes.size();
}

// One line up to CR LF (without it); empty optional when the client closed or went silent.
std::optional<QByteArray> readLine(int fd) {
    QByteArray line;
    for (;;) {
        pollfd watch{fd, POLLIN, 0};
        if (::poll(&watch, 1, kPeerTimeoutMs) <= 0) {
            return std::nullopt;
        }
        char c;
        if (::recv(fd, &c, 1, 0) != 1) {
            return std::nullopt;
        }
        line.append(c);
        if (line.endsWith("\r\n")) {
            line.chop(2);
            return line;
        }
    }
}

// Waits up to `ms` or until the client closes its end, whichever comes first: a stalled session ends
// with the client, so the next session's greeting is not late.
void stall(int fd, int ms) {
    pollfd watch{fd, POLLRDHUP, 0};
    ::poll(&watch, 1, ms);
}

}  // namespace

FakeSmtpServer::FakeSmtpServer(FakeReply greeting, QList<Rule> rules)
    : FakeSmtpServer(QList<Session>{{std::move(greeting), std::move(rules)}}) {}

FakeSmtpServer::FakeSmtpServer(QList<Session> sessions) : m_sessions(std::move(sessions)) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    // A small receive buffer, inherited by the connections: a server that stops reading the message
    // makes the client wait after a few hundred kilobytes instead of after megabytes.
    const int receiveBuffer = 64 * 1024;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length);
    ::listen(m_listenFd, 1);
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port = ntohs(address.sin_port);
    m_thread = std::thread([this] { serve(); });
}

FakeSmtpServer::~FakeSmtpServer() {
    finish();
    ::close(m_listenFd);
}

void FakeSmtpServer::finish() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

FakeReply FakeSmtpServer::replyFor(const Session& session, const QByteArray& line, QList<int>& matches) {
    matches.resize(session.rules.size());
    for (qsizetype i = 0; i < session.rules.size(); ++i) {
        const Rule& rule = session.rules[i];
        if (line.startsWith(rule.prefix) && matches[i]++ >= rule.after) {
            return rule.reply;
        }
    }
    if (line == "QUIT") {
        return {{"221 bye\r\n"}};
    }
    if (line == "DATA") {
        return {{"354 go ahead\r\n"}};
    }
    return {{"250 OK\r\n"}};
}

bool FakeSmtpServer::sendReply(int fd, const FakeReply& reply) {
    do {
        for (qsizetype i = 0; i < reply.chunks.size(); ++i) {
            if (i > 0 || reply.endless) {
                std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
            }
            if (!sendAll(fd, reply.chunks[i])) {
                return false;
            }
            if (reply.stallMs > 0) {
                stall(fd, reply.stallMs);
                return false;
            }
        }
    } while (reply.endless);
    return true;
}

void FakeSmtpServer::serve() {
    for (const Session& session : m_sessions) {
        pollfd watch{m_listenFd, POLLIN, 0};
        if (::poll(&watch, 1, kPeerTimeoutMs) <= 0) {
            return;
        }
        const int fd = ::accept(m_listenFd, nullptr, nullptr);
        if (fd < 0) {
            return;
        }
        // A client that neither reads nor closes cannot keep the fake sending for ever.
        const timeval sendTimeout{kPeerTimeoutMs / 1000, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &sendTimeout, sizeof sendTimeout);
        m_sessionCommands.append(QList<QByteArray>());
        serveSession(fd, session);
        ::close(fd);
    }
}

void FakeSmtpServer::serveSession(int fd, const Session& session) {
    const auto record = [this](const QByteArray& line) {
        m_commands.append(line);
        m_sessionCommands.back().append(line);
    };
    QList<int> matches;
    QList<FakeReply> held;
    bool open = sendReply(fd, session.greeting);
    while (open) {
        const std::optional<QByteArray> line = readLine(fd);
        if (!line) {
            break;
        }
        record(*line);
        const FakeReply reply = replyFor(session, *line, matches);
        if (session.repliesAfterData && *line != "DATA" && (line->startsWith("MAIL") || !held.isEmpty())) {
            held.append(reply);
            continue;
        }
        for (const FakeReply& earlier : std::as_const(held)) {
            open = open && sendReply(fd, earlier);
        }
        held.clear();
        open = open && sendReply(fd, reply) && *line != "QUIT";
        if (open && *line == "DATA" && reply.chunks.join().startsWith("354")) {
            // A fresh line each round: reassigning one optional QByteArray makes GCC's optimiser warn of
            // an uninitialised array.
            bool ended = false;
            qsizetype read = 0;
            while (!ended) {
                if (session.stopReadingDataAfter >= 0 && read >= session.stopReadingDataAfter) {
                    stall(fd, session.dataStallMs);
                    return;
                }
                const std::optional<QByteArray> dataLine = readLine(fd);
                if (!dataLine) {
                    break;
                }
                read += dataLine->size() + 2;
                ended = *dataLine == ".";
                if (!ended) {
                    m_data.append(*dataLine).append("\r\n");
                }
            }
            if (!ended) {
                break;
            }
            record(".");
            open = sendReply(fd, replyFor(session, ".", matches));
        }
    }
}

}  // namespace tervalo::transport::testing
