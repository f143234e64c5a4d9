#include "transport/mailclient/ComposeCommand.h"

#include "transport/mailclient/CheckMapiResult.h"
#include "transport/mailclient/DesktopExec.h"
#include "transport/mailclient/MailtoUri.h"
#include "transport/mailclient/ThunderbirdCompose.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace tervalo::transport {

namespace {

QStringList expanded(const MailClientCommand& command, const QStringList& uris) {
    std::optional<QStringList> arguments =
        ExpandExec(command.exec, {uris, command.icon, command.name, command.entryPath});
    if (!arguments) {
        RaiseMapiError(MAPI_E_FAILURE);
    }
    return arguments->mid(1);
}

QString writeMessageFile(const ComposeFields& fields) {
    const QString folder = fields.attachments.isEmpty()
                               ? QDir::tempPath()
                               : QFileInfo(fields.attachments.first()).absolutePath();
    QTemporaryFile file(folder + QStringLiteral("/Zprava-XXXXXX.txt"));
    file.setAutoRemove(false);
    const QByteArray text = fields.body.toUtf8();
    if (!file.open() || file.write(text) != text.size() || !file.flush()) {
        file.remove();
        RaiseMapiError(MAPI_E_FAILURE);
    }
    return file.fileName();
}

ComposeCommand thunderbirdCommand(const TJclMapiClient& client, const MailClientCommand& command,
                                  const ComposeFields& fields) {
    std::optional<QString> messageFile;
    if (!ComposeBodyFitsOnCommandLine(fields.body)) {
        messageFile = writeMessageFile(fields);
    }
    return {
        client.ClientLibraryPath,
        expanded(command, {}) << QStringLiteral("-compose") << ThunderbirdComposeValue(fields, messageFile),
        true};
}

}  // namespace

ComposeCommand ComposeCommandFor(const TJclMapiClient& client, const MailClientCommand& command,
                                 const ComposeFields& fields) {
    const QString name = QFileInfo(client.ClientLibraryPath).fileName();
    if (name == QStringLiteral("thunderbird") || name == QStringLiteral("icedove")) {
        return thunderbirdCommand(client, command, fields);
    }
    const bool evolution = name == QStringLiteral("evolution");
    const QString uri = MailtoUri(fields, evolution);
    ComposeCommand result{client.ClientLibraryPath, expanded(command, {uri}), true};
    if (evolution || fields.attachments.isEmpty()) {
        return result;
    }
    if (name == QStringLiteral("claws-mail")) {
        const qsizetype at = result.arguments.indexOf(uri);
        if (at >= 0 && (at == 0 || result.arguments.value(at - 1) != QStringLiteral("--compose"))) {
            result.arguments.insert(at, QStringLiteral("--compose"));
        }
        result.arguments << QStringLiteral("--attach") << fields.attachments;
    } else if (name == QStringLiteral("kmail")) {
        for (const QString& path : fields.attachments) {
            result.arguments << QStringLiteral("--attach") << QString::fromLatin1(fileUrl(path));
        }
    } else {
        result.attachmentsPassed = false;
    }
    return result;
}

}  // namespace tervalo::transport
