#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace tervalo::transport {

// What the field codes of a desktop entry's Exec line stand for at one launch.
struct ExecFields {
    QStringList uris;   // %u %U; a mail address is no local file, so %f %F take these as well
    QString icon;       // the entry's Icon; %i gives "--icon" and it when not empty
    QString name;       // %c: the entry's translated Name
    QString entryPath;  // %k: where the entry was read from
};

// The arguments of an Exec value (its key-file escapes already resolved) split by the quoting
// rules of desktop entries: blanks separate arguments; a double-quoted argument keeps its blanks,
// and a backslash inside it takes the next character literally. Nothing when a quote is left open.
std::optional<QStringList> SplitExec(const QString& exec);

// The program and its arguments for a launch: SplitExec, then the field codes of each argument
// replaced. "%U" and "%F" standing alone give one argument per URI; "%u" and "%f" give the first
// URI; "%%" gives "%"; deprecated and unknown codes vanish, and so does an argument made of
// nothing else. Replaced text is never split or
// scanned again. A line without a URI code gets the URIs appended, since a mail handler started
// without its address would open an empty message. Nothing when the line is malformed or empty.
std::optional<QStringList> ExpandExec(const QString& exec, const ExecFields& fields);

}  // namespace tervalo::transport
