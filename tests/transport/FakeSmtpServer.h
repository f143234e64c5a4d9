#pragma once

#include <QByteArray>
#include <QList>

#include <thread>

namespace tervalo::transport::testing {

// A reply as the fake server sends it: in pieces with pauses between them, or nothing at all
// for `stallMs` after the first piece, after which the connection is closed.
struct FakeReply {
    QList<QByteArray> chunks;
    int pauseMs = 30;
    int stallMs = 0;
};

// A scripted SMTP peer on 127.0.0.1 for what real servers will not do. It serves one
// connection: the greeting, then for each command line the reply of the first rule whose prefix
// the line starts with ("250 OK" when none; "354" for DATA, after which the data is read up to
// the "." line and the "." rule answers). It records every command line and the raw data.
class FakeSmtpServer {
public:
    struct Rule {
        QByteArray prefix;
        FakeReply reply;
    };

    FakeSmtpServer(FakeReply greeting, QList<Rule> rules);
    ~FakeSmtpServer();

    quint16 port() const { return m_port; }
    // Waits for the session to end; then the records below are complete.
    void finish();
    const QList<QByteArray>& commands() const { return m_commands; }
    const QByteArray& data() const { return m_data; }

private:
    void serve();
    bool sendReply(int fd, const FakeReply& reply);
    FakeReply replyFor(const QByteArray& line) const;

    FakeReply m_greeting;
    QList<Rule> m_rules;
    int m_listenFd = -1;
    quint16 m_port = 0;
    QList<QByteArray> m_commands;
    QByteArray m_data;
    std::thread m_thread;
};

}  // namespace tervalo::transport::testing
