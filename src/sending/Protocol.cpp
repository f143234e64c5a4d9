#include "sending/Protocol.h"

#include "platform/FileWrite.h"

#include <QFileInfo>

namespace tervalo::sending {

QStringList Protocol::linesFrom(qsizetype position) const {
    QStringList lines = m_text.mid(position).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

bool SaveProtocol(const Protocol& protocol, UserInterface& ui) {
    FileDialogRequest request;
    request.title = QStringLiteral("Uložit do souboru");
    request.filter = QStringLiteral("Textové soubory (*.txt)|*.txt|Všechny soubory (*.*)|*.*");
    request.defaultExtension = QStringLiteral("txt");
    request.confirmOverwrite = false;
    std::optional<QString> path = ui.chooseSaveFile(request);
    if (!path) {
        return false;
    }
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += QStringLiteral(".txt");
    }
    // The byte-order mark makes editors on every system take the file for UTF-8.
    if (!platform::FileWrite::replaceDurably(*path, QByteArray("\xEF\xBB\xBF") + protocol.text().toUtf8())) {
        throw ProtocolFileError(*path);
    }
    return true;
}

}  // namespace tervalo::sending
