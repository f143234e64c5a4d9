#pragma once

#include "platform/UserInterface.h"
#include "support/QtPrinting.h"

#include <QString>

#include <deque>
#include <optional>
#include <ostream>
#include <vector>

namespace tervalo::test {

// A scripted UserInterface: records every message (kind and exact text) and answers questions from
// queues. A question without a queued answer fails the test instead of blocking, and so does an
// answer still queued when the fake goes: the dialog it was meant for never opened.
class FakeUserInterface : public UserInterface {
public:
    FakeUserInterface() = default;
    FakeUserInterface(const FakeUserInterface&) = delete;
    FakeUserInterface& operator=(const FakeUserInterface&) = delete;
    ~FakeUserInterface() override;

    struct Message {
        QString kind;  // "information", "warning", "error", "confirmation"
        QString text;
        bool operator==(const Message&) const = default;
        // A failed comparison prints the texts, not the bytes of the object.
        friend void PrintTo(const Message& message, std::ostream* out) {
            *out << message.kind.toStdString() << ": " << message.text.toStdString();
        }
    };

    void information(const QString& text) override {
        m_messages.push_back({QStringLiteral("information"), text});
    }
    void warning(const QString& text) override { m_messages.push_back({QStringLiteral("warning"), text}); }
    void error(const QString& text) override { m_messages.push_back({QStringLiteral("error"), text}); }
    bool confirm(const QString& text) override;

    void showWaitMessage(const QString& text, bool show) override;
    void processEvents() override { ++m_processEventsCalls; }
    void setProgressMaximum(int maximum) override { m_progressMaximum = maximum; }
    void setProgress(int value) override { m_progress = value; }

    std::optional<QString> askEmailAddress(const QString& debtorName, const QString& address) override;
    std::optional<QString> editNote(const NoteDialogRequest& request) override;
    // Offers the queued drafts to `accept` in turn, as a user correcting a refused one would, up to
    // the first it takes or the first cancel.
    std::optional<ReminderDraft> composeReminder(const ReminderDraft& draft,
                                                 const std::function<bool(ReminderDraft&)>& accept) override;
    std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override;
    SetupVersionAnswer chooseSetupVersion(const QStringList& versions) override;

    // Scripting.
    void queueConfirmation(bool answer) { m_confirmations.push_back(answer); }
    void queueFile(std::optional<QString> path) { m_files.push_back(std::move(path)); }
    // Answers of the address and note dialogs (nothing: the user cancels).
    void queueEmailAddress(std::optional<QString> address) { m_addresses.push_back(std::move(address)); }
    void queueNote(std::optional<QString> note) { m_notes.push_back(std::move(note)); }
    // The compose window's answers: the draft as the user leaves it (nothing: "Storno").
    void queueReminderDraft(std::optional<ReminderDraft> draft) { m_drafts.push_back(std::move(draft)); }
    // The drafts the compose window was opened with.
    const std::vector<ReminderDraft>& shownDrafts() const { return m_shownDrafts; }

    // What the dialogs were shown with.
    struct EmailRequest {
        QString debtorName;
        QString address;
        bool operator==(const EmailRequest&) const = default;
    };
    const std::vector<EmailRequest>& emailRequests() const { return m_emailRequests; }
    const std::vector<NoteDialogRequest>& noteRequests() const { return m_noteRequests; }
    void queueSetupVersion(SetupVersionAnswer answer) { m_setupVersions.push_back(answer); }

    const std::vector<Message>& messages() const { return m_messages; }
    void clearMessages() { m_messages.clear(); }
    const std::vector<FileDialogRequest>& fileRequests() const { return m_fileRequests; }
    // The lines of every version chooser shown, in order.
    const std::vector<QStringList>& setupVersionRequests() const { return m_setupVersionRequests; }
    // Every text the waiting window showed, in order; empty strings mark hiding.
    const std::vector<QString>& waitMessages() const { return m_waitMessages; }
    bool waitWindowVisible() const { return m_waitVisible; }
    int progressMaximum() const { return m_progressMaximum; }
    int progress() const { return m_progress; }
    int processEventsCalls() const { return m_processEventsCalls; }

private:
    std::optional<QString> nextFile(const FileDialogRequest& request);

    std::vector<Message> m_messages;
    std::deque<bool> m_confirmations;
    std::deque<std::optional<QString>> m_files;
    std::deque<std::optional<QString>> m_addresses;
    std::deque<std::optional<QString>> m_notes;
    std::vector<EmailRequest> m_emailRequests;
    std::vector<NoteDialogRequest> m_noteRequests;
    std::deque<std::optional<ReminderDraft>> m_drafts;
    std::vector<ReminderDraft> m_shownDrafts;
    std::vector<FileDialogRequest> m_fileRequests;
    std::deque<SetupVersionAnswer> m_setupVersions;
    std::vector<QStringList> m_setupVersionRequests;
    std::vector<QString> m_waitMessages;
    bool m_waitVisible = false;
    int m_progressMaximum = 0;
    int m_progress = 0;
    int m_processEventsCalls = 0;
};

}  // namespace tervalo::test
