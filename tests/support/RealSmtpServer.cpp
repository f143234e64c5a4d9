#include "support/RealSmtpServer.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>

namespace tervalo::transport::testing {

namespace {
const QString kScripts = QStringLiteral(TERVALO_SOURCE_DIR "/tests/support/");
constexpr int kStartMs = 20000;
}  // namespace

RealSmtpServer::RealSmtpServer(const QStringList& arguments) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(QStringLiteral(TERVALO_PYTHON),
                    QStringList{kScripts + QStringLiteral("smtp_server.py"), QStringLiteral("--maildir"),
                                m_maildir.path(), QStringLiteral("--lifetime"), QStringLiteral("300")} +
                        arguments);
    if (!m_process.waitForStarted(kStartMs)) {
        return;
    }
    while (!m_process.canReadLine() && m_process.waitForReadyRead(kStartMs)) {
    }
    const QByteArray line = m_process.readLine().trimmed();
    if (line.startsWith("READY ")) {
        m_port = quint16(line.mid(6).toUInt());
    }
}

RealSmtpServer::~RealSmtpServer() {
    m_process.closeWriteChannel();
    if (!m_process.waitForFinished(10000)) {
        m_process.kill();
        m_process.waitForFinished();
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
    runPython(
        QStringLiteral(
            "import runpy, sys\nsys.argv = sys.argv[1:]\nrunpy.run_path(sys.argv[0], run_name='__main__')"),
        {kScripts + QStringLiteral("make_test_certs.py"), m_dir.path()});
}

bool TestCertificates::isValid() const {
    return QFile::exists(caFile()) && QFile::exists(m_dir.filePath(QStringLiteral("selfsigned.key")));
}

QStringList TestCertificates::serverArguments(const QString& tls, const QString& name) const {
    return {QStringLiteral("--tls"),         tls,
            QStringLiteral("--certificate"), m_dir.filePath(name + QStringLiteral(".pem")),
            QStringLiteral("--key"),         m_dir.filePath(name + QStringLiteral(".key"))};
}

QByteArray runPython(const QString& code, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TERVALO_PYTHON), QStringList{QStringLiteral("-c"), code} + arguments);
    process.waitForFinished(30000);
    return process.readAllStandardOutput();
}

QJsonObject summarizeMessage(const QString& messageFile) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(QStringLiteral(TERVALO_PYTHON),
                  {kScripts + QStringLiteral("message_summary.py"), messageFile});
    process.waitForFinished(30000);
    return QJsonDocument::fromJson(process.readAllStandardOutput()).object();
}

}  // namespace tervalo::transport::testing
