#include "FakeSmtpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <optional>

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

}  // namespace

FakeSmtpServer::FakeSmtpServer(FakeReply greeting, QList<Rule> rules)
    : m_greeting(std::move(greeting)), m_rules(std::move(rules)) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
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

FakeReply FakeSmtpServer::replyFor(const QByteArray& line) const {
    for (const Rule& rule : m_rules) {
        if (line.startsWith(rule.prefix)) {
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
    for (qsizetype i = 0; i < reply.chunks.size(); ++i) {
        if (i > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.pauseMs));
        }
        if (!sendAll(fd, reply.chunks[i])) {
            return false;
        }
        if (reply.stallMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(reply.stallMs));
            return false;
        }
    }
    return true;
}

void FakeSmtpServer::serve() {
    pollfd watch{m_listenFd, POLLIN, 0};
    if (::poll(&watch, 1, kPeerTimeoutMs) <= 0) {
        return;
    }
    const int fd = ::accept(m_listenFd, nullptr, nullptr);
    if (fd < 0) {
        return;
    }
    bool open = sendReply(fd, m_greeting);
    while (open) {
        const std::optional<QByteArray> line = readLine(fd);
        if (!line) {
            break;
        }
        m_commands.append(*line);
        const FakeReply reply = replyFor(*line);
        open = sendReply(fd, reply) && *line != "QUIT";
        if (open && *line == "DATA" && reply.chunks.value(0).startsWith("354")) {
            // A fresh line each round: reassigning one optional QByteArray makes GCC's optimiser warn of
            // an uninitialised array.
            bool ended = false;
            while (!ended) {
                const std::optional<QByteArray> dataLine = readLine(fd);
                if (!dataLine) {
                    break;
                }
                ended = *dataLine == ".";
                if (!ended) {
                    m_data.append(*dataLine).append("\r\n");
                }
            }
            if (!ended) {
                break;
            }
            m_commands.append(".");
            open = sendReply(fd, replyFor("."));
        }
    }
    ::close(fd);
}

}  // namespace tervalo::transport::testing
