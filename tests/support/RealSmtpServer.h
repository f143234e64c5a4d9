#pragma once

#include <QJsonObject>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

namespace tervalo::transport::testing {

// The aiosmtpd server of smtp_server.py on 127.0.0.1, run for the life of the object.
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
    QProcess m_process;
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

// What Python's email package reads from a message file (message_summary.py).
QJsonObject summarizeMessage(const QString& messageFile);

// Runs a Python snippet with the given arguments; its standard output.
QByteArray runPython(const QString& code, const QStringList& arguments);

}  // namespace tervalo::transport::testing
