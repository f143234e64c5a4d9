#include "ProcessMemory.h"

#include <QByteArray>
#include <QFile>

namespace tervalo::bench {

double processMemoryMb(const char* key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray prefix = QByteArray(key) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            return line.mid(prefix.size()).trimmed().split(' ').front().toDouble() / 1024.0;
        }
    }
    return -1;
}

}  // namespace tervalo::bench
