#include "support/RealSmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

#include <gtest/gtest.h>

namespace tervalo::transport::testing {

namespace {
const QString kScripts = QStringLiteral(TERVALO_SOURCE_DIR "/tests/support/");
constexpr int kStartMs = 20000;
}  // namespace

// The server stops when its standard input closes, which finish() does.
RealSmtpServer::RealSmtpServer(const QStringList& arguments)
    : m_process(
          {.program = QStringLiteral(TERVALO_PYTHON),
           .arguments = QStringList{kScripts + QStringLiteral("smtp_server.py"), QStringLiteral("--maildir"),
                                    m_maildir.path(), QStringLiteral("--lifetime"), QStringLiteral("300")} +
                        arguments,
           .timeoutMs = 10000}) {
    const QByteArray line = m_process.readLine(kStartMs);
    if (line.startsWith("READY ")) {
        m_port = quint16(line.mid(6).toUInt());
    } else if (m_process.started()) {
        ADD_FAILURE() << "smtp_server.py did not report READY but: " << line.toStdString();
    }
}

RealSmtpServer::~RealSmtpServer() {
    const test::ProcessResult result = m_process.finish();
    if (m_process.started()) {
        EXPECT_EQ(result.exitCode, 0) << "smtp_server.py:\n" << result.err.toStdString();
    }
}

QStringList RealSmtpServer::messageFiles() const {
    QStringList files;
    for (const QString& name :
         QDir(m_maildir.path()).entryList({QStringLiteral("*.eml")}, QDir::Files, QDir::Name)) {
        files.append(m_maildir.filePath(name));
    }
    return files;
}

QJsonObject RealSmtpServer::envelope(const QString& messageFile) const {
    QFile file(messageFile.chopped(4) + QStringLiteral(".json"));
    return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object() : QJsonObject();
}

TestCertificates::TestCertificates() {
    test::runPython({kScripts + QStringLiteral("make_test_certs.py"), m_dir.path()});
}

bool TestCertificates::isValid() const {
    return QFile::exists(caFile()) && QFile::exists(m_dir.filePath(QStringLiteral("selfsigned.key")));
}

QStringList TestCertificates::serverArguments(const QString& tls, const QString& name) const {
    return {QStringLiteral("--tls"),         tls,
            QStringLiteral("--certificate"), m_dir.filePath(name + QStringLiteral(".pem")),
            QStringLiteral("--key"),         m_dir.filePath(name + QStringLiteral(".key"))};
}

StartTlsInjector::StartTlsInjector(const TestCertificates& certificates)
    : m_process({.program = QStringLiteral(TERVALO_PYTHON),
                 .arguments = QStringList{kScripts + QStringLiteral("starttls_injector.py")} +
                              certificates.serverArguments(QString(), QStringLiteral("server")).mid(2),
                 .timeoutMs = 30000}) {
    const QByteArray line = m_process.readLine(kStartMs);
    if (line.startsWith("READY ")) {
        m_port = quint16(line.mid(6).toUInt());
    } else if (m_process.started()) {
        ADD_FAILURE() << "starttls_injector.py did not report READY but: " << line.toStdString();
    }
}

StartTlsInjector::~StartTlsInjector() {
    const test::ProcessResult result = m_process.finish();
    if (m_process.started()) {
        EXPECT_EQ(result.exitCode, 0) << "starttls_injector.py:\n" << result.err.toStdString();
    }
}

QByteArray StartTlsInjector::bytesAfter220() {
    const QByteArray line = m_process.readLine(kStartMs);
    EXPECT_TRUE(line.startsWith("AFTER220 ")) << line.toStdString();
    return line.mid(9);
}

QJsonObject summarizeMessage(const QString& messageFile) {
    return QJsonDocument::fromJson(
               test::runPython({kScripts + QStringLiteral("message_summary.py"), messageFile}))
        .object();
}

}  // namespace tervalo::transport::testing
