#include "transport/mailclient/DesktopKeyFile.h"

#include "transport/mailclient/DesktopExec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tervalo::transport {

namespace {

QString unescaped(const QString& value) {
    QString result;
    result.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            result += value[i];
            continue;
        }
        QChar next = value[++i];
        switch (next.unicode()) {
            case 's':
                result += QLatin1Char(' ');
                break;
            case 'n':
                result += QLatin1Char('\n');
                break;
            case 't':
                result += QLatin1Char('\t');
                break;
            case 'r':
                result += QLatin1Char('\r');
                break;
            default:  // "\\", and escapes that belong to the Exec quoting, kept for it
                if (next != QLatin1Char('\\')) {
                    result += QLatin1Char('\\');
                }
                result += next;
        }
    }
    return result;
}

bool isExecutableFile(const QString& path) {
    QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

}  // namespace

DesktopKeyFile DesktopKeyFile::read(const QString& path) {
    DesktopKeyFile file;
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return file;
    }
    QString group;
    for (const QByteArray& rawLine : in.readAll().split('\n')) {
        QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            group = line.mid(1, line.size() - 2);
            continue;
        }
        qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals > 0) {
            QString key = line.left(equals).trimmed();
            // The first occurrence of a key counts.
            if (!file.m_groups[group].contains(key)) {
                file.m_groups[group].insert(key, line.mid(equals + 1).trimmed());
            }
        }
    }
    return file;
}

std::optional<QString> DesktopKeyFile::value(const QString& group, const QString& key) const {
    auto groupIt = m_groups.constFind(group);
    if (groupIt == m_groups.constEnd()) {
        return std::nullopt;
    }
    auto keyIt = groupIt->constFind(key);
    if (keyIt == groupIt->constEnd()) {
        return std::nullopt;
    }
    return unescaped(*keyIt);
}

QStringList DesktopKeyFile::list(const QString& group, const QString& key) const {
    QStringList items;
    for (const QString& item : value(group, key).value_or(QString()).split(QLatin1Char(';'))) {
        if (!item.trimmed().isEmpty()) {
            items << item.trimmed();
        }
    }
    return items;
}

QString programOfExec(const QString& exec) {
    return SplitExec(exec).value_or(QStringList()).value(0);
}

QString resolveProgram(const QString& program, const QStringList& searchPath) {
    if (program.isEmpty()) {
        return {};
    }
    if (program.contains(QLatin1Char('/'))) {
        return isExecutableFile(program) ? program : QString();
    }
    for (const QString& folder : searchPath) {
        QString candidate = QDir(folder).filePath(program);
        if (isExecutableFile(candidate)) {
            return candidate;
        }
    }
    return {};
}

}  // namespace tervalo::transport
