#pragma once

#include "support/RunProcess.h"

#include <QJsonObject>
#include <QStringList>
#include <QTemporaryDir>

namespace tervalo::transport::testing {

// The aiosmtpd server of smtp_server.py on 127.0.0.1, run for the life of the object. A server that
// does not come up, or ends badly, fails the test.
class RealSmtpServer {
public:
    explicit RealSmtpServer(const QStringList& arguments);
    ~RealSmtpServer();

    bool isRunning() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    QString server() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    // The stored messages (NNN.eml) in the order they arrived.
    QStringList messageFiles() const;
    // The envelope stored beside a message.
    QJsonObject envelope(const QString& messageFile) const;

private:
    QTemporaryDir m_maildir;
    test::ChildProcess m_process;
    quint16 m_port = 0;
};

// The certificates of make_test_certs.py, made afresh in a temporary folder: the test CA (caFile)
// and the server certificates "server", "wronghost", "expired" and "selfsigned".
class TestCertificates {
public:
    TestCertificates();

    bool isValid() const;
    QString caFile() const { return m_dir.filePath(QStringLiteral("ca.pem")); }
    // The server arguments of smtp_server.py for TLS ("starttls" or "implicit") with certificate `name`.
    QStringList serverArguments(const QString& tls, const QString& name) const;

private:
    QTemporaryDir m_dir;
};

// The man in the middle of starttls_injector.py, for one connection: its "220" to STARTTLS comes with
// injected success replies to everything that follows, and a client that starts TLS after it gets a
// real handshake with the certificate "server" and a refusal of every command.
class StartTlsInjector {
public:
    explicit StartTlsInjector(const TestCertificates& certificates);
    ~StartTlsInjector();

    bool isRunning() const { return m_port != 0; }
    quint16 port() const { return m_port; }
    // Waits for the connection to end: how many bytes the client sent after the 220 ("0" when none,
    // "none" when it never asked for STARTTLS).
    QByteArray bytesAfter220();

private:
    test::ChildProcess m_process;
    quint16 m_port = 0;
};

// What Python's email package reads from a message file (message_summary.py).
QJsonObject summarizeMessage(const QString& messageFile);

}  // namespace tervalo::transport::testing
