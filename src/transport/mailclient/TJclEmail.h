#pragma once

#include "platform/ChildProcess.h"
#include "platform/UserInterface.h"
#include "transport/mailclient/TJclEmailRecip.h"
#include "transport/mailclient/TJclSimpleMapi.h"
#include "transport/mime/BuildReminderMime.h"
#include "transport/mime/MimeEnvironment.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

namespace tervalo::transport {

// What sending takes from its caller besides the message.
struct MailClientContext {
    // Asks whether a message handed to a compose window was sent: no client reports that.
    UserInterface& ui;
    // The rest serves the windowless route, which renders the message itself.
    MimeEnvironment mimeEnvironment;
    QString senderName;
    QString senderAddress;  // empty: SystemMailAddress() in From, and no envelope sender given
    std::function<QString(const QString& senderAddress)> makeMessageIdentifier;
    std::chrono::milliseconds submissionTimeout = std::chrono::minutes(5);
    // Where a mail client started for its compose window writes its errors.
    DetachedErrorOutput clientErrorOutput = DetachedErrorOutput::Ours;
    // Given the message as it is handed over, for a record of what was sent: the one the mail
    // program takes, or the compose window's fields rendered as a message (without the images a
    // compose window cannot take). None: nothing is kept.
    std::function<void(const QByteArray& message)> keepMessage = nullptr;
};

// A message for the user's mail client together with the list of registered clients; one object
// per message.
class TJclEmail : public TJclSimpleMapi {
public:
    using TJclSimpleMapi::TJclSimpleMapi;

    const QList<TJclEmailRecip>& MailRecipients() const { return m_recipients; }
    // The address is trimmed; an empty address type stands for "SMTP". Returns its position.
    int AddMailRecipient(const QString& address, const QString& name = {}, TJclEmailRecipKind kind = rcTo,
                         const QString& addressType = {});

    const QString& MailSubject() const { return m_subject; }
    void SetMailSubject(const QString& subject) { m_subject = subject; }
    const QString& MailBody() const { return m_body; }
    // A non-empty body gets a final CR LF when it lacks one.
    void SetMailBody(const QString& body);
    const QStringList& AttachmentPaths() const { return m_attachments; }
    void AddAttachmentPath(const QString& path) { m_attachments.append(path); }
    // Shown in the message the windowless route renders; a compose window gets files instead.
    const QList<InlineImage>& InlineImages() const { return m_images; }
    void AddInlineImage(const InlineImage& image) { m_images.append(image); }

    // Empties recipients, subject, body, attachments and images.
    void Clear();

    // With `showDialog` the compose window of ComposeClientPos opens filled with the message, and
    // the user then says whether it was sent (true) or not (false); without it the system's mail
    // submission takes the message (true). Checked first, in this order, each raising
    // EJclMapiError: the client of the route (RaiseNoDesktopMailClient, RaiseNoMailSubmission);
    // every attachment a file (11); recipients (25: none for a windowless send, one with neither
    // address nor name, or an address a mail client would read as several or that holds control
    // characters). A program that cannot be started raises ProgramStartError; a refused submission
    // its MAPI result code.
    bool SendThroughMailClient(bool showDialog, const MailClientContext& context);

private:
    bool sendWithComposeWindow(int client, const QStringList& attachments,
                               const MailClientContext& context) const;
    bool sendWithoutWindow(int client, const QStringList& attachments,
                           const MailClientContext& context) const;
    // The message as the windowless route renders it, with its recipients' addresses.
    OutgoingMail renderedMail(const QStringList& attachments, const MailClientContext& context) const;

    QList<TJclEmailRecip> m_recipients;
    QString m_subject;
    QString m_body;
    QStringList m_attachments;
    QList<InlineImage> m_images;
};

}  // namespace tervalo::transport
