#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace tervalo {

// What a file dialog needs to know. `filter` uses the "Description|*.EXT|..." pairs of the program's
// texts; each front end turns it into its own form.
struct FileDialogRequest {
    QString title;
    QString filter;
    QString defaultExtension;
    QString fileName;
    QString initialFolder;
    bool confirmOverwrite = true;  // a save dialog asks before replacing an existing file
};

// The note dialog: a heading, the key the note belongs to in bold, the note itself, and for address
// notes the date of the last reminder.
struct NoteDialogRequest {
    QString infoText;  // lblInfoText
    QString heading;   // lblPoznNadpis
    QString key;       // lblSpojKlic
    bool showLastSend = false;
    QString lastSend;  // lblNadpis4
    QString note;      // memPoznamka
};

// A reminder in the program's own compose window, sent by SMTP once the user confirms it: the
// sender is shown only, the address fields, the subject and the body may be edited, and the files
// and payment codes the message carries are listed.
struct ReminderDraft {
    QString sender;  // "Name <address>"
    QString to;      // several addresses separated by "," or ";"
    QString copy;
    QString subject;
    QString body;
    QStringList attachments;   // file names
    QStringList paymentCodes;  // the payment codes' image names
};

// What the version chooser of the first start gave. A front end that cannot show it (tervalo-cli)
// answers NotAsked, and the choice stays due for the desktop program.
struct SetupVersionAnswer {
    enum Kind { Chosen, Cancelled, NotAsked };
    Kind kind = Cancelled;
    int line = -1;  // 0-based, when Chosen
};

// The one port through which logic reaches the user. The GUI implements it with widgets,
// tervalo-cli with stderr lines and options, tests with a scripted fake.
class UserInterface {
public:
    virtual ~UserInterface() = default;

    // Modal message boxes with one OK button.
    virtual void information(const QString& text) = 0;
    virtual void warning(const QString& text) = 0;
    virtual void error(const QString& text) = 0;
    // Modal question with Yes and No; true for Yes.
    virtual bool confirm(const QString& text) = 0;

    // The borderless waiting window; callers hide it with an empty text and `show` false.
    virtual void showWaitMessage(const QString& text, bool show) = 0;
    // Lets the window repaint between steps of long work.
    virtual void processEvents() = 0;
    // The main window's progress bar.
    virtual void setProgressMaximum(int maximum) = 0;
    virtual void setProgress(int value) = 0;

    // The address dialog for a debtor: the confirmed address (trimmed, never empty), or nothing on
    // cancel.
    virtual std::optional<QString> askEmailAddress(const QString& debtorName, const QString& address) = 0;
    // The note dialog: the edited note on OK, nothing on cancel.
    virtual std::optional<QString> editNote(const NoteDialogRequest& request) = 0;

    // The compose window "Upomínka e-mailem": the draft as the user left it on "Odeslat", nothing
    // on "Storno". `accept` decides whether the draft may go; the window stays open while it says no.
    virtual std::optional<ReminderDraft> composeReminder(
        const ReminderDraft& draft, const std::function<bool(ReminderDraft&)>& accept) = 0;

    // Empty when the user cancels.
    virtual std::optional<QString> chooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> chooseSaveFile(const FileDialogRequest& request) = 0;

    // The version chooser of the first start, with the first line selected.
    virtual SetupVersionAnswer chooseSetupVersion(const QStringList& versions) = 0;
};

}  // namespace tervalo
