#pragma once

#include <QByteArray>
#include <QList>

#include <thread>

namespace tervalo::transport::testing {

// A reply as the fake server sends it: in pieces with pauses between them, or nothing at all
// for `stallMs` (or until the client closes) after the first piece, after which the connection is
// closed. An endless reply
// starts again from its first piece after the last, until the client goes away.
struct FakeReply {
    QList<QByteArray> chunks;
    int pauseMs = 30;
    int stallMs = 0;
    bool endless = false;
};

// A scripted SMTP peer on 127.0.0.1 for what real servers will not do. It serves its sessions one
// connection after another: the greeting, then for each command line the reply of the first rule
// whose prefix the line starts with ("250 OK" when none; "354" for DATA, after which the data is
// read up to the "." line and the "." rule answers). It records every command line and the raw data.
class FakeSmtpServer {
public:
    struct Rule {
        QByteArray prefix;
        FakeReply reply;
        // The rule answers from this many earlier matching lines of its session on; those before get
        // the usual reply. Lets a session accept a first message and turn the next one away.
        int after = 0;
    };
    struct Session {
        FakeReply greeting;
        QList<Rule> rules;
        // After this many bytes of the message the server stops reading: it neither reads nor
        // answers for `dataStallMs` (or until the client closes), then closes. Negative: it reads the whole
        // message.
        qsizetype stopReadingDataAfter = -1;
        int dataStallMs = 0;
        // The replies from MAIL on are held back until DATA has arrived, then sent in order, as a
        // pipelining server may answer a group: a client waiting for each reply before its next
        // command waits in vain.
        bool repliesAfterData = false;
    };

    FakeSmtpServer(FakeReply greeting, QList<Rule> rules);
    explicit FakeSmtpServer(QList<Session> sessions);
    ~FakeSmtpServer();

    quint16 port() const { return m_port; }
    // Waits for the sessions to end; then the records below are complete.
    void finish();
    // The command lines of all sessions, and of each.
    const QList<QByteArray>& commands() const { return m_commands; }
    const QList<QList<QByteArray>>& sessionCommands() const { return m_sessionCommands; }
    const QByteArray& data() const { return m_data; }

private:
    void serve();
    void serveSession(int fd, const Session& session);
    bool sendReply(int fd, const FakeReply& reply);
    // `matches` counts each rule's matching lines in the session so far.
    static FakeReply replyFor(const Session& session, const QByteArray& line, QList<int>& matches);

    QList<Session> m_sessions;
    int m_listenFd = -1;
    quint16 m_port = 0;
    QList<QByteArray> m_commands;
    QList<QList<QByteArray>> m_sessionCommands;
    QByteArray m_data;
    std::thread m_thread;
};

}  // namespace tervalo::transport::testing
