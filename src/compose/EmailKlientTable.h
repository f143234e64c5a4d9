#pragma once

#include <QList>
#include <QString>

namespace tervalo::compose {

// The rows of mtEmailKlient: one per installed mail client, in the order the mail-client interface
// lists them. Text fields hold up to 255 characters.
struct EmailKlientRow {
    QString Client;  // the client's name
    QString Path;    // its program path

    bool operator==(const EmailKlientRow&) const = default;
};

// The installed mail clients with a current row, as the settings dialog's grid shows them.
struct EmailKlientTable {
    static constexpr int kFieldSize = 255;

    QList<EmailKlientRow> rows;
    int current = -1;  // 0-based; -1 while the table is empty
    // What the sending tab tells about the routes: the desktop's default client (empty when the
    // desktop names none) and the system's mail submission program (empty when there is none).
    QString defaultClient;
    QString submissionProgram;

    // Empties the table, as closing and reopening it does, and forgets the routes.
    void reopen();
    // Appends a row (texts cut to the field size); like a table's cursor, the current row then is the
    // row appended.
    void append(const QString& client, const QString& path);
    // The row whose Client equals `client` without regard to letter case, or -1.
    int locateClient(const QString& client) const;
    // The Client of the current row; empty when the table is empty.
    QString currentClient() const;
};

}  // namespace tervalo::compose
