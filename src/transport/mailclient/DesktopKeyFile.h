#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

namespace tervalo::transport {

// The keys of one group of a freedesktop.org key file (desktop entries, mimeapps.list): UTF-8,
// "[Group]" lines, "Key=Value" lines, "#" comments. Group and key names are case-sensitive.
class DesktopKeyFile {
public:
    // Empty when the file cannot be read.
    static DesktopKeyFile read(const QString& path);

    // The value with the escapes \s \n \t \r \\ resolved, or empty when the key is missing.
    std::optional<QString> value(const QString& group, const QString& key) const;
    // A ";"-separated list value.
    QStringList list(const QString& group, const QString& key) const;

private:
    QHash<QString, QHash<QString, QString>> m_groups;
};

// The program of an Exec line: its first argument, with the quoting rules of desktop entries.
QString programOfExec(const QString& exec);

// `program` itself when it names a path, else the first executable file of that name in `searchPath`;
// empty when there is none.
QString resolveProgram(const QString& program, const QStringList& searchPath);

}  // namespace tervalo::transport
