#pragma once

#include "transport/mailclient/MailClientCommand.h"
#include "transport/mailclient/MailClientEnvironment.h"
#include "transport/mailclient/TJclMapiClient.h"

#include <QList>

namespace tervalo::transport {

// The registered mail clients and the choice among them.
//
// On this platform the registered clients are the desktop's handlers of "mailto" addresses: XDG
// desktop entries (Type=Application, not Hidden) whose MimeType holds "x-scheme-handler/mailto",
// found under "applications/" of the XDG data folders. An entry id found in an earlier folder hides
// the same id in later ones; the list goes folder by folder, user folder first, and by id within a
// folder. The default client is the one the desktop itself opens "mailto" addresses with
// (DefaultHandlerId); it ends the desktop's part of the list when its entry does not list the type.
// When the system's mail submission (sendmail) exists, it ends the list: the one client that sends
// without any window.
class TJclSimpleMapi {
public:
    enum TJclMapiClientConnect { ccAutomatic, ccDefaultMapi, ccDirect };

    // Enumerates the clients at once, as found in the process's environment.
    TJclSimpleMapi();
    explicit TJclSimpleMapi(const MailClientEnvironment& environment);
    virtual ~TJclSimpleMapi() = default;

    const QList<TJclMapiClient>& ClientList() const { return m_clientList; }
    int DefaultClientPos() const { return m_defaultClientPos; }    // -1 when the desktop has none
    int SelectedClientPos() const { return m_selectedClientPos; }  // starts equal to DefaultClientPos
    TJclMapiClientConnect ClientChoice() const { return m_clientChoice; }
    // At least one client can be used.
    bool AnyClientPresent() const { return m_anyClientPresent; }
    // Position of the system's mail submission in ClientList, -1 when there is none.
    int SystemMailPos() const { return m_systemMailPos; }
    // How the client at a position of ClientList is started.
    const MailClientCommand& ClientCommand(int position) const { return m_commands.at(position); }

    void SetClientChoice(TJclMapiClientConnect choice) { m_clientChoice = choice; }
    // Throws EJclMapiError (RaiseClientNotListed) for a position outside ClientList.
    void SelectMailClient(int position);

    // The client whose compose window shows a message, -1 when no desktop client can: never the
    // system's mail submission. ccDefaultMapi: the default client; ccDirect: the selected client
    // when it is a usable desktop client, else the default; ccAutomatic: the default client, else
    // the selected one when it is a usable desktop client. A message without a window always goes to
    // the system's mail submission (SystemMailPos), whatever the choice.
    int ComposeClientPos() const;

    // The title the system's mail submission is listed with.
    static QString sendmailTitle() { return QStringLiteral("Systémová pošta (sendmail)"); }

private:
    void EnumerateMailClients(const MailClientEnvironment& environment);

    QList<TJclMapiClient> m_clientList;
    QList<MailClientCommand> m_commands;  // parallel to m_clientList
    int m_defaultClientPos = -1;
    int m_selectedClientPos = -1;
    int m_systemMailPos = -1;
    TJclMapiClientConnect m_clientChoice = ccAutomatic;
    bool m_anyClientPresent = false;
};

}  // namespace tervalo::transport
