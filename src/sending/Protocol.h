#pragma once

#include "platform/Error.h"
#include "platform/UserInterface.h"

#include <QString>
#include <QStringList>

namespace tervalo::sending {

// The text protocol of the bulk runs of one program run: lines ended by CR LF. Runs only append to
// it; the protocol window shows it and lets the user edit it, and what is saved is the text as it
// then stands.
class Protocol {
public:
    void AddProtocolLine(const QString& line) { m_text += line + QStringLiteral("\r\n"); }

    const QString& text() const { return m_text; }
    void setText(const QString& text) { m_text = text; }

    // The lines from a position of the text on (a length the text had earlier), without their ends.
    QStringList linesFrom(qsizetype position) const;

private:
    QString m_text;
};

// A protocol file that could not be written; reaches the general error handling.
class ProtocolFileError : public platform::Error {
public:
    explicit ProtocolFileError(const QString& path)
        : platform::Error(QStringLiteral("Soubor ") + path + QStringLiteral(" nelze zapsat."), path) {}
};

// The protocol window's save button: asks for a file (".txt" added to a name without extension) and
// writes the text there in UTF-8 with a byte-order mark, replacing an existing file. False when the
// user cancelled. Throws ProtocolFileError when the file cannot be written.
bool SaveProtocol(const Protocol& protocol, UserInterface& ui);

}  // namespace tervalo::sending
