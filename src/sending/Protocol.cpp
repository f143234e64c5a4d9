#include "sending/Protocol.h"

#include "platform/TextFile.h"

#include <QFileInfo>

namespace tervalo::sending {

QStringList Protocol::linesFrom(qsizetype position) const {
    QStringList lines = m_text.mid(position).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

bool SaveProtocol(const Protocol& protocol, UserInterface& ui, const platform::AnsiCodec& codec) {
    FileDialogRequest request;
    request.title = QStringLiteral("Uložit do souboru");
    request.filter = QStringLiteral("Textové soubory (*.TXT)|*.TXT|Všechny soubory (*.*)|*.*");
    request.defaultExtension = QStringLiteral("TXT");
    request.confirmOverwrite = false;
    std::optional<QString> path = ui.chooseSaveFile(request);
    if (!path) {
        return false;
    }
    if (QFileInfo(*path).suffix().isEmpty()) {
        *path += QStringLiteral(".TXT");
    }
    if (!platform::TextFile::writeAnsiAtomically(*path, protocol.text(), codec)) {
        throw ProtocolFileError(*path);
    }
    return true;
}

}  // namespace tervalo::sending
