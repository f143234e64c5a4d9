#include "transport/mailclient/DesktopExec.h"

namespace tervalo::transport {

namespace {

bool isUriCode(QChar code) {
    return code == QLatin1Char('u') || code == QLatin1Char('U') || code == QLatin1Char('f') ||
           code == QLatin1Char('F');
}

// One argument with its field codes replaced; codes that stand for lists give their first item.
QString expandArgument(const QString& argument, const ExecFields& fields) {
    QString result;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] != QLatin1Char('%') || i + 1 == argument.size()) {
            result += argument[i];
            continue;
        }
        const QChar code = argument[++i];
        if (code == QLatin1Char('%')) {
            result += QLatin1Char('%');
        } else if (isUriCode(code)) {
            result += fields.uris.value(0);
        } else if (code == QLatin1Char('c')) {
            result += fields.name;
        } else if (code == QLatin1Char('k')) {
            result += fields.entryPath;
        }
    }
    return result;
}

}  // namespace

std::optional<QStringList> SplitExec(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                    ++i;
                }
                current += exec[i];
            }
        } else if (c.isSpace()) {
            if (inArgument) {
                arguments.append(current);
                current.clear();
                inArgument = false;
            }
        } else {
            inArgument = true;
            if (c == QLatin1Char('"')) {
                quoted = true;
            } else {
                if (c == QLatin1Char('\\') && i + 1 < exec.size()) {
                    ++i;
                }
                current += exec[i];
            }
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    if (inArgument) {
        arguments.append(current);
    }
    return arguments;
}

std::optional<QStringList> ExpandExec(const QString& exec, const ExecFields& fields) {
    const std::optional<QStringList> split = SplitExec(exec);
    if (!split || split->isEmpty()) {
        return std::nullopt;
    }
    QStringList arguments;
    bool uriCodeSeen = false;
    for (const QString& argument : *split) {
        if (argument == QStringLiteral("%U") || argument == QStringLiteral("%F")) {
            arguments += fields.uris;
            uriCodeSeen = true;
        } else if (argument == QStringLiteral("%i")) {
            if (!fields.icon.isEmpty()) {
                arguments << QStringLiteral("--icon") << fields.icon;
            }
        } else {
            for (qsizetype at = argument.indexOf(QLatin1Char('%')); at >= 0 && at + 1 < argument.size();
                 at = argument.indexOf(QLatin1Char('%'), at + 2)) {
                uriCodeSeen = uriCodeSeen || isUriCode(argument[at + 1]);
            }
            // An argument made only of codes that stand for nothing here is left out.
            if (QString expandedArgument = expandArgument(argument, fields);
                !expandedArgument.isEmpty() || argument.isEmpty()) {
                arguments.append(expandedArgument);
            }
        }
    }
    if (!uriCodeSeen) {
        arguments += fields.uris;
    }
    return arguments;
}

}  // namespace tervalo::transport
