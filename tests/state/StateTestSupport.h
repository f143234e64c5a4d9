#pragma once

#include "state/StateTables.h"

#include "platform/SystemLocale.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace tervalo::test {

inline QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline quint32 le32(const QByteArray& bytes, int offset) {
    return quint32(quint8(bytes[offset])) | quint32(quint8(bytes[offset + 1])) << 8 |
           quint32(quint8(bytes[offset + 2])) << 16 | quint32(quint8(bytes[offset + 3])) << 24;
}

inline int le16(const QByteArray& bytes, int offset) {
    return quint8(bytes[offset]) | quint8(bytes[offset + 1]) << 8;
}

struct ProcessResult {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

inline ProcessResult run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(600000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

}  // namespace tervalo::test
